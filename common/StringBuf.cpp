#include "common/StringBuf.h"

#include <cstdio>
#include <cstring>
#include <vector>

void StringBuf::Set(const char* text, int maxLen)
{
  mText.clear();
  Append(text, maxLen);
}

void StringBuf::Append(const char* text, int maxLen)
{
  if (!text) return;
  // With a limit, text need not be terminated within it (bytes read from a chunk).
  const size_t len = maxLen >= 0 ? strnlen(text, static_cast<size_t>(maxLen)) : std::strlen(text);
  mText.append(text, len);
}

std::string StringBuf::Format(int maxLen, const char* fmt, va_list args)
{
  if (!fmt || maxLen <= 0) return std::string();
  std::vector<char> buf(static_cast<size_t>(maxLen) + 1);
  std::vsnprintf(buf.data(), buf.size(), fmt, args);
  return std::string(buf.data());
}

void StringBuf::SetFormatted(int maxLen, const char* fmt, ...)
{
  va_list args;
  va_start(args, fmt);
  mText = Format(maxLen, fmt, args);
  va_end(args);
}

void StringBuf::AppendFormatted(int maxLen, const char* fmt, ...)
{
  va_list args;
  va_start(args, fmt);
  mText += Format(maxLen, fmt, args);
  va_end(args);
}

void StringBuf::SetLen(int len)
{
  if (len >= 0 && static_cast<size_t>(len) < mText.size()) mText.resize(static_cast<size_t>(len));
}

void CopyCString(char* dest, const char* src, int n)
{
  if (!dest || n <= 0) return;
  if (!src) src = "";
  size_t len = std::strlen(src);
  if (len > static_cast<size_t>(n - 1)) len = static_cast<size_t>(n - 1);
  std::memcpy(dest, src, len);
  dest[len] = '\0';
}
