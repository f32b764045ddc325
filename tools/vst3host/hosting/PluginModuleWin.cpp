#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "tools/vst3host/hosting/PluginModule.h"

namespace tarvo::vst3host
{

using namespace Steinberg;

namespace
{
std::wstring Widen(const std::string& s)
{
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
  return w;
}

std::string Narrow(const std::wstring& w)
{
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  if (n <= 0) return {};
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}

DWORD Attributes(const std::string& path)
{
  return GetFileAttributesW(Widen(path).c_str());
}
bool IsDirectory(const std::string& path)
{
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}
bool IsFile(const std::string& path)
{
  const DWORD a = Attributes(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsSeparator(char c)
{
  return c == '/' || c == '\\';
}

std::string StripSlashes(std::string path)
{
  while (path.size() > 1 && IsSeparator(path.back()))
    path.pop_back();
  return path;
}

std::string BaseName(const std::string& path)
{
  auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirName(const std::string& path)
{
  auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool EndsWith(const std::string& s, const char* suffix)
{
  const std::string x = suffix;
  return s.size() > x.size() && s.compare(s.size() - x.size(), x.size(), x) == 0;
}

std::string LastError()
{
  const DWORD code = GetLastError();
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = n ? Narrow(std::wstring(text, n)) : "error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
    message.pop_back();
  return message;
}

template <class F> F Symbol(HMODULE module, const char* name)
{
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
} // namespace

std::string PluginModule::ResolveLibrary(const std::string& bundleOrLibrary)
{
  const std::string path = StripSlashes(bundleOrLibrary);
  if (IsFile(path)) return path;
  if (!IsDirectory(path)) return {};
  const std::string archDir = path + "/Contents/x86_64-win";
  const std::string expected = archDir + "/" + BaseName(path);
  if (EndsWith(expected, ".vst3") && IsFile(expected)) return expected;
  // A bundle renamed after it was built: take the only module in the folder.
  std::string found;
  WIN32_FIND_DATAW entry{};
  HANDLE find = FindFirstFileW(Widen(archDir + "/*.vst3").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE)
  {
    int count = 0;
    do
    {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      {
        found = archDir + "/" + Narrow(entry.cFileName);
        ++count;
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    if (count != 1) found.clear();
  }
  return found;
}

std::unique_ptr<PluginModule> PluginModule::Load(const std::string& bundleOrLibrary,
                                                 std::string& error)
{
  const std::string library = ResolveLibrary(bundleOrLibrary);
  if (library.empty())
  {
    error = "no VST 3 module found at '" + bundleOrLibrary + "'";
    return nullptr;
  }
  std::unique_ptr<PluginModule> module(new PluginModule);
  module->mLibraryPath = library;
  const std::string trimmed = StripSlashes(bundleOrLibrary);
  module->mBundlePath = IsDirectory(trimmed) ? trimmed : DirName(library);

  HMODULE handle = LoadLibraryW(Widen(library).c_str());
  if (!handle)
  {
    error = "LoadLibraryW failed: " + LastError();
    return nullptr;
  }
  module->mHandle = handle;
  module->mEntry = Symbol<EntryFunction>(handle, "InitDll");
  module->mExit = Symbol<ExitFunction>(handle, "ExitDll");
  auto getFactory = Symbol<GetFactoryProc>(handle, "GetPluginFactory");
  if (!getFactory)
  {
    error = "the module does not export GetPluginFactory";
    return nullptr;
  }
  // Windows hosts treat InitDll and ExitDll as optional; a module without them is loaded as is.
  if (module->mEntry && !module->mEntry())
  {
    error = "InitDll returned false";
    return nullptr;
  }
  module->mEntered = true;
  module->mFactory = getFactory();
  if (!module->mFactory)
  {
    error = "GetPluginFactory returned no factory";
    return nullptr;
  }
  return module;
}

PluginModule::~PluginModule()
{
  if (mFactory) mFactory->release();
  if (mEntered && mExit) mExit();
  if (mHandle) FreeLibrary(static_cast<HMODULE>(mHandle));
}

} // namespace tarvo::vst3host
