#include "tools/vst3host/hosting/PluginModule.h"

#include <dirent.h>
#include <dlfcn.h>
#include <sys/stat.h>
#include <sys/utsname.h>

namespace tarvo::vst3host
{

using namespace Steinberg;

namespace
{
bool IsDirectory(const std::string& path)
{
  struct stat st
  {
  };
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path)
{
  struct stat st
  {
  };
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string StripSlashes(std::string path)
{
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
}

std::string BaseName(const std::string& path)
{
  auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirName(const std::string& path)
{
  auto slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}
} // namespace

std::string PluginModule::ResolveLibrary(const std::string& bundleOrLibrary)
{
  const std::string path = StripSlashes(bundleOrLibrary);
  if (IsFile(path)) return path;
  if (!IsDirectory(path)) return {};
  struct utsname machine
  {
  };
  std::string arch = uname(&machine) == 0 ? machine.machine : "x86_64";
  const std::string archDir = path + "/Contents/" + arch + "-linux";
  std::string name = BaseName(path);
  if (name.size() > 5 && name.compare(name.size() - 5, 5, ".vst3") == 0)
    name.erase(name.size() - 5);
  const std::string expected = archDir + "/" + name + ".so";
  if (IsFile(expected)) return expected;
  // A bundle renamed after it was built: take the only shared library in the folder.
  std::string found;
  if (DIR* dir = opendir(archDir.c_str()))
  {
    int count = 0;
    while (dirent* entry = readdir(dir))
    {
      std::string file = entry->d_name;
      if (file.size() > 3 && file.compare(file.size() - 3, 3, ".so") == 0)
      {
        found = archDir + "/" + file;
        ++count;
      }
    }
    closedir(dir);
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

  module->mHandle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module->mHandle)
  {
    const char* reason = dlerror();
    error = std::string("dlopen failed: ") + (reason ? reason : "unknown error");
    return nullptr;
  }
  module->mEntry = reinterpret_cast<EntryFunction>(dlsym(module->mHandle, "ModuleEntry"));
  module->mExit = reinterpret_cast<ExitFunction>(dlsym(module->mHandle, "ModuleExit"));
  auto getFactory = reinterpret_cast<GetFactoryProc>(dlsym(module->mHandle, "GetPluginFactory"));
  if (!module->mEntry || !module->mExit)
  {
    error = "the module does not export ModuleEntry and ModuleExit";
    return nullptr;
  }
  if (!getFactory)
  {
    error = "the module does not export GetPluginFactory";
    return nullptr;
  }
  if (!module->mEntry(module->mHandle))
  {
    error = "ModuleEntry returned false";
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
  if (mHandle) dlclose(mHandle);
}

} // namespace tarvo::vst3host
