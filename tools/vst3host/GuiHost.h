#pragma once
// vst3host gui: shows a plug-in's editor the way a DAW does. On Linux (GuiHost.cpp) a top-level
// X11 window is the parent of the plug-in's view ("X11EmbedWindowID"); the host's plug frame
// answers resize requests and offers a run loop (Steinberg::Linux::IRunLoop) with timers and
// file-descriptor handlers, driven by poll(). On Windows (GuiHostWin.cpp) a top-level window is
// the parent ("HWND") and the editor runs from its own timers through the host's message loop.
// Audio runs through the plug-in on a thread of its own so meters move. Every edit the plug-in
// reports (beginEdit, performEdit, endEdit) and every context-menu request is printed to
// standard output as it happens, for people and for tests.
//
// Commands (from --script FILE, or from standard input with --script -), one per line; both hosts
// carry them out alike (GuiScript.cpp) but for the last group:
//   wait MS            pause the script
//   close | open       remove the editor view / create and attach a new one
//   reopen N           close and open again, N times
//   state save FILE    write the controller's state (the host state stream) to FILE
//   param ID           print a parameter's normalised value
//   screenshot FILE    write the host window as a PNG
//   stats [reset]      print (or restart) the cost of the plug-in's timer calls and CPU use
//   echo TEXT          print TEXT (a marker for whoever reads the output)
//   gestures           print how many edits broke the gesture rule so far, and how many
//                      gestures are open
//   quit
// X11 only:
//   runloop            print how many timers and handlers the plug-in has registered
//   windows            print how many windows exist on the display
// Windows only: resources, windows, timers (see GuiHostWin.cpp).

#include <functional>
#include <string>

namespace tarvo::vst3host
{

class PluginInstance;

struct GuiOptions
{
  std::string screenshot; // taken after afterMs; without a script the host then quits
  int afterMs = 1000;
  std::string script;  // file, or "-" for standard input
  bool runLoop = true; // false: the plug frame offers no IRunLoop (X11)
  bool audio = true;
  float scale = 1.0f;     // content scale handed to the view
  bool fixedSize = false; // the plug frame refuses every resizeView, as some hosts' windows do
  double seconds = 0.0;   // > 0: quit after that long
  std::function<std::string()> gestureReport; // for "gestures"
};

/// Opens the instance's editor (the instance is configured and active) and runs until the window
/// is closed, "quit", or the time is up. Returns the process exit code.
int RunGui(PluginInstance& instance, const GuiOptions& options);

} // namespace tarvo::vst3host
