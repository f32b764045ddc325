#pragma once
// Recognising the host application from the name it reports.

// Host identity, named after the display names. 10, 11 and 19 are hosts without a name of their
// own; 12 is what Melodyne is recognised as, and shows as "Unknown" too.
enum EHost : int
{
  kHostUninit = -1, // not identified yet
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostSonar = 5,
  kHostVegas = 6,
  kHostFLStudio = 7,
  kHostSamplitude = 8,
  kHostLive = 9,
  kHostMelodyne = 12,
  kHostVSTScanner = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigitalPerformer = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostStudioOne = 26,
  kHostVST3PluginTestHost = 27,
  kHostArdour = 28
};

// Longest display name ("VST3PluginTestHost") plus its terminator fits in this.
constexpr int kMaxHostNameStrLen = 32;

// Case-insensitive substring match on the first 255 characters of hostName; the first of a
// fixed list of substrings found wins. Null or unmatched gives kHostUnknown. Reentrant.
EHost LookUpHost(const char* hostName);

// Writes the host's display name, "Unknown" for kHostUninit, out-of-range and unnamed values.
// out must hold kMaxHostNameStrLen bytes.
void GetHostNameStr(EHost host, char* out);
