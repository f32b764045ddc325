#include "framework/core/MidiMsg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

TEST(MidiMsg, AccessorsAnswerOnlyForTheirKind)
{
  IMidiMsg msg;
  msg.MakeNoteOnMsg(60, 100, 17, 19); // the channel is masked and cannot change the kind
  EXPECT_EQ(msg.mStatus, 0x93);
  EXPECT_TRUE(msg.NoteNumber() == 60 && msg.Velocity() == 100 && msg.Program() == -1);
  msg.MakeControlChangeMsg(IMidiMsg::kModWheel, 0.5, 1);
  EXPECT_EQ(msg.mData2, 63); // 63.5 truncated
  EXPECT_DOUBLE_EQ(msg.ControlChange(IMidiMsg::kModWheel), 63.0 / 127);
  EXPECT_EQ(msg.ControlChange(IMidiMsg::kPan), -1.0);
  EXPECT_TRUE(msg.NoteNumber() == -1 && msg.PitchWheel() == 0.0);
  EXPECT_EQ(IMidiMsg(0, 0xA0, 64, 33).Velocity(), -1); // aftertouch has a note but no velocity
  // A system message (0xF8) or a data byte (0x45) has no kind.
  EXPECT_STREQ(IMidiMsg::StatusMsgStr(IMidiMsg(0, 0xF8).StatusMsg()), "none");
  EXPECT_EQ(IMidiMsg(0, 0x45, 60, 1).NoteNumber(), -1);
  EXPECT_STREQ(IMidiMsg::StatusMsgStr(static_cast<IMidiMsg::EStatusMsg>(3)), "unknown");
}

TEST(MidiMsg, PitchWheelEndsAndCentre)
{
  IMidiMsg msg;
  msg.MakePitchWheelMsg(1.0, 0);
  EXPECT_TRUE(msg.mData1 == 127 && msg.mData2 == 127);
  EXPECT_DOUBLE_EQ(msg.PitchWheel(), 1.0 - 1.0 / 8192);
  msg.MakePitchWheelMsg(-1.0, 0);
  EXPECT_TRUE(msg.mData1 == 0 && msg.mData2 == 0);
  msg.MakePitchWheelMsg(0.0, 5);
  EXPECT_TRUE(msg.mStatus == 0xE5 && msg.mData1 == 0 && msg.mData2 == 64);
  EXPECT_EQ(msg.PitchWheel(), 0.0);
  msg.MakePitchWheelMsg(std::nan(""), 0); // held, not converted out of range
  EXPECT_EQ(msg.mData1 | msg.mData2, 0);
}

TEST(SysEx, HexTextNeverPassesMaxLen)
{
  const uint8_t bytes[] = {0xF0, 0x7E, 0x7F};
  char out[16];
  EXPECT_STREQ(SysExStr(out, 9, bytes, 3), "F0 7E 7F");
  for (int maxLen : {7, 6}) // "F0 7E" and its terminator take 6 bytes
  {
    std::memset(out, '#', sizeof out);
    EXPECT_STREQ(SysExStr(out, maxLen, bytes, 3), "F0 7E");
    EXPECT_EQ(out[6], '#');
  }
  std::memset(out, '#', sizeof out);
  EXPECT_STREQ(SysExStr(out, 2, bytes, 3), "");
  EXPECT_EQ(out[1], '#');
  EXPECT_STREQ(SysExStr(out, 16, nullptr, 3), "");
}
