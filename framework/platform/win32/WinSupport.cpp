#include "framework/platform/win32/WinSupport.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/gui/IGraphics.h"

namespace win32
{

std::wstring Widen(const std::string& utf8)
{
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &out[0], n);
  return out;
}

std::string Narrow(const std::wstring& utf16)
{
  if (utf16.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                    nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), &out[0], n, nullptr,
                      nullptr);
  return out;
}

std::string FrameworkPath(const std::wstring& native)
{
  std::string path = Narrow(native);
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

std::wstring NativePath(const std::string& path)
{
  std::wstring native = Widen(path);
  for (wchar_t& c : native)
    if (c == L'/') c = L'\\';
  return native;
}

int EngineKeyCode(unsigned vk)
{
  switch (vk)
  {
  case VK_SPACE:
    return 0;
  case VK_UP:
    return 1;
  case VK_DOWN:
    return 2;
  case VK_LEFT:
    return 3;
  case VK_RIGHT:
    return 4;
  default:
    break;
  }
  // Virtual keys of digits and letters are their (upper-case) characters.
  if (vk >= '0' && vk <= '9') return 5 + static_cast<int>(vk - '0');
  if (vk >= 'A' && vk <= 'Z') return 15 + static_cast<int>(vk - 'A');
  return -1;
}

IMouseMod MouseMod(bool rightButton, bool shift, bool control, bool alt)
{
  return IMouseMod(!rightButton, rightButton, shift, control, alt);
}

int WheelNotches(int delta, int* rest)
{
  const int total = delta + (rest ? *rest : 0);
  const int notches = total / WHEEL_DELTA; // toward zero, like the engine's delta
  if (rest) *rest = total - notches * WHEEL_DELTA;
  return notches;
}

bool FieldAccepts(const std::wstring& current, size_t selStart, size_t selEnd,
                  const std::wstring& typed, const char* accepted, int maxLen)
{
  if (selStart > selEnd) std::swap(selStart, selEnd);
  selEnd = std::min(selEnd, current.size());
  selStart = std::min(selStart, selEnd);
  if (accepted)
    for (wchar_t c : typed)
      if (c >= 0x80 || !std::strchr(accepted, static_cast<char>(c)) || c == 0) return false;
  if (maxLen > 0)
  {
    const std::wstring result = current.substr(0, selStart) + typed + current.substr(selEnd);
    // Characters, not UTF-16 units: a surrogate pair is one.
    int chars = 0;
    for (wchar_t c : result)
      if (c < 0xDC00 || c > 0xDFFF) ++chars;
    if (chars > maxLen) return false;
  }
  return true;
}

std::wstring MenuText(const std::string& utf8)
{
  const std::wstring text = Widen(utf8);
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text)
  {
    if (c == L'&') out += L'&';
    out += c;
  }
  return out;
}

namespace
{
std::vector<std::wstring> Words(const char* text)
{
  std::vector<std::wstring> words;
  std::string word;
  for (const char* p = text ? text : "";; ++p)
  {
    if (*p == ' ' || *p == '\0')
    {
      if (!word.empty()) words.push_back(Widen(word));
      word.clear();
      if (*p == '\0') break;
    }
    else
      word += *p;
  }
  return words;
}
} // namespace

std::wstring FileFilter(const char* extensions)
{
  std::wstring filter;
  for (const std::wstring& ext : Words(extensions))
  {
    std::wstring upper = ext;
    for (wchar_t& c : upper)
      if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    filter += upper + L" files (*." + ext + L")";
    filter += L'\0';
    filter += L"*." + ext;
    filter += L'\0';
  }
  filter += L"All files (*.*)";
  filter += L'\0';
  filter += L"*.*";
  filter += L'\0';
  filter += L'\0';
  return filter;
}

std::wstring DefaultExtension(const char* extensions)
{
  const std::vector<std::wstring> words = Words(extensions);
  return words.empty() ? std::wstring() : words.front();
}

unsigned MessageBoxStyle(int type)
{
  switch (type)
  {
  case kMBYesNo:
    return MB_YESNO;
  case kMBYesNoCancel:
    return MB_YESNOCANCEL;
  case kMBOkCancel:
    return MB_OKCANCEL;
  default:
    return MB_OK;
  }
}

int MessageBoxAnswer(int type, int result)
{
  switch (result)
  {
  case IDOK:
  case IDYES:
    return kMBResultDefault;
  case IDNO:
    return kMBResultSecond;
  case IDCANCEL:
    if (type == kMBYesNoCancel) return kMBResultThird;
    if (type == kMBOkCancel) return kMBResultSecond;
    return kMBResultNone; // the window was closed: no button
  default:
    return kMBResultNone;
  }
}

} // namespace win32
