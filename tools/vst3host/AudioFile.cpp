#include "tools/vst3host/AudioFile.h"

#include <sndfile.h>

#include <cmath>

namespace tarvo::vst3host
{

bool ReadAudioFile(const std::string& path, Planar& audio, double& sampleRate, std::string& error)
{
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file)
  {
    error = "cannot read '" + path + "': " + sf_strerror(nullptr);
    return false;
  }
  const size_t channels = static_cast<size_t>(info.channels);
  const size_t frames = static_cast<size_t>(info.frames);
  std::vector<double> interleaved(frames * channels);
  const sf_count_t read = sf_readf_double(file, interleaved.data(), info.frames);
  sf_close(file);
  if (read < 0 || channels == 0)
  {
    error = "cannot read the samples of '" + path + "'";
    return false;
  }
  audio.assign(channels, std::vector<double>(static_cast<size_t>(read)));
  for (size_t i = 0; i < static_cast<size_t>(read); ++i)
    for (size_t c = 0; c < channels; ++c)
      audio[c][i] = interleaved[i * channels + c];
  sampleRate = info.samplerate;
  return true;
}

bool WriteAudioFile(const std::string& path, const Planar& audio, double sampleRate, int bits,
                    std::string& error)
{
  SF_INFO info{};
  info.channels = static_cast<int>(audio.size());
  info.samplerate = static_cast<int>(std::lround(sampleRate));
  info.format = SF_FORMAT_WAV | (bits == 64 ? SF_FORMAT_DOUBLE : SF_FORMAT_FLOAT);
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file)
  {
    error = "cannot write '" + path + "': " + sf_strerror(nullptr);
    return false;
  }
  const size_t channels = audio.size();
  const size_t frames = channels ? audio[0].size() : 0;
  // Samples go in as doubles: libsndfile rounds them to the file's sample size.
  std::vector<double> interleaved(frames * channels);
  for (size_t i = 0; i < frames; ++i)
    for (size_t c = 0; c < channels; ++c)
      interleaved[i * channels + c] = audio[c][i];
  const sf_count_t written =
      sf_writef_double(file, interleaved.data(), static_cast<sf_count_t>(frames));
  sf_close(file);
  if (written != static_cast<sf_count_t>(frames))
  {
    error = "cannot write the samples of '" + path + "'";
    return false;
  }
  return true;
}

} // namespace tarvo::vst3host
