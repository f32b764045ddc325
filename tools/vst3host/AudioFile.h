#pragma once
// Reading and writing audio files with libsndfile.

#include "tools/vst3host/hosting/Audio.h"

#include <string>

namespace tarvo::vst3host
{

/// Reads any file libsndfile reads into planar doubles; false with a reason on failure.
bool ReadAudioFile(const std::string& path, Planar& audio, double& sampleRate, std::string& error);
/// Writes a 32-bit float WAV file.
bool WriteAudioFile(const std::string& path, const Planar& audio, double sampleRate,
                    std::string& error);

} // namespace tarvo::vst3host
