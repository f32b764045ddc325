#pragma once
// The host's run loop as the engine's IHostRunLoop: a Linux host offers Steinberg::Linux::IRunLoop
// through its plug frame, and the editor's timer and X connection are driven from it.
//
// Threads: the host's UI thread, as every view call.

#include <memory>
#include <utility>
#include <vector>

#include "framework/gui/IPlatformView.h"
#include "pluginterfaces/gui/iplugview.h"

#if SMTG_OS_LINUX

class VST3RunLoop : public IHostRunLoop
{
public:
  // The frame's run loop, or null when the frame offers none.
  static std::unique_ptr<VST3RunLoop> FromFrame(Steinberg::IPlugFrame* frame);
  // Holds a reference on loop for its whole life.
  explicit VST3RunLoop(Steinberg::Linux::IRunLoop* loop);
  // Unregisters whatever is still registered.
  ~VST3RunLoop() override;
  VST3RunLoop(const VST3RunLoop&) = delete;
  VST3RunLoop& operator=(const VST3RunLoop&) = delete;

  bool RegisterTimer(ITimer* timer, int periodMs) override;
  void UnregisterTimer(ITimer* timer) override;
  bool RegisterFile(IFileHandler* handler, int fd) override;
  void UnregisterFile(IFileHandler* handler) override;

private:
  class Link;

  Steinberg::Linux::IRunLoop* mLoop;
  std::vector<std::pair<ITimer*, Link*>> mTimers;
  std::vector<std::pair<IFileHandler*, Link*>> mFiles;
};

#endif
