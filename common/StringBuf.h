#pragma once
// Growable zero-terminated byte string. Get() of an empty string is "", never null.

#include <cstdarg>
#include <string>

class StringBuf
{
public:
  StringBuf() = default;
  explicit StringBuf(const char* text) { Set(text); }

  const char* Get() const { return mText.c_str(); }
  int GetLength() const { return static_cast<int>(mText.size()); }

  // Copies at most maxLen bytes of text (all of it when maxLen < 0); null sets "".
  void Set(const char* text, int maxLen = -1);
  void Append(const char* text, int maxLen = -1);
  // printf-style; the result is cut to maxLen characters.
  void SetFormatted(int maxLen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  void AppendFormatted(int maxLen, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
  void SetLen(int len);

private:
  static std::string Format(int maxLen, const char* fmt, va_list args);
  std::string mText;
};

// Copies src into a fixed char array of size n, cutting it to n - 1 characters.
void CopyCString(char* dest, const char* src, int n);
