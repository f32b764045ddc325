#pragma once
// MIDI and system-exclusive records exchanged between a binding and the plug-in base. Plain
// values; all operations are reentrant.

#include <cstdint>

struct IMidiMsg
{
  // The status byte's high four bits.
  enum EStatusMsg
  {
    kNone = 0,
    kNoteOff = 8,
    kNoteOn = 9,
    kPolyAftertouch = 10,
    kControlChange = 11,
    kProgramChange = 12,
    kChannelAftertouch = 13,
    kPitchWheel = 14
  };

  // A controller number 0..127; the named ones are the common assignments.
  enum EControlChangeMsg : int
  {
    kModWheel = 1,
    kBreathController = 2,
    kFootController = 4,
    kPortamentoTime = 5,
    kChannelVolume = 7,
    kBalance = 8,
    kPan = 10,
    kExpressionController = 11,
    kSustainOnOff = 64,
    kPortamentoOnOff = 65,
    kSostenutoOnOff = 66,
    kSoftPedalOnOff = 67,
    kAllSoundOff = 120,
    kResetAllControllers = 121,
    kAllNotesOff = 123
  };

  int mOffset;     // sample offset within the current block
  uint8_t mStatus; // kind in the high four bits, channel 0..15 in the low four
  uint8_t mData1;
  uint8_t mData2;

  IMidiMsg(int offset = 0, uint8_t status = 0, uint8_t data1 = 0, uint8_t data2 = 0)
      : mOffset(offset), mStatus(status), mData1(data1), mData2(data2)
  {
  }

  void Clear();
  // The channel is masked to 0..15 so that it cannot change the message kind.
  void MakeNoteOnMsg(int noteNumber, int velocity, int offset, int channel = 0);
  void MakeNoteOffMsg(int noteNumber, int offset, int channel = 0);
  // value -1..1; the 14-bit result is held to 0..16383 (NaN gives 0). Offset 0.
  void MakePitchWheelMsg(double value, int channel = 0);
  // value 0..1, scaled by 127 and truncated, held to 0..127 (NaN gives 0). Offset 0.
  void MakeControlChangeMsg(EControlChangeMsg idx, double value, int channel = 0);

  int Channel() const { return mStatus & 0x0F; }
  // kNone for running-status data bytes and for system messages (0xF0 and above).
  EStatusMsg StatusMsg() const;
  int NoteNumber() const;        // note-off, note-on, poly aftertouch; else -1
  int Velocity() const;          // note-off, note-on; else -1
  int PolyAfterTouch() const;    // else -1
  int ChannelAfterTouch() const; // else -1
  int Program() const;           // else -1
  double PitchWheel() const;     // -1 .. 1 - 1/8192; 0.0 for other kinds
  EControlChangeMsg ControlChangeIdx() const { return static_cast<EControlChangeMsg>(mData1); }
  // mData2 / 127 for a control change of that controller; else -1.0.
  double ControlChange(EControlChangeMsg idx) const;

  // Traces the message; does nothing unless a trace hook is installed.
  void LogMsg() const;

  static const char* StatusMsgStr(EStatusMsg msg);
};

struct ISysEx
{
  int mOffset;          // sample offset within the current block
  int mSize;            // byte count
  const uint8_t* mData; // not owned

  ISysEx(int offset = 0, const uint8_t* data = nullptr, int size = 0)
      : mOffset(offset), mSize(size), mData(data)
  {
  }

  void Clear();
  // Traces the message; does nothing unless a trace hook is installed.
  void LogMsg() const;
};

// Writes the first min(maxLen / 3, size) bytes as "%02X" separated by single spaces, never more
// than maxLen bytes with the terminator; "" for null data, size <= 0 or maxLen < 3 (nothing at
// all when maxLen < 1). Returns out.
char* SysExStr(char* out, int maxLen, const uint8_t* data, int size);
