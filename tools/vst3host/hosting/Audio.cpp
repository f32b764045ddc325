#include "tools/vst3host/hosting/Audio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace tarvo::vst3host
{

using namespace Steinberg;

namespace
{
constexpr double kAmplitude = 0.5;
constexpr double kPi = 3.14159265358979323846;

bool ParseSeconds(const std::string& text, double& seconds)
{
  char* end = nullptr;
  seconds = std::strtod(text.c_str(), &end);
  return !text.empty() && end && *end == 0 && std::isfinite(seconds) && seconds > 0.0 &&
         seconds <= 3600.0;
}
} // namespace

bool IsGeneratorName(const std::string& text)
{
  return text == "impulse" || text.rfind("noise:", 0) == 0 || text.rfind("sweep:", 0) == 0;
}

bool GenerateSignal(const std::string& signal, double sampleRate, int channels, Planar& out,
                    std::string& error)
{
  out.assign(static_cast<size_t>(channels), {});
  if (signal == "impulse")
  {
    const size_t frames = static_cast<size_t>(sampleRate) + 1;
    for (auto& channel : out)
    {
      channel.assign(frames, 0.0);
      channel[0] = 1.0;
    }
    return true;
  }
  const bool noise = signal.rfind("noise:", 0) == 0;
  const bool sweep = signal.rfind("sweep:", 0) == 0;
  double seconds = 0.0;
  if ((!noise && !sweep) || !ParseSeconds(signal.substr(6), seconds))
  {
    error = "unknown signal '" + signal + "' (noise:SECONDS, sweep:SECONDS or impulse)";
    return false;
  }
  const size_t frames = static_cast<size_t>(std::llround(seconds * sampleRate));
  for (size_t c = 0; c < out.size(); ++c)
  {
    std::vector<double>& channel = out[c];
    channel.resize(frames);
    if (noise)
    {
      // xorshift64*: the same noise on every machine and every run.
      std::uint64_t state = 0x9E3779B97F4A7C15ull * (c + 1);
      for (double& sample : channel)
      {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        const std::uint64_t r = state * 0x2545F4914F6CDD1Dull;
        sample = kAmplitude * (2.0 * static_cast<double>(r >> 11) * 0x1.0p-53 - 1.0);
      }
    }
    else
    {
      const double f0 = 20.0;
      const double f1 = std::min(20000.0, 0.45 * sampleRate);
      const double k = std::log(f1 / f0);
      for (size_t i = 0; i < frames; ++i)
      {
        const double t = static_cast<double>(i) / sampleRate;
        const double phase = 2.0 * kPi * f0 * seconds / k * (std::exp(t / seconds * k) - 1.0);
        channel[i] = kAmplitude * std::sin(phase);
      }
    }
  }
  return true;
}

double Levels::PeakDb() const
{
  return peak > 0.0 ? 20.0 * std::log10(peak) : -std::numeric_limits<double>::infinity();
}

double Levels::RmsDb() const
{
  return rms > 0.0 ? 20.0 * std::log10(rms) : -std::numeric_limits<double>::infinity();
}

Levels Measure(const Planar& audio)
{
  Levels levels;
  double sum = 0.0;
  size_t count = 0;
  for (const auto& channel : audio)
    for (double sample : channel)
    {
      levels.peak = std::max(levels.peak, std::fabs(sample));
      sum += sample * sample;
      ++count;
    }
  levels.rms = count ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
  return levels;
}

std::string FormatDb(double db)
{
  if (!std::isfinite(db)) return db < 0 ? "-inf" : "inf";
  char text[32];
  std::snprintf(text, sizeof(text), "%.2f", db);
  return text;
}

void AdaptChannels(Planar& audio, int channels)
{
  if (audio.empty() || static_cast<int>(audio.size()) == channels) return;
  if (audio.size() == 1)
  {
    audio.resize(static_cast<size_t>(channels), audio[0]);
    return;
  }
  if (channels == 1)
  {
    std::vector<double> mono(audio[0].size(), 0.0);
    for (const auto& channel : audio)
      for (size_t i = 0; i < mono.size(); ++i)
        mono[i] += channel[i] / static_cast<double>(audio.size());
    audio.assign(1, std::move(mono));
    return;
  }
  if (static_cast<int>(audio.size()) > channels)
  {
    audio.resize(static_cast<size_t>(channels));
    return;
  }
  audio.resize(static_cast<size_t>(channels), audio.back());
}

bool Render(PluginInstance& instance, const Planar& in, Planar& out, int blockSize,
            bool doublePrecision, std::string& error)
{
  const int channels = instance.Channels();
  const size_t frames = in.empty() ? 0 : in[0].size();
  out.assign(static_cast<size_t>(channels), std::vector<double>(frames, 0.0));
  const size_t block = static_cast<size_t>(std::max(blockSize, 1));
  std::vector<std::vector<float>> in32(static_cast<size_t>(channels), std::vector<float>(block));
  std::vector<std::vector<float>> out32(static_cast<size_t>(channels), std::vector<float>(block));
  std::vector<std::vector<double>> in64(static_cast<size_t>(channels), std::vector<double>(block));
  std::vector<std::vector<double>> out64(static_cast<size_t>(channels), std::vector<double>(block));
  std::vector<float*> inPtr32, outPtr32;
  std::vector<double*> inPtr64, outPtr64;
  for (int c = 0; c < channels; ++c)
  {
    inPtr32.push_back(in32[static_cast<size_t>(c)].data());
    outPtr32.push_back(out32[static_cast<size_t>(c)].data());
    inPtr64.push_back(in64[static_cast<size_t>(c)].data());
    outPtr64.push_back(out64[static_cast<size_t>(c)].data());
  }
  for (size_t start = 0; start < frames || (frames == 0 && start == 0); start += block)
  {
    const size_t n = std::min(block, frames - start);
    tresult result = kResultOk;
    for (size_t c = 0; c < static_cast<size_t>(channels); ++c)
    {
      const double* source = c < in.size() ? in[c].data() + start : nullptr;
      for (size_t i = 0; i < n; ++i)
      {
        const double sample = source ? source[i] : 0.0;
        in32[c][i] = static_cast<float>(sample);
        in64[c][i] = sample;
      }
    }
    result = doublePrecision
                 ? instance.Process(inPtr64.data(), outPtr64.data(), static_cast<int32>(n))
                 : instance.Process(inPtr32.data(), outPtr32.data(), static_cast<int32>(n));
    if (result != kResultOk)
    {
      error = "process returned " + std::to_string(result);
      return false;
    }
    for (size_t c = 0; c < static_cast<size_t>(channels); ++c)
      for (size_t i = 0; i < n; ++i)
        out[c][start + i] = doublePrecision ? out64[c][i] : static_cast<double>(out32[c][i]);
    if (frames == 0) break;
  }
  return true;
}

} // namespace tarvo::vst3host
