#pragma once
// Reading and writing audio files: with libsndfile on Linux (AudioFile.cpp), as WAV of our own
// on Windows, which has no libsndfile (AudioFileWav.cpp).

#include "tools/vst3host/hosting/Audio.h"

#include <string>

namespace tarvo::vst3host
{

/// Reads an audio file (any libsndfile reads; WAV on Windows) into planar doubles; false with a
/// reason on failure.
bool ReadAudioFile(const std::string& path, Planar& audio, double& sampleRate, std::string& error);
/// Writes a float WAV file of 32 bits per sample, or 64 when bits is 64.
bool WriteAudioFile(const std::string& path, const Planar& audio, double sampleRate, int bits,
                    std::string& error);

} // namespace tarvo::vst3host
