#include "framework/core/MidiMsg.h"

#include "framework/core/Trace.h"

namespace
{
uint8_t StatusByte(int kind, int channel)
{
  return static_cast<uint8_t>((kind << 4) | (channel & 0x0F));
}
} // namespace

void IMidiMsg::Clear()
{
  mOffset = 0;
  mStatus = mData1 = mData2 = 0;
}

void IMidiMsg::MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel)
{
  Clear();
  mStatus = StatusByte(kNoteOn, channel);
  mData1 = static_cast<uint8_t>(noteNumber);
  mData2 = static_cast<uint8_t>(velocity);
  mOffset = offset;
}

void IMidiMsg::MakeNoteOffMsg(int noteNumber, int offset, int channel)
{
  Clear();
  mStatus = StatusByte(kNoteOff, channel);
  mData1 = static_cast<uint8_t>(noteNumber);
  mOffset = offset;
}

void IMidiMsg::MakePitchWheelMsg(double value, int channel)
{
  Clear();
  mStatus = StatusByte(kPitchWheel, channel);
  // Held before the conversion: a double outside the int range must not reach the cast.
  const double scaled = value * 8192.0;
  int i;
  if (!(scaled > -8192.0)) // also NaN
    i = 0;
  else if (scaled >= 8192.0)
    i = 16383;
  else
    i = static_cast<int>(scaled) + 8192;
  mData1 = static_cast<uint8_t>(i & 0x7F);
  mData2 = static_cast<uint8_t>((i >> 7) & 0x7F);
}

void IMidiMsg::MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel)
{
  Clear();
  mStatus = StatusByte(kControlChange, channel);
  mData1 = static_cast<uint8_t>(idx);
  const double scaled = value * 127.0;
  mData2 = !(scaled > 0.0) ? 0 : scaled >= 127.0 ? 127 : static_cast<uint8_t>(scaled);
}

IMidiMsg::EStatusMsg IMidiMsg::StatusMsg() const
{
  if ((mStatus & 0x80) && mStatus < 0xF0) return static_cast<EStatusMsg>(mStatus >> 4);
  return kNone;
}

int IMidiMsg::NoteNumber() const
{
  switch (StatusMsg())
  {
  case kNoteOff:
  case kNoteOn:
  case kPolyAftertouch:
    return mData1;
  default:
    return -1;
  }
}

int IMidiMsg::Velocity() const
{
  const EStatusMsg kind = StatusMsg();
  return kind == kNoteOff || kind == kNoteOn ? mData2 : -1;
}

int IMidiMsg::PolyAfterTouch() const
{
  return StatusMsg() == kPolyAftertouch ? mData2 : -1;
}

int IMidiMsg::ChannelAfterTouch() const
{
  return StatusMsg() == kChannelAftertouch ? mData1 : -1;
}

int IMidiMsg::Program() const
{
  return StatusMsg() == kProgramChange ? mData1 : -1;
}

double IMidiMsg::PitchWheel() const
{
  if (StatusMsg() != kPitchWheel) return 0.0;
  return ((mData2 * 128 + mData1) - 8192) / 8192.0;
}

double IMidiMsg::ControlChange(EControlChangeMsg idx) const
{
  if (StatusMsg() == kControlChange && ControlChangeIdx() == idx) return mData2 / 127.0;
  return -1.0;
}

void IMidiMsg::LogMsg() const
{
  Trace("LogMsg", __LINE__, "midi:(%d:%s:%d:%d:%d)", mOffset, StatusMsgStr(StatusMsg()), Channel(),
        mData1, mData2);
}

const char* IMidiMsg::StatusMsgStr(EStatusMsg msg)
{
  switch (msg)
  {
  case kNone:
    return "none";
  case kNoteOff:
    return "noteoff";
  case kNoteOn:
    return "noteon";
  case kPolyAftertouch:
    return "aftertouch";
  case kControlChange:
    return "controlchange";
  case kProgramChange:
    return "programchange";
  case kChannelAftertouch:
    return "channelaftertouch";
  case kPitchWheel:
    return "pitchwheel";
  default:
    return "unknown";
  }
}

void ISysEx::Clear()
{
  mOffset = mSize = 0;
  mData = nullptr;
}

void ISysEx::LogMsg() const
{
  if (!TraceEnabled()) return;
  char text[512];
  Trace("LogMsg", __LINE__, "sysex:(%d:%s)", mSize, SysExStr(text, sizeof text, mData, mSize));
}

char* SysExStr(char* out, int maxLen, const uint8_t* data, int size)
{
  if (!out || maxLen < 1) return out;
  out[0] = '\0';
  if (!data || size <= 0 || maxLen < 3) return out;
  // n bytes take 3n - 1 characters and a terminator: exactly 3n <= maxLen.
  const int n = size < maxLen / 3 ? size : maxLen / 3;
  static const char kHex[] = "0123456789ABCDEF";
  char* p = out;
  for (int i = 0; i < n; ++i)
  {
    if (i) *p++ = ' ';
    *p++ = kHex[data[i] >> 4];
    *p++ = kHex[data[i] & 0x0F];
  }
  *p = '\0';
  return out;
}
