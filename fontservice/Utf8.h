#pragma once
// UTF-8 decoding shared by the text service and the raster library's fonts, so both split a
// string into the same characters. Malformed bytes become U+FFFD, one per byte.

#include <cstddef>
#include <cstdint>
#include <vector>

inline std::vector<uint32_t> Utf8Decode(const char* text, size_t n)
{
  std::vector<uint32_t> out;
  out.reserve(n);
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  size_t i = 0;
  while (i < n)
  {
    const unsigned c = s[i];
    int extra = 0;
    uint32_t cp = 0, min = 0;
    if (c < 0x80)
    {
      out.push_back(c);
      ++i;
      continue;
    }
    if ((c & 0xE0) == 0xC0)
      extra = 1, cp = c & 0x1F, min = 0x80;
    else if ((c & 0xF0) == 0xE0)
      extra = 2, cp = c & 0x0F, min = 0x800;
    else if ((c & 0xF8) == 0xF0)
      extra = 3, cp = c & 0x07, min = 0x10000;
    bool ok = extra > 0;
    for (int k = 1; ok && k <= extra; ++k)
    {
      if (i + static_cast<size_t>(k) >= n || (s[i + k] & 0xC0) != 0x80)
        ok = false;
      else
        cp = cp << 6 | (s[i + k] & 0x3F);
    }
    if (ok && (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    if (!ok)
    {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    out.push_back(cp);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}
