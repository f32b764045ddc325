#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "TestPlugin.h"

namespace
{
using Samples = std::vector<double>;

// Two channels in and out, all connected unless told otherwise, blocks of at most blockSize.
void Connect(TestPlugin& p, int blockSize, bool firstInput = true)
{
  p.SetBlockSize(blockSize);
  p.SetInputChannelConnections(0, 2, true);
  p.SetInputChannelConnections(0, 1, firstInput);
  p.SetOutputChannelConnections(0, 2, true);
}
template <class T> void Attach(TestPlugin& p, T* in0, T* in1, T* out0, T* out1, int n)
{
  T* ins[] = {in0, in1};
  T* outs[] = {out0, out1};
  p.AttachInputBuffers(0, 2, ins, n);
  p.AttachOutputBuffers(0, 2, outs);
}
} // namespace

TEST(ChannelIO, ConfigurationStringParsing)
{
  TestPlugin p;
  EXPECT_TRUE(p.NInChannels() == 2 && p.NOutChannels() == 2);
  EXPECT_TRUE(p.LegalIO(1, 1) && p.LegalIO(2, -1) && p.LegalIO(-1, -1));
  EXPECT_FALSE(p.LegalIO(1, 2));
  TestPlugin trailing(FourCC("Trvo"), true, 0, "1-1 ");
  ASSERT_EQ(2, trailing.NChannelIO());
  EXPECT_TRUE(trailing.GetChannelIO(1)->mIn == 0 && trailing.GetChannelIO(1)->mOut == 0);
  EXPECT_TRUE(trailing.LegalIO(0, 0));
  TestPlugin single(FourCC("Trvo"), true, 0, "2");
  ASSERT_EQ(1, single.NChannelIO());
  EXPECT_TRUE(single.GetChannelIO(0)->mIn == 2 && single.GetChannelIO(0)->mOut == 0);
  EXPECT_EQ(0, single.NOutChannels());
  TestPlugin none(FourCC("Trvo"), true, 0, nullptr);
  EXPECT_FALSE(none.LegalIO(-1, -1));
}

TEST(ProcessingFrame, DisconnectedInputsReadTheirScratchBuffer)
{
  TestPlugin p;
  Connect(p, 4, false);
  double in0[4] = {1, 2, 3, 4}, in1[4] = {5, 6, 7, 8}, out0[4], out1[4];
  Attach(p, in0, in1, out0, out1, 4);
  p.ProcessBuffers(0.0, 4);
  // Channel 1 took the first host buffer; channel 0 reads silence.
  EXPECT_EQ(Samples({0, 0, 0, 0}), Samples(out0, out0 + 4));
  EXPECT_EQ(Samples({1, 2, 3, 4}), Samples(out1, out1 + 4));
}

TEST(ProcessingFrame, FloatBuffersAreConvertedBothWaysWithinTheBlockSize)
{
  TestPlugin p;
  Connect(p, 3);
  float in0[3] = {0.5f, -0.25f, 1.0f}, in1[3] = {0.1f, 0.2f, 0.3f};
  float out0[3] = {1, 1, 1}, out1[3] = {1, 1, 1};
  Attach(p, in0, in1, out0, out1, 3);
  p.ProcessBuffers(0.0f, 3);
  EXPECT_EQ(0, std::memcmp(in0, out0, sizeof in0));
  EXPECT_EQ(0, std::memcmp(in1, out1, sizeof in1));
  Attach(p, in0, in1, out0, out1, 3);
  p.ProcessBuffersAccumulating(0.0f, 3);
  EXPECT_EQ(1.0f, out0[0]);

  // A block longer than the scratch buffers is cut to them, never written past them.
  float long0[8] = {}, long1[8] = {}, lout0[8] = {9, 9, 9, 9, 9, 9, 9, 9}, lout1[8] = {};
  Attach(p, long0, long1, lout0, lout1, 8);
  p.ProcessBuffers(0.0f, 8);
  EXPECT_TRUE(lout0[2] == 0.0f && lout0[3] == 9.0f);

  // Setting the same block size again keeps the scratch contents.
  Connect(p, 4);
  float in[4] = {1, 2, 3, 4}, o0[4], o1[4];
  Attach(p, in, in, o0, o1, 4);
  p.SetBlockSize(4);
  p.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(4.0f, o0[3]);
}

// A product that takes 32-bit buffers itself: it negates, so that a skipped call shows.
class DirectPlugin : public TestPlugin
{
public:
  DirectPlugin() { SetSinglePrecisionDirect(true); }
  void ProcessSingleReplacing(float** in, float** out, int n) override
  {
    ++mDirectCalls;
    for (int c = 0; c < 2; ++c)
      for (int s = 0; s < n; ++s)
        out[c][s] = -in[c][s];
  }
  int mDirectCalls = 0;
};

TEST(ProcessingFrame, FloatBuffersGoStraightToAProductThatTakesThem)
{
  DirectPlugin p;
  Connect(p, 4);
  float a[4] = {1, 2, 3, 4}, b[4] = {5, 6, 7, 8};
  Attach(p, a, b, a, b, 4); // in place
  p.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(1, p.mDirectCalls);
  EXPECT_TRUE(a[3] == -4.0f && b[0] == -5.0f);

  // Bypassed blocks, accumulation and a disconnected channel convert as before.
  Attach(p, a, b, a, b, 4);
  p.PassThroughBuffers(0.0f, 4);
  EXPECT_TRUE(a[3] == -4.0f && b[0] == -5.0f);
  Connect(p, 4, false);
  float in[4] = {1, 1, 1, 1}, o0[4], o1[4];
  Attach(p, in, in, o0, o1, 4);
  p.ProcessBuffers(0.0f, 4);
  EXPECT_EQ(1, p.mDirectCalls);
  EXPECT_EQ(1.0f, o1[0]); // the connected channel, converted and copied
}

TEST(ProcessingFrame, DefaultRoutineZeroesOutputsWithoutInputs)
{
  TestPlugin p(FourCC("Trvo"), true, 0, "1-2");
  double in[2] = {0.5, 0.7}, out0[2] = {9, 9}, out1[2] = {9, 9};
  double* ins[] = {in};
  double* outs[] = {out0, out1};
  p.ProcessDoubleReplacing(ins, outs, 2);
  EXPECT_TRUE(out0[0] == 0.5 && out1[1] == 0.0);
}

TEST(ProcessingFrame, PassThroughKeepsTheLatency)
{
  for (int latency : {0, 3})
  {
    TestPlugin p(FourCC("Trvo"), true, latency);
    Connect(p, 4);
    Samples outL, outR, wantL(8, 0.0), wantR(8, 0.0);
    for (int block = 0; block < 2; ++block)
    {
      double in0[4] = {block == 0 ? 1.0 : 0.0, 0, 0, 0},
             in1[4] = {0, block == 0 ? -1.0 : 0.0, 0, 0};
      double o0[4], o1[4];
      Attach(p, in0, in1, o0, o1, 4);
      p.PassThroughBuffers(0.0, 4);
      outL.insert(outL.end(), o0, o0 + 4);
      outR.insert(outR.end(), o1, o1 + 4);
    }
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
  EXPECT_EQ(kHostUninit, p.GetHost());
  p.SetHost("Some Unheard-of DAW", 0);
  EXPECT_EQ(kHostUnknown, p.GetHost());
  p.SetHost("REAPER", 0x00060000);
  EXPECT_EQ(kHostReaper, p.GetHost());
  EXPECT_EQ(60000, p.GetHostVersion(true));
  // Indexes out of range are answered or ignored, never followed.
  EXPECT_TRUE(p.GetParam(39) == nullptr && p.GetParam(-1) == nullptr);
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
