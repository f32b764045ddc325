// Glyphs from Windows GDI. This file includes <windows.h>, whose CreateFont, DrawText, HFONT and
// friends collide with the text service's own names, so it sees only FontFace.h; FontService.cpp
// never sees <windows.h>.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "fontservice/FontFace.h"

namespace
{

std::wstring Widen(const std::string& s)
{
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(std::max(n, 0)), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
  return w;
}

std::string Narrow(const std::wstring& w)
{
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string s(static_cast<size_t>(std::max(n, 0)), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr,
                        nullptr);
  return s;
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b)
{
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return true;
}

bool StripSuffix(std::string& s, const char* suffix)
{
  const std::string x = suffix;
  if (s.size() < x.size()) return false;
  for (size_t i = 0; i < x.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(s[s.size() - x.size() + i])) !=
        std::tolower(static_cast<unsigned char>(x[i])))
      return false;
  s.resize(s.size() - x.size());
  return true;
}

uint16_t BigEndian16(const unsigned char* p)
{
  return static_cast<uint16_t>(p[0] << 8 | p[1]);
}
uint32_t BigEndian32(const unsigned char* p)
{
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// The family name (name ID 1, Windows platform) of a TrueType file, which GDI needs to ask for
// a face loaded from a file. Empty when the file has none we can read.
std::wstring FamilyOfFontFile(const std::string& path)
{
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  LARGE_INTEGER size{};
  std::vector<unsigned char> data;
  if (GetFileSizeEx(file, &size) && size.QuadPart > 12 && size.QuadPart < (64 << 20))
  {
    data.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &read, nullptr) ||
        read != data.size())
      data.clear();
  }
  CloseHandle(file);
  if (data.size() < 12) return {};
  const size_t tables = BigEndian16(&data[4]);
  for (size_t t = 0; t < tables && 12 + 16 * (t + 1) <= data.size(); ++t)
  {
    const unsigned char* rec = &data[12 + 16 * t];
    if (std::string(reinterpret_cast<const char*>(rec), 4) != "name") continue;
    const size_t base = BigEndian32(rec + 8), length = BigEndian32(rec + 12);
    if (base + 6 > data.size() || length > data.size() - base) return {};
    const size_t count = BigEndian16(&data[base + 2]);
    const size_t strings = base + BigEndian16(&data[base + 4]);
    for (size_t i = 0; i < count && base + 6 + 12 * (i + 1) <= base + length; ++i)
    {
      const unsigned char* n = &data[base + 6 + 12 * i];
      if (BigEndian16(n) != 3 || BigEndian16(n + 6) != 1) continue; // Windows platform, family
      const size_t len = BigEndian16(n + 8), off = strings + BigEndian16(n + 10);
      if (off + len > data.size()) return {};
      std::wstring name;
      for (size_t k = 0; k + 1 < len; k += 2)
        name.push_back(static_cast<wchar_t>(BigEndian16(&data[off + k])));
      return name;
    }
  }
  return {};
}

// Face-name resolution: once per name and process, under this lock. GDI substitutes a face it
// does not know silently, so a name counts as found only when the face GDI selected carries it.
struct Resolved
{
  std::wstring family; // what CreateFontW is asked for
  std::string file;    // the fallback file when that was used
};
std::mutex gNameMutex;
std::map<std::string, Resolved> gNames;
std::string gFallbackFile;
std::wstring gFallbackFamily; // set once the fallback file is loaded privately

// The privately loaded fallback file goes when the module unloads (its statics are destroyed).
struct PrivateFonts
{
  std::vector<std::wstring> files;
  ~PrivateFonts()
  {
    for (const std::wstring& f : files)
      RemoveFontResourceExW(f.c_str(), FR_PRIVATE, nullptr);
  }
};
PrivateFonts gPrivateFonts;

std::wstring SelectedFaceName(HDC dc)
{
  wchar_t name[LF_FACESIZE] = {};
  return GetTextFaceW(dc, LF_FACESIZE, name) > 0 ? std::wstring(name) : std::wstring();
}

HFONT MakeFont(const std::wstring& family, int size, bool bold, bool italic, bool mono)
{
  return CreateFontW(-size, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic ? TRUE : FALSE, FALSE,
                     FALSE, DEFAULT_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS,
                     mono ? NONANTIALIASED_QUALITY : ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS,
                     family.substr(0, LF_FACESIZE - 1).c_str());
}

Resolved ResolveName(const std::string& family)
{
  std::lock_guard<std::mutex> lock(gNameMutex);
  auto it = gNames.find(family);
  if (it != gNames.end()) return it->second;
  Resolved r;
  r.family = family.empty() ? L"Arial" : Widen(family);
  bool found = false;
  if (HDC dc = CreateCompatibleDC(nullptr))
  {
    if (HFONT probe = MakeFont(r.family, 12, false, false, false))
    {
      HGDIOBJ old = SelectObject(dc, probe);
      found = EqualsNoCase(SelectedFaceName(dc), r.family);
      SelectObject(dc, old);
      DeleteObject(probe);
    }
    DeleteDC(dc);
  }
  if (!found && !gFallbackFile.empty())
  {
    // Loaded privately: only this process sees the face, and it never lands in the user's fonts.
    if (gFallbackFamily.empty() &&
        AddFontResourceExW(Widen(gFallbackFile).c_str(), FR_PRIVATE, nullptr) > 0)
    {
      gPrivateFonts.files.push_back(Widen(gFallbackFile));
      gFallbackFamily = FamilyOfFontFile(gFallbackFile);
    }
    if (!gFallbackFamily.empty())
    {
      r.family = gFallbackFamily;
      r.file = gFallbackFile;
    }
  }
  gNames[family] = r;
  return r;
}

constexpr MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};

FIXED ToFixed(double v)
{
  const long f = std::lround(v * 65536.0);
  FIXED x;
  x.value = static_cast<short>(f >> 16);
  x.fract = static_cast<WORD>(f & 0xFFFF);
  return x;
}

// A GDI font selected into a memory context of its own, so faces never share GDI state.
class GdiFace final : public fontservice::FontFace
{
public:
  HDC dc = nullptr;
  HFONT font = nullptr;
  HGDIOBJ previous = nullptr;
  bool mono = false;

  ~GdiFace() override
  {
    if (dc && previous) SelectObject(dc, previous);
    if (font) DeleteObject(font);
    if (dc) DeleteDC(dc);
  }

  int Advance(uint32_t codepoint) override
  {
    GLYPHMETRICS gm{};
    if (GetGlyphOutlineW(dc, Unit(codepoint), GGO_METRICS, &gm, 0, nullptr, &kIdentity) ==
        GDI_ERROR)
      return 0;
    return gm.gmCellIncX;
  }

  bool Render(uint32_t codepoint, double rotation, fontservice::GlyphImage& image) override
  {
    MAT2 m = kIdentity;
    if (rotation != 0.0)
    {
      const double c = std::cos(rotation), s = std::sin(rotation);
      m.eM11 = ToFixed(c);
      m.eM12 = ToFixed(s);
      m.eM21 = ToFixed(-s);
      m.eM22 = ToFixed(c);
    }
    const UINT format = mono ? GGO_BITMAP : GGO_GRAY8_BITMAP;
    GLYPHMETRICS gm{};
    const DWORD size = GetGlyphOutlineW(dc, Unit(codepoint), format, &gm, 0, nullptr, &m);
    if (size == GDI_ERROR) return false;
    image = fontservice::GlyphImage();
    if (size == 0) return true; // a blank glyph: space
    mRaw.assign(size, 0);
    if (GetGlyphOutlineW(dc, Unit(codepoint), format, &gm, size, mRaw.data(), &m) == GDI_ERROR)
      return false;
    const int w = static_cast<int>(gm.gmBlackBoxX), h = static_cast<int>(gm.gmBlackBoxY);
    // GDI rows are DWORD aligned: one bit per pixel, or one byte of 0..64.
    const size_t pitch = mono ? ((w + 31) / 32) * 4 : ((w + 3) / 4) * 4;
    if (pitch * static_cast<size_t>(h) > size) return false;
    mCoverage.assign(static_cast<size_t>(w) * h, 0);
    for (int y = 0; y < h; ++y)
    {
      const unsigned char* src = mRaw.data() + pitch * y;
      unsigned char* dst = mCoverage.data() + static_cast<size_t>(w) * y;
      for (int x = 0; x < w; ++x)
        dst[x] = mono ? ((src[x >> 3] >> (7 - (x & 7)) & 1) ? 255 : 0)
                      : static_cast<unsigned char>(std::min(64, int(src[x])) * 255 / 64);
    }
    image.left = gm.gmptGlyphOrigin.x;
    image.top = gm.gmptGlyphOrigin.y;
    image.width = w;
    image.rows = h;
    image.pitch = w;
    image.coverage = mCoverage.data();
    return true;
  }

private:
  // GDI takes UTF-16 code units; characters beyond the first plane draw as the missing glyph.
  static UINT Unit(uint32_t codepoint) { return codepoint <= 0xFFFF ? codepoint : 0xFFFD; }

  std::vector<unsigned char> mRaw, mCoverage;
};

} // namespace

void SetFallbackFontFile(const char* path)
{
  std::lock_guard<std::mutex> lock(gNameMutex);
  gFallbackFile = path ? path : "";
}

namespace fontservice
{

std::unique_ptr<FontFace> OpenFace(const std::string& key, int size, bool mono,
                                   FaceMetrics& metrics)
{
  std::string family = key;
  const bool italic = StripSuffix(family, " Italic");
  const bool bold = StripSuffix(family, " Bold");
  const Resolved resolved = ResolveName(family);

  std::unique_ptr<GdiFace> face(new (std::nothrow) GdiFace());
  if (!face) return nullptr;
  face->mono = mono;
  face->dc = CreateCompatibleDC(nullptr);
  face->font = MakeFont(resolved.family, size, bold, italic, mono);
  if (!face->dc || !face->font) return nullptr;
  face->previous = SelectObject(face->dc, face->font);
  TEXTMETRICW tm{};
  if (!GetTextMetricsW(face->dc, &tm)) return nullptr;
  metrics.ascent = tm.tmAscent;
  metrics.descent = tm.tmDescent;
  if (metrics.ascent + metrics.descent <= 0)
  {
    metrics.ascent = size;
    metrics.descent = 0;
  }
  metrics.lineGap = std::max<int>(0, tm.tmExternalLeading);
  metrics.maxAdvance = tm.tmMaxCharWidth;
  metrics.file = resolved.file;
  metrics.family = Narrow(SelectedFaceName(face->dc));
  return face;
}

} // namespace fontservice
