#include "common/Utf8File.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace
{
// Empty for text that is not UTF-8: such a name names no file we wrote.
std::wstring Wide(const char* s)
{
  const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s, -1, &w[0], n);
  w.resize(static_cast<size_t>(n - 1));
  return w;
}
} // namespace

std::FILE* OpenUtf8File(const char* path, const char* mode)
{
  if (!path || !mode) return nullptr;
  const std::wstring wpath = Wide(path), wmode = Wide(mode);
  return wpath.empty() || wmode.empty() ? nullptr : _wfopen(wpath.c_str(), wmode.c_str());
}
#else
std::FILE* OpenUtf8File(const char* path, const char* mode)
{
  if (!path || !mode) return nullptr;
  return std::fopen(path, mode);
}
#endif
