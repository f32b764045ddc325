#include "framework/vst3/Module.h"

#include "common/ModulePath.h"

namespace tarvo::vst3
{

namespace
{
#if defined(_WIN32)
constexpr const char* kSeparators = "\\/";
const std::string kArchSuffix = "-win";
#else
constexpr const char* kSeparators = "/";
const std::string kArchSuffix = "-linux";
#endif
} // namespace

std::array<char, 16> MakeClassId(Steinberg::uint32 manufacturerId, Steinberg::uint32 uniqueId)
{
  const Steinberg::uint32 words[4] = {0xF2AEE70Du, 0x00DE4F4Eu, manufacturerId, uniqueId};
  std::array<char, 16> cid{};
  for (int w = 0; w < 4; ++w)
    for (int b = 0; b < 4; ++b)
      cid[static_cast<size_t>(4 * w + b)] = static_cast<char>((words[w] >> (24 - 8 * b)) & 0xFF);
  return cid;
}

std::recursive_mutex& ModuleMutex()
{
  // A function-local static: constructed once, thread-safely, on first use; destroyed with the
  // module's other statics when the module is unloaded.
  static std::recursive_mutex mutex;
  return mutex;
}

namespace
{
struct ModuleState
{
  std::mutex lock;
  int entryCount = 0;
  std::vector<void*> handles; // every handle ModuleEntry remembered; the first is the module's
  std::string path;
};

ModuleState& State()
{
  static ModuleState state;
  return state;
}

} // namespace

namespace detail
{
bool EnterModule(void* handle, bool (*initModule)())
{
  if (handle)
  {
    ModuleState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.entryCount++ == 0 || state.handles.empty())
      state.path = ModulePathOf(reinterpret_cast<const void*>(&EnterModule));
    state.handles.push_back(handle);
  }
  return initModule ? initModule() : true;
}

bool ExitModule(bool (*deinitModule)())
{
  if (deinitModule && !deinitModule()) return false;
  ModuleState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  // An exit without a matching entry leaves the count at 0.
  if (state.entryCount > 0 && --state.entryCount == 0)
  {
    state.handles.clear();
    state.path.clear();
  }
  return true;
}
} // namespace detail

int ModuleEntryCount()
{
  ModuleState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.entryCount;
}

void* ModuleHandle()
{
  ModuleState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.handles.empty() ? nullptr : state.handles.front();
}

std::string ModulePath()
{
  ModuleState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.path;
}

std::string ModuleBundlePath()
{
  // <bundle>.vst3/Contents/<arch>-linux/<name>.so, or <bundle>.vst3\Contents\<arch>-win\<name>.vst3
  const std::string path = ModulePath();
  std::string::size_type end = path.size();
  for (int level = 0; level < 3; ++level)
  {
    std::string::size_type slash = path.find_last_of(kSeparators, end - 1);
    if (slash == std::string::npos || slash == 0) return {};
    const std::string component = path.substr(slash + 1, end - slash - 1);
    if (level == 1 && (component.size() <= kArchSuffix.size() ||
                       component.compare(component.size() - kArchSuffix.size(), kArchSuffix.size(),
                                         kArchSuffix) != 0))
      return {};
    if (level == 2 && component != "Contents") return {};
    end = slash;
  }
  const std::string bundle = path.substr(0, end);
  if (bundle.size() <= 5 || bundle.compare(bundle.size() - 5, 5, ".vst3") != 0) return {};
  return bundle;
}

} // namespace tarvo::vst3
