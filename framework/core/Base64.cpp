#include "framework/core/Base64.h"

#include <cstring>

namespace
{
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SixBits(char c)
{
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}
} // namespace

std::string Base64Encode(const uint8_t* data, int n)
{
  std::string out;
  if (!data || n <= 0) return out;
  out.reserve(static_cast<size_t>((n + 2) / 3) * 4);
  for (int i = 0; i < n; i += 3)
  {
    const uint32_t b0 = data[i];
    const uint32_t b1 = i + 1 < n ? data[i + 1] : 0;
    const uint32_t b2 = i + 2 < n ? data[i + 2] : 0;
    const uint32_t v = (b0 << 16) | (b1 << 8) | b2;
    out += kAlphabet[(v >> 18) & 63];
    out += kAlphabet[(v >> 12) & 63];
    out += i + 1 < n ? kAlphabet[(v >> 6) & 63] : '=';
    out += i + 2 < n ? kAlphabet[v & 63] : '=';
  }
  return out;
}

int Base64Decode(const char* text, uint8_t* out, int outSize)
{
  if (!out || outSize <= 0) return 0;
  std::memset(out, 0, static_cast<size_t>(outSize));
  if (!text) return 0;
  uint32_t acc = 0;
  int bits = 0;
  int n = 0;
  for (const char* p = text; *p && n < outSize; ++p)
  {
    const int v = SixBits(*p);
    if (v < 0) break;
    acc = (acc << 6) | static_cast<uint32_t>(v);
    bits += 6;
    if (bits >= 8)
    {
      bits -= 8;
      out[n++] = static_cast<uint8_t>((acc >> bits) & 0xFF);
    }
  }
  return n;
}
