#include "tools/vst3host/GuiScript.h"

#include "tools/vst3host/GuiHost.h"
#include "tools/vst3host/hosting/PluginInstance.h"

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace tarvo::vst3host
{

using namespace Steinberg;
using namespace Steinberg::Vst;

void Say(const char* format, ...)
{
  va_list args;
  va_start(args, format);
  std::vfprintf(stdout, format, args);
  va_end(args);
  std::fflush(stdout);
}

double WallSeconds()
{
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double ThreadCpuSeconds()
{
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

// ---- Audio ----

void GuiAudio::Start()
{
  mRun.store(true);
  mThread = std::thread([this] { Main(); });
}

void GuiAudio::Stop()
{
  if (!mThread.joinable()) return;
  mRun.store(false);
  mThread.join();
}

void GuiAudio::Main()
{
  constexpr int kBlock = 512;
  constexpr double kRate = 48000.0;
  constexpr double kTwoPi = 6.283185307179586;
  const int channels = mInstance.Channels();
  std::vector<std::vector<float>> in(static_cast<size_t>(channels), std::vector<float>(kBlock));
  std::vector<std::vector<float>> out(static_cast<size_t>(channels), std::vector<float>(kBlock));
  std::vector<float*> inPtr, outPtr;
  for (int c = 0; c < channels; ++c)
  {
    inPtr.push_back(in[static_cast<size_t>(c)].data());
    outPtr.push_back(out[static_cast<size_t>(c)].data());
  }
  uint32_t noise = 12345;
  double phase = 0.0;
  uint64_t frame = 0;
  const auto period = std::chrono::duration<double>(kBlock / kRate);
  auto next = std::chrono::steady_clock::now();
  const double cpu0 = ThreadCpuSeconds();
  while (mRun.load())
  {
    for (int i = 0; i < kBlock; ++i, ++frame)
    {
      const double t = static_cast<double>(frame) / kRate;
      const double swell = 0.5 * (1.0 - std::cos(kTwoPi * 0.4 * t));
      noise = noise * 1664525u + 1013904223u;
      const double n = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.2;
      phase += kTwoPi * 220.0 / kRate;
      const double tone = 0.5 * std::sin(phase);
      for (int c = 0; c < channels; ++c)
        in[static_cast<size_t>(c)][static_cast<size_t>(i)] =
            static_cast<float>(swell * (tone + n) * (c == 0 ? 1.0 : 0.7));
    }
    mInstance.Process(inPtr.data(), outPtr.data(), kBlock);
    mCpu.store(ThreadCpuSeconds() - cpu0);
    next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(period);
    std::this_thread::sleep_until(next);
  }
}

// ---- Script ----

bool GuiScript::LoadFile(const std::string& path)
{
  std::ifstream file(path);
  if (!file)
  {
    std::fprintf(stderr, "vst3host: cannot read script '%s'\n", path.c_str());
    mExit = 1;
    return false;
  }
  std::string line;
  while (std::getline(file, line))
    Queue(line);
  return true;
}

void GuiScript::Queue(std::string line)
{
  // Scripts written on Windows end their lines with CR LF.
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::lock_guard<std::mutex> lock(mQueueLock);
  mCommands.push_back(std::move(line));
}

void GuiScript::WaitOver()
{
  mWaiting = false;
  RunQueued();
}

void GuiScript::RunQueued()
{
  while (!mWaiting && !mQuit)
  {
    std::string line;
    {
      std::lock_guard<std::mutex> lock(mQueueLock);
      if (mCommands.empty()) return;
      line = std::move(mCommands.front());
      mCommands.pop_front();
    }
    Execute(line);
  }
}

void GuiScript::Execute(const std::string& line)
{
  std::istringstream in(line);
  std::string cmd;
  in >> cmd;
  if (cmd.empty() || cmd[0] == '#') return;
  std::string arg;
  std::getline(in >> std::ws, arg);
  if (cmd == "wait")
  {
    mWaiting = true;
    StartWait(std::max(std::atoi(arg.c_str()), 0));
  }
  else if (cmd == "close")
    CloseEditor();
  else if (cmd == "open")
  {
    if (!EditorOpen() && !OpenEditor()) Fail();
  }
  else if (cmd == "reopen")
  {
    const int n = std::max(std::atoi(arg.c_str()), 1);
    for (int i = 0; i < n && !mQuit; ++i)
    {
      CloseEditor();
      if (!OpenEditor())
      {
        Fail();
        break;
      }
      // Long enough for the editor's timer to fire and its window to be drawn.
      Pump(60);
      AfterReopen(i + 1);
    }
    Say("reopen: done\n");
  }
  else if (cmd == "state")
  {
    std::istringstream sub(arg);
    std::string what, path;
    sub >> what;
    std::getline(sub >> std::ws, path);
    std::vector<std::uint8_t> bytes;
    const tresult r = mInstance.IsSingleComponent() ? mInstance.GetControllerState(bytes)
                                                    : mInstance.GetComponentState(bytes);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close(); // whoever reads our answer reads the file next
    if (what == "save" && r == kResultOk && file)
      Say("state: saved %s %zu bytes\n", path.c_str(), bytes.size());
    else
      Say("state: failed %s\n", path.c_str());
  }
  else if (cmd == "param")
  {
    const ParamID id = static_cast<ParamID>(std::strtoul(arg.c_str(), nullptr, 10));
    Say("param: %u %.6f\n", id, mInstance.Controller()->getParamNormalized(id));
  }
  else if (cmd == "screenshot")
    Screenshot(arg);
  else if (cmd == "stats")
  {
    if (arg == "reset")
      ResetStats();
    else
      PrintStats("stats");
  }
  else if (cmd == "echo")
    Say("echo: %s\n", arg.c_str());
  else if (cmd == "gestures")
    Say("gestures: %s\n", mOptions.gestureReport ? mOptions.gestureReport().c_str() : "");
  else if (cmd == "quit")
    mQuit = true;
  else if (!HostCommand(cmd, arg))
    Say("script: unknown command '%s'\n", cmd.c_str());
}

bool GuiScript::OnResizeRequest(IPlugView* view, ViewRect* size)
{
  if (mOptions.fixedSize)
  {
    Say("gui: resizeView %dx%d refused\n", size->getWidth(), size->getHeight());
    return false;
  }
  Say("gui: resizeView %dx%d\n", size->getWidth(), size->getHeight());
  ResizeHostWindow(size->getWidth(), size->getHeight());
  view->onSize(size);
  return true;
}

IPlugView* GuiScript::CreateEditorView(const char* platformType, ViewRect* size)
{
  IPlugView* view = mInstance.Controller()->createView(ViewType::kEditor);
  if (!view)
  {
    std::fprintf(stderr, "vst3host: the plug-in has no editor view\n");
    return nullptr;
  }
  if (view->isPlatformTypeSupported(platformType) != kResultTrue)
  {
    std::fprintf(stderr, "vst3host: the editor does not support %s\n", platformType);
    view->release();
    return nullptr;
  }
  if (mOptions.scale != 1.0f)
  {
    IPlugViewContentScaleSupport* scale = nullptr;
    if (view->queryInterface(IPlugViewContentScaleSupport::iid, reinterpret_cast<void**>(&scale)) ==
            kResultOk &&
        scale)
    {
      scale->setContentScaleFactor(mOptions.scale);
      scale->release();
    }
  }
  if (view->getSize(size) != kResultOk || size->getWidth() <= 0 || size->getHeight() <= 0)
    *size = ViewRect(0, 0, 400, 300);
  return view;
}

} // namespace tarvo::vst3host
