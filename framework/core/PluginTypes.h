#pragma once
// Small records shared between the plug-in base, its bindings and the product.

#include <cstdint>

// Which binding an instance runs in.
enum EAPI
{
  kAPIVST2 = 0,
  kAPIVST3 = 1,
  kAPIAU = 2,
  kAPIRTAS = 3,
  kAPIAAX = 4,
  kAPISA = 5
};

// Carries what a binding hands a product's constructor; VST 3 needs nothing.
struct IInstanceInfo
{
};

// Tempo and transport, filled by the binding from the host.
struct ITimeInfo
{
  double mTempo = 120.0;
  double mSamplePos = -1.0;
  double mPPQPos = -1.0;
  double mLastBar = -1.0;
  double mCycleStart = -1.0;
  double mCycleEnd = -1.0;
  int mNumerator = 4;
  int mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};

// Versions are packed 0xVVVVRRMM: major in bits 31..16, minor 15..8, patch 7..0.
void GetVersionParts(int version, int* major, int* minor, int* patch);
int GetDecimalVersion(int version);
// Writes "v%d.%d.%d" into out (at least 32 bytes).
void GetVersionStr(int version, char* out);

// Four-character codes read as big-endian ints ('Trvo' == 0x5472766F).
constexpr int FourCC(const char (&s)[5])
{
  return static_cast<int>((static_cast<uint32_t>(static_cast<uint8_t>(s[0])) << 24) |
                          (static_cast<uint32_t>(static_cast<uint8_t>(s[1])) << 16) |
                          (static_cast<uint32_t>(static_cast<uint8_t>(s[2])) << 8) |
                          static_cast<uint32_t>(static_cast<uint8_t>(s[3])));
}
