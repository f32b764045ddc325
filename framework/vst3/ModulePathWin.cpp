#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "framework/vst3/Module.h"

namespace tarvo::vst3::detail
{

// The handle is the module's HINSTANCE (InitDll passes the one DllMain received). Paths longer
// than MAX_PATH are asked for again with a larger buffer.
std::string OwnModulePath(void* handle)
{
  std::wstring path(260, L'\0');
  for (;;)
  {
    const DWORD n =
        GetModuleFileNameW(static_cast<HMODULE>(handle), &path[0], static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size())
    {
      path.resize(n);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()),
                                        nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), &utf8[0], bytes,
                      nullptr, nullptr);
  return utf8;
}

} // namespace tarvo::vst3::detail
