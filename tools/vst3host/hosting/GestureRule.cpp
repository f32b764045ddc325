#include "tools/vst3host/hosting/GestureRule.h"

namespace tarvo::vst3host
{

std::string GestureRule::Count(std::string violation)
{
  ++mViolations;
  return violation;
}

std::string GestureRule::Begin(std::uint32_t id)
{
  std::lock_guard<std::mutex> lock(mMutex);
  if (!mOpen.insert(id).second)
    return Count("beginEdit " + std::to_string(id) + " while its gesture is open");
  return "";
}

std::string GestureRule::Perform(std::uint32_t id)
{
  std::lock_guard<std::mutex> lock(mMutex);
  if (!mOpen.count(id)) return Count("performEdit " + std::to_string(id) + " outside a gesture");
  return "";
}

std::string GestureRule::End(std::uint32_t id)
{
  std::lock_guard<std::mutex> lock(mMutex);
  if (!mOpen.erase(id)) return Count("endEdit " + std::to_string(id) + " without beginEdit");
  return "";
}

int GestureRule::OpenGestures() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return static_cast<int>(mOpen.size());
}

int GestureRule::Violations() const
{
  std::lock_guard<std::mutex> lock(mMutex);
  return mViolations;
}

} // namespace tarvo::vst3host
