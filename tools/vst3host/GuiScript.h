#pragma once
// What the X11 and the Win32 `vst3host gui` share: printing (flushed at once, for whoever watches
// the host), the audio thread that keeps meters moving, and the script: lines queued from a file
// or standard input and carried out one at a time. The commands that mean the same everywhere
// are carried out here; a host supplies the window-system side (waiting, opening and closing the
// editor, screenshots, its own counters) by implementing GuiScript's hooks.

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace Steinberg
{
class IPlugView;
struct ViewRect;
} // namespace Steinberg

namespace tarvo::vst3host
{

class PluginInstance;
struct GuiOptions;

// (MinGW's C++ runtime prints through its own printf, which knows the C99 formats.)
void Say(const char* format, ...)
#if defined(__MINGW32__)
    __attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Seconds of the steady clock, and of CPU used by the calling thread.
double WallSeconds();
double ThreadCpuSeconds();

// A tone and noise under a slow swell, through the plug-in in real time, so meters rise and fall.
class GuiAudio
{
public:
  explicit GuiAudio(PluginInstance& instance) : mInstance(instance) {}
  ~GuiAudio() { Stop(); }
  GuiAudio(const GuiAudio&) = delete;
  GuiAudio& operator=(const GuiAudio&) = delete;

  void Start();
  void Stop();
  // CPU the audio thread has used since Start.
  double CpuSeconds() const { return mCpu.load(); }

private:
  void Main();

  PluginInstance& mInstance;
  std::thread mThread;
  std::atomic<bool> mRun{false};
  std::atomic<double> mCpu{0.0};
};

class GuiScript
{
public:
  GuiScript(PluginInstance& instance, const GuiOptions& options)
      : mInstance(instance), mOptions(options)
  {
  }
  virtual ~GuiScript() = default;

  // Queues the lines of a script file; false (with a message) when it cannot be read.
  bool LoadFile(const std::string& path);
  // Queues one line. Any thread; the host then calls RunQueued on its own.
  void Queue(std::string line);
  // Carries out queued commands until the queue is empty, a wait begins or quit is asked.
  void RunQueued();
  bool QuitAsked() const { return mQuit; }
  void AskQuit() { mQuit = true; }
  int ExitCode() const { return mExit; }

protected:
  void Fail() { mExit = 1; }
  // The plug-in's editor view for a window system, at the scale the options ask, and the size it
  // wants (400 x 300 when it names none); null, the reason printed, when there is no view or it
  // does not know the window system.
  Steinberg::IPlugView* CreateEditorView(const char* platformType, Steinberg::ViewRect* size);
  // The plug frame's resizeView: the window takes the view's new size, unless the options make
  // this host one that refuses every size.
  bool OnResizeRequest(Steinberg::IPlugView* view, Steinberg::ViewRect* size);
  // A wait started by StartWait is over: carry on with the script.
  void WaitOver();

  // ---- The host's side ----
  // Calls WaitOver after ms milliseconds, events being handled meanwhile.
  virtual void StartWait(int ms) = 0;
  // Handles events for ms milliseconds (the editor draws, timers run) before returning.
  virtual void Pump(int ms) = 0;
  virtual bool OpenEditor() = 0; // false: the editor could not be opened (already said why)
  virtual void CloseEditor() = 0;
  // Gives the host window a client area of w x h.
  virtual void ResizeHostWindow(int w, int h) = 0;
  virtual bool EditorOpen() const = 0;
  virtual void Screenshot(const std::string& path) = 0;
  virtual void PrintStats(const char* title) = 0;
  virtual void ResetStats() = 0;
  // A command only this host knows; false when it does not know it either.
  virtual bool HostCommand(const std::string& command, const std::string& argument) = 0;
  // After each cycle of "reopen N" (after the pause that lets the editor draw).
  virtual void AfterReopen(int /*cycle*/) {}

  PluginInstance& mInstance;
  const GuiOptions& mOptions;

private:
  void Execute(const std::string& line);

  std::mutex mQueueLock;
  std::deque<std::string> mCommands;
  bool mWaiting = false;
  bool mQuit = false;
  int mExit = 0;
};

} // namespace tarvo::vst3host
