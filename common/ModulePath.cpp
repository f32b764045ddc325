#include "common/ModulePath.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

std::string ModulePathOf(const void* address)
{
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCWSTR>(address), &module))
    return {};
  // Paths longer than MAX_PATH are asked for again with a larger buffer.
  std::wstring path(260, L'\0');
  for (;;)
  {
    const DWORD n = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
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
#else
#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>

std::string ModulePathOf(const void* address)
{
  Dl_info info{};
  if (dladdr(address, &info) && info.dli_fname && info.dli_fname[0])
  {
    // A host that loaded us by a relative path gets the same name back: make it absolute.
    if (char* full = realpath(info.dli_fname, nullptr))
    {
      std::string path = full;
      std::free(full);
      return path;
    }
    return info.dli_fname;
  }
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  buf[n] = '\0';
  return buf;
}
#endif
