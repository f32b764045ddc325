#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "TestPlugin.h"

TEST(ChannelIO, ConfigurationStringParsing)
{
  TestPlugin p;
  EXPECT_EQ(2, p.NInChannels());
  EXPECT_EQ(2, p.NOutChannels());
  EXPECT_TRUE(p.LegalIO(1, 1));
  EXPECT_TRUE(p.LegalIO(2, -1));
  EXPECT_TRUE(p.LegalIO(-1, -1));
  EXPECT_FALSE(p.LegalIO(1, 2));

  TestPlugin trailing(FourCC("Trvo"), true, 0, "1-1 ");
  ASSERT_EQ(2, trailing.NChannelIO());
  EXPECT_EQ(0, trailing.GetChannelIO(1)->mIn);
  EXPECT_EQ(0, trailing.GetChannelIO(1)->mOut);
  EXPECT_TRUE(trailing.LegalIO(0, 0));

  TestPlugin single(FourCC("Trvo"), true, 0, "2");
  ASSERT_EQ(1, single.NChannelIO());
  EXPECT_EQ(2, single.GetChannelIO(0)->mIn);
  EXPECT_EQ(0, single.GetChannelIO(0)->mOut);
  EXPECT_EQ(0, single.NOutChannels());

  TestPlugin none(FourCC("Trvo"), true, 0, nullptr);
  EXPECT_FALSE(none.LegalIO(-1, -1));
}

TEST(ProcessingFrame, DisconnectedInputsReadTheirScratchBuffer)
{
  TestPlugin p;
  p.SetBlockSize(4);
  p.SetInputChannelConnections(0, 2, true);
  p.SetInputChannelConnections(0, 1, false);
  p.SetOutputChannelConnections(0, 2, true);
  double in0[4] = {1, 2, 3, 4}, in1[4] = {5, 6, 7, 8};
  double* ins[] = {in0, in1};
  p.AttachInputBuffers(0, 2, ins, 4);
  double out0[4], out1[4];
  double* outs[] = {out0, out1};
  p.AttachOutputBuffers(0, 2, outs);
  p.ProcessBuffers(0.0, 4);
  // Channel 1 took the first host buffer; channel 0 reads silence.
  EXPECT_EQ(std::vector<double>({0, 0, 0, 0}), std::vector<double>(out0, out0 + 4));
  EXPECT_EQ(std::vector<double>({1, 2, 3, 4}), std::vector<double>(out1, out1 + 4));
}

TEST(ProcessingFrame, FloatBuffersAreConvertedBothWays)
{
  TestPlugin p;
  p.SetBlockSize(3);
  p.SetInputChannelConnections(0, 2, true);
  p.SetOutputChannelConnections(0, 2, true);
  float in0[3] = {0.5f, -0.25f, 1.0f}, in1[3] = {0.1f, 0.2f, 0.3f};
  float* ins[] = {in0, in1};
  float out0[3] = {1, 1, 1}, out1[3] = {1, 1, 1};
  float* outs[] = {out0, out1};
  p.AttachInputBuffers(0, 2, ins, 3);
  p.AttachOutputBuffers(0, 2, outs);
  p.ProcessBuffers(0.0f, 3);
  EXPECT_EQ(0, std::memcmp(in0, out0, sizeof in0));
  EXPECT_EQ(0, std::memcmp(in1, out1, sizeof in1));
  p.AttachInputBuffers(0, 2, ins, 3);
  p.AttachOutputBuffers(0, 2, outs);
  p.ProcessBuffersAccumulating(0.0f, 3);
  EXPECT_EQ(1.0f, out0[0]);

  // A block longer than the scratch buffers is cut to them, never written past them.
  float long0[8] = {}, long1[8] = {};
  float* longIns[] = {long0, long1};
  float lout0[8] = {9, 9, 9, 9, 9, 9, 9, 9}, lout1[8] = {};
  float* longOuts[] = {lout0, lout1};
  p.AttachInputBuffers(0, 2, longIns, 8);
  p.AttachOutputBuffers(0, 2, longOuts);
  p.ProcessBuffers(0.0f, 8);
  EXPECT_EQ(0.0f, lout0[2]);
  EXPECT_EQ(9.0f, lout0[3]);
}

TEST(ProcessingFrame, DefaultRoutineZeroesOutputsWithoutInputs)
{
  TestPlugin p(FourCC("Trvo"), true, 0, "1-2");
  double in[2] = {0.5, 0.7}, out0[2] = {9, 9}, out1[2] = {9, 9};
  double* ins[] = {in};
  double* outs[] = {out0, out1};
  p.ProcessDoubleReplacing(ins, outs, 2);
  EXPECT_EQ(0.5, out0[0]);
  EXPECT_EQ(0.0, out1[1]);
}

TEST(ProcessingFrame, SetBlockSizeWithTheSameSizeKeepsScratchContents)
{
  TestPlugin p;
  p.SetBlockSize(4);
  p.SetInputChannelConnections(0, 2, true);
  p.SetOutputChannelConnections(0, 2, true);
  float in[4] = {1, 2, 3, 4};
  float* ins[] = {in, in};
  p.AttachInputBuffers(0, 2, ins, 4);
  p.SetBlockSize(4);
  float out0[4], out1[4];
  float* outs[] = {out0, out1};
  p.AttachOutputBuffers(0, 2, outs);
  p.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(4.0f, out0[3]);
}

TEST(ProcessingFrame, PassThroughKeepsTheLatency)
{
  for (int latency : {0, 3})
  {
    TestPlugin p(FourCC("Trvo"), true, latency);
    p.SetBlockSize(4);
    p.SetInputChannelConnections(0, 2, true);
    p.SetOutputChannelConnections(0, 2, true);
    std::vector<double> outL, outR;
    for (int block = 0; block < 2; ++block)
    {
      double in0[4] = {block == 0 ? 1.0 : 0.0, 0, 0, 0},
             in1[4] = {0, block == 0 ? -1.0 : 0.0, 0, 0};
      double* ins[] = {in0, in1};
      double o0[4], o1[4];
      double* outs[] = {o0, o1};
      p.AttachInputBuffers(0, 2, ins, 4);
      p.AttachOutputBuffers(0, 2, outs);
      p.PassThroughBuffers(0.0, 4);
      outL.insert(outL.end(), o0, o0 + 4);
      outR.insert(outR.end(), o1, o1 + 4);
    }
    std::vector<double> wantL(8, 0.0), wantR(8, 0.0);
    wantL[latency] = 1.0;
    wantR[latency + 1] = -1.0;
    EXPECT_EQ(wantL, outL) << latency;
    EXPECT_EQ(wantR, outR) << latency;
  }
}

TEST(PluginBase, IdentityAndLabels)
{
  TestPlugin p;
  char s[32];
  p.GetEffectVersionStr(s);
  EXPECT_STREQ("v2.0.0", s);
  EXPECT_EQ(20000, p.GetEffectVersion(true));
  GetVersionStr(0x00010203, s);
  EXPECT_STREQ("v1.2.3", s);
  EXPECT_EQ(10203, GetDecimalVersion(0x00010203));
  EXPECT_STREQ("VST3", p.GetAPIString());
  EXPECT_EQ(kHostUninit, p.GetHost());
  p.SetHost("Some Unheard-of DAW", 0);
  EXPECT_EQ(kHostUnknown, p.GetHost());
  p.SetHost("REAPER", 0x00060000);
  EXPECT_EQ(kHostReaper, p.GetHost());
  EXPECT_EQ(60000, p.GetHostVersion(true));
  EXPECT_EQ(nullptr, p.GetParam(39));
  EXPECT_EQ(nullptr, p.GetParam(-1));
  EXPECT_FALSE(p.IsInChannelConnected(7));
  p.SetInputBusLabel(2, "nope");
  p.SetInputLabel(5, "nope");
}

TEST(PluginBase, GuiChangesInformTheHostAndNotifyTheProduct)
{
  TestPlugin p;
  p.mChanges.clear();
  p.SetParameterFromGUI(38, 1.0);
  EXPECT_EQ(100.0, p.GetParam(38)->Value());
  ASSERT_EQ(1u, p.mInformed.size());
  EXPECT_EQ(38, p.mInformed[0].first);
  EXPECT_EQ(std::vector<int>({38}), p.mChanges);
  p.SetParameterFromGUI(99, 1.0);
  EXPECT_EQ(1u, p.mInformed.size());
  p.DirtyParameters();
  EXPECT_EQ(40u, p.mInformed.size());
}
