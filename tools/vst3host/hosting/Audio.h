#pragma once
// Audio helpers of the host: planar buffers, generated test signals, levels, and rendering a
// whole signal through a configured, active plug-in instance in blocks.

#include "tools/vst3host/hosting/PluginInstance.h"

#include <string>
#include <vector>

namespace tarvo::vst3host
{

/// Planar audio: one vector of samples per channel, all of one length.
using Planar = std::vector<std::vector<double>>;

/// Test signals, at amplitude 0.5 (about -6 dBFS peak):
///   "noise:SECONDS"  white noise, uniform, a fixed seed per channel (reproducible)
///   "sweep:SECONDS"  exponential sine sweep from 20 Hz to 20 kHz (or 0.45 of the rate)
///   "impulse"        one sample of 1.0 followed by one second of silence
/// False (with a reason) for any other text.
bool GenerateSignal(const std::string& signal, double sampleRate, int channels, Planar& out,
                    std::string& error);
/// True when text names a generator rather than a file.
bool IsGeneratorName(const std::string& text);

struct Levels
{
  double peak = 0.0; // largest magnitude of all channels
  double rms = 0.0;  // over all samples of all channels
  double PeakDb() const;
  double RmsDb() const;
};
Levels Measure(const Planar& audio);
/// "-6.02" or "-inf".
std::string FormatDb(double db);

/// Makes `audio` `channels` wide: a mono signal is copied to every channel, a wider one is
/// averaged into mono or cut to the first channels.
void AdaptChannels(Planar& audio, int channels);

/// Renders `in` through the instance (configured with Channels() channels, active) in blocks of
/// at most blockSize frames, in the instance's sample size (32-bit blocks convert each block to
/// float and back). Returns false with a reason if a process call fails.
bool Render(PluginInstance& instance, const Planar& in, Planar& out, int blockSize,
            bool doublePrecision, std::string& error);

} // namespace tarvo::vst3host
