#pragma once
// The VST 3 gesture rule as a host sees it: performEdit only between beginEdit and endEdit of the
// same parameter, no endEdit without a beginEdit, no second beginEdit while a gesture on that
// parameter is open. Hosts recording automation in touch or latch mode rely on it; an edit outside
// a gesture is dropped or lands in the wrong place.
//
// Thread-safe: an editor on a thread of its own reports from there.

#include <cstdint>
#include <mutex>
#include <set>
#include <string>

namespace tarvo::vst3host
{

class GestureRule
{
public:
  // Each returns the violation the call makes, or "" when it keeps the rule.
  std::string Begin(std::uint32_t id);
  std::string Perform(std::uint32_t id);
  std::string End(std::uint32_t id);
  // Gestures still open (each one counts as a violation when the session ends).
  int OpenGestures() const;
  int Violations() const;

private:
  std::string Count(std::string violation);

  mutable std::mutex mMutex;
  std::set<std::uint32_t> mOpen;
  int mViolations = 0;
};

} // namespace tarvo::vst3host
