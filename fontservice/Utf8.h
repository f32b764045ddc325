#pragma once
// UTF-8 decoding and line layout shared by the text service and the raster library's fonts, so
// both split a string into the same characters and lines. Malformed bytes become U+FFFD, one per
// byte.

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

// One line of decoded text: the characters [begin, end) and the sum of their advances.
struct TextLine
{
  size_t begin, end;
  long long width;
};

// Splits decoded text at line feeds (not when singleLine) and sums each line's advances, so the
// text service and the raster library's fonts lay out and measure text alike. Carriage returns,
// and line feeds that do not split, take no room.
template <class Advance>
std::vector<TextLine> SplitTextLines(const std::vector<uint32_t>& cps, bool singleLine,
                                     Advance advance)
{
  std::vector<TextLine> lines;
  TextLine cur{0, 0, 0};
  for (size_t i = 0; i < cps.size(); ++i)
  {
    if (cps[i] == '\n' && !singleLine)
    {
      cur.end = i;
      lines.push_back(cur);
      cur = TextLine{i + 1, i + 1, 0};
    }
    else if (cps[i] != '\r' && cps[i] != '\n')
      cur.width += advance(cps[i]);
  }
  cur.end = cps.size();
  lines.push_back(cur);
  return lines;
}

inline long long WidestLine(const std::vector<TextLine>& lines)
{
  long long widest = 0;
  for (const TextLine& l : lines)
    if (l.width > widest) widest = l.width;
  return widest;
}
