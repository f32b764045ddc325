// WAV files without libsndfile, which the Windows build lacks: PCM of 16, 24 or 32 bits and IEEE
// floats of 32 or 64 bits in, IEEE floats out.
#include "tools/vst3host/AudioFile.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace tarvo::vst3host
{

namespace
{
constexpr uint16_t kFormatPcm = 1, kFormatFloat = 3, kFormatExtensible = 0xFFFE;

FILE* Open(const std::string& path, const char* mode)
{
#if defined(_WIN32)
  auto widen = [](const std::string& s)
  {
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, nullptr, 0);
    std::wstring w(static_cast<size_t>(n > 0 ? n : 1), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.c_str(), -1, &w[0], n);
    w.resize(w.size() - 1);
    return w;
  };
  return _wfopen(widen(path).c_str(), widen(mode).c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

uint32_t Le(const unsigned char* p, int bytes)
{
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i)
    v = v << 8 | p[i];
  return v;
}

void PutLe(std::string& out, uint64_t v, int bytes)
{
  for (int i = 0; i < bytes; ++i)
    out.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
}

double Sample(const unsigned char* p, uint16_t format, int bits)
{
  if (format == kFormatFloat && bits == 32)
  {
    float f;
    std::memcpy(&f, p, 4);
    return f;
  }
  if (format == kFormatFloat && bits == 64)
  {
    double d;
    std::memcpy(&d, p, 8);
    return d;
  }
  const int bytes = bits / 8;
  uint32_t u = Le(p, bytes);
  if (bytes < 4 && (u >> (bits - 1) & 1)) u |= ~uint32_t(0) << bits; // sign-extend
  return static_cast<int32_t>(u) / std::ldexp(1.0, bits - 1);
}
} // namespace

bool ReadAudioFile(const std::string& path, Planar& audio, double& sampleRate, std::string& error)
{
  FILE* f = Open(path, "rb");
  if (!f)
  {
    error = "cannot read '" + path + "'";
    return false;
  }
  std::string data;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
    data.append(buffer, n);
  std::fclose(f);
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  if (data.size() < 12 || data.compare(0, 4, "RIFF") != 0 || data.compare(8, 4, "WAVE") != 0)
  {
    error = "'" + path + "' is not a WAV file";
    return false;
  }
  uint16_t format = 0, channels = 0, bits = 0;
  uint32_t rate = 0;
  const unsigned char* samples = nullptr;
  size_t sampleBytes = 0;
  for (size_t pos = 12; pos + 8 <= data.size();)
  {
    const std::string id = data.substr(pos, 4);
    const size_t size = Le(bytes + pos + 4, 4);
    const size_t body = pos + 8;
    const size_t avail = std::min(size, data.size() - body);
    if (id == "fmt " && avail >= 16)
    {
      format = static_cast<uint16_t>(Le(bytes + body, 2));
      channels = static_cast<uint16_t>(Le(bytes + body + 2, 2));
      rate = Le(bytes + body + 4, 4);
      bits = static_cast<uint16_t>(Le(bytes + body + 14, 2));
      if (format == kFormatExtensible && avail >= 26)
        format = static_cast<uint16_t>(Le(bytes + body + 24, 2)); // the sub-format's first word
    }
    else if (id == "data")
    {
      samples = bytes + body;
      sampleBytes = avail;
    }
    pos = body + size + (size & 1);
  }
  const bool supported = (format == kFormatPcm && (bits == 16 || bits == 24 || bits == 32)) ||
                         (format == kFormatFloat && (bits == 32 || bits == 64));
  if (!samples || channels == 0 || rate == 0 || !supported)
  {
    error = "'" + path + "' holds no audio this host reads (PCM 16/24/32, float 32/64)";
    return false;
  }
  const size_t frameBytes = static_cast<size_t>(channels) * (bits / 8);
  const size_t frames = sampleBytes / frameBytes;
  audio.assign(channels, std::vector<double>(frames));
  for (size_t i = 0; i < frames; ++i)
    for (size_t c = 0; c < channels; ++c)
      audio[c][i] = Sample(samples + i * frameBytes + c * (bits / 8), format, bits);
  sampleRate = rate;
  return true;
}

bool WriteAudioFile(const std::string& path, const Planar& audio, double sampleRate, int bits,
                    std::string& error)
{
  const size_t channels = audio.size();
  const size_t frames = channels ? audio[0].size() : 0;
  const int bytesPerSample = bits == 64 ? 8 : 4;
  const uint64_t dataBytes = static_cast<uint64_t>(frames) * channels * bytesPerSample;
  if (channels == 0 || channels > 0xFFFF || dataBytes > 0xFFFFFF00u)
  {
    error = "cannot write '" + path + "': too many channels or samples for a WAV file";
    return false;
  }
  std::string out;
  out.reserve(static_cast<size_t>(dataBytes) + 64);
  out += "RIFF";
  PutLe(out, 4 + 26 + 12 + 8 + dataBytes, 4);
  out += "WAVEfmt ";
  PutLe(out, 18, 4);
  PutLe(out, kFormatFloat, 2);
  PutLe(out, channels, 2);
  PutLe(out, static_cast<uint32_t>(std::lround(sampleRate)), 4);
  PutLe(out, static_cast<uint32_t>(std::lround(sampleRate)) * channels * bytesPerSample, 4);
  PutLe(out, channels * bytesPerSample, 2);
  PutLe(out, static_cast<uint64_t>(bytesPerSample) * 8, 2);
  PutLe(out, 0, 2); // no extension
  // Float files carry a fact chunk with the frame count.
  out += "fact";
  PutLe(out, 4, 4);
  PutLe(out, frames, 4);
  out += "data";
  PutLe(out, dataBytes, 4);
  for (size_t i = 0; i < frames; ++i)
    for (size_t c = 0; c < channels; ++c)
    {
      if (bytesPerSample == 8)
      {
        uint64_t u;
        const double d = audio[c][i];
        std::memcpy(&u, &d, 8);
        PutLe(out, u, 8);
      }
      else
      {
        uint32_t u;
        const float f = static_cast<float>(audio[c][i]);
        std::memcpy(&u, &f, 4);
        PutLe(out, u, 4);
      }
    }
  FILE* f = Open(path, "wb");
  bool ok = f && std::fwrite(out.data(), 1, out.size(), f) == out.size();
  if (f) ok = std::fclose(f) == 0 && ok;
  if (!ok) error = "cannot write '" + path + "'";
  return ok;
}

} // namespace tarvo::vst3host
