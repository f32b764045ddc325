#include <dlfcn.h>

#include <climits>
#include <cstdlib>

#include "framework/vst3/Module.h"

namespace tarvo::vst3::detail
{

// The path of the shared object that holds this code (the module, or the executable when this
// library is linked into one); dlopen's handle does not name a file, so it is not used.
std::string OwnModulePath(void* /*handle*/)
{
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&OwnModulePath), &info) == 0 || !info.dli_fname) return {};
  char resolved[PATH_MAX];
  if (realpath(info.dli_fname, resolved)) return resolved;
  return info.dli_fname;
}

} // namespace tarvo::vst3::detail
