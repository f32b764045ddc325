#include "framework/core/HostIdentification.h"

#include <cstring>

#include "framework/core/Trace.h"

namespace
{
struct HostPattern
{
  const char* substring;
  EHost host;
};

// Order decides overlaps: a name with both "cubase" and "nuendo" is Cubase, and any name that
// contains "live" or "digital" is Live or Digital Performer.
constexpr HostPattern kPatterns[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostSonar},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFLStudio},
    {"live", kHostLive},
    {"melodyne", kHostMelodyne},
    {"vstmanlib", kHostVSTScanner},
    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostStudioOne},
    {"vst3plugintesthost", kHostVST3PluginTestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"standalone", kHostStandalone},
};

// Indexed by EHost; null where the host has no name of its own.
constexpr const char* kHostNames[] = {
    "Unknown",    "Reaper",     "ProTools",   "Cubase",
    "Nuendo",     "Sonar",      "Vegas",      "FLStudio",
    "Samplitude", "Live",       nullptr,      nullptr,
    nullptr,      "VSTScanner", "AULab",      "Forte",
    "Chainer",    "Audition",   "Orion",      nullptr,
    "SAWStudio",  "Logic",      "GarageBand", "DigitalPerformer",
    "Standalone", "AudioMulch", "StudioOne",  "VST3PluginTestHost",
    "Ardour"};
static_assert(sizeof(kHostNames) / sizeof(kHostNames[0]) == kHostArdour + 1, "one per EHost");
} // namespace

EHost LookUpHost(const char* hostName)
{
  char lower[256];
  ToLower(lower, hostName ? hostName : "", sizeof lower);
  for (const HostPattern& p : kPatterns)
    if (std::strstr(lower, p.substring)) return p.host;
  return kHostUnknown;
}

void GetHostNameStr(EHost host, char* out)
{
  const char* name = host >= kHostUnknown && host <= kHostArdour ? kHostNames[host] : nullptr;
  std::strcpy(out, name ? name : "Unknown");
}
