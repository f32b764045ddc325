// The services of the Linux platform layer besides its window: popup menus, dialogs, links,
// folders, the clipboard and images.

#include <poll.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "framework/gui/IPopupMenu.h"
#include "framework/platform/x11/IGraphicsLinux.h"
#include "raster/Raster.h"

// Xlib's macros last.
#include "common/ModulePath.h"
#include "framework/platform/LinuxFolders.h"
#include "framework/platform/x11/DesktopTools.h"
#include "framework/platform/x11/IGraphicsLinuxParts.h"
#include "framework/platform/x11/X11PopupMenu.h"
#include "framework/platform/x11/X11Support.h"
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace
{

// The path of the shared object (or executable) this code was linked into.
std::string ThisModulePath()
{
  return ModulePathOf(reinterpret_cast<const void*>(&MakeLinuxGraphics));
}

std::vector<std::string> SplitWords(const char* text)
{
  std::vector<std::string> words;
  std::string word;
  for (const char* p = text ? text : "";; ++p)
  {
    if (*p == ' ' || *p == '\0')
    {
      if (!word.empty()) words.push_back(word);
      word.clear();
      if (*p == '\0') break;
    }
    else
      word += *p;
  }
  return words;
}

} // namespace

IGraphics* MakeLinuxGraphics(IAudioPlugin* plug, int w, int h, int fps)
{
  return new IGraphicsLinux(plug, w, h, fps, IGraphicsLinux::ModuleResourceFolder().c_str());
}

std::string IGraphicsLinux::ModuleResourceFolder()
{
  const std::string bundle = BundleOfModule(ThisModulePath(), "-linux");
  return bundle.empty() ? std::string() : bundle + "/Contents/Resources";
}

// ---- Popup menus ----

IPopupMenu* IGraphicsLinux::CreateIPopupMenu(IPopupMenu* menu, IRECT* rect)
{
  ReleaseMouseCapture();
  if (!menu || !mDisplay || !mWindow.load() || mWindowGone) return nullptr;
  HideTooltip();
  const IRECT r = rect ? *rect : IRECT(mLastX, mLastY, mLastX, mLastY);
  int x = 0, y = 0, aboveX = 0, aboveY = 0;
  if (!RootPosition(DevEdge(r.L), DevEdge(r.B + 4), &x, &y) ||
      !RootPosition(DevEdge(r.L), DevEdge(r.T), &aboveX, &aboveY))
    return nullptr;

  X11MenuHost host;
  host.mDisplay = mDisplay;
  host.mTransientFor = mTopLevel;
  host.mScale = GetDrawScale();
  host.mGraphics = this;
  host.mTickMs = std::max(1000 / FPS(), 1);
  host.mTick = [this] { RedrawDirty(); };
  host.mOtherEvent = [this](XEvent& ev)
  {
    if (ev.type == Expose || ev.type == DestroyNotify || ev.type == MappingNotify) Dispatch(ev);
  };
  host.mAbort = [this] { return mStopThread.load(); };
  mInModal = true;
  IPopupMenu* chosen = RunX11PopupMenu(host, menu, x, y, aboveY);
  mInModal = false;
  mModalDuringPress = true;
  return chosen;
}

// ---- Dialogs ----

void IGraphicsLinux::PromptForFile(StringBuf* fileName, EFileAction action, StringBuf* directory,
                                   const char* extensions)
{
  if (!fileName) return;
  if (!mDisplay || !mWindow.load())
  {
    fileName->Set("");
    return;
  }
  desktop::FilePrompt prompt;
  prompt.save = action == kFileSave;
  prompt.defaultName = fileName->Get();
  std::string folder = directory ? directory->Get() : "";
  if (folder.empty())
  {
    folder = "~/Desktop";
    if (directory) directory->Set(folder.c_str());
  }
  prompt.folder = folders::ExpandHome(folder);
  prompt.extensions = SplitWords(extensions);
  prompt.parentWindow = DialogParent();
  fileName->Set("");

  const desktop::DialogTool tool = desktop::FindDialogTool();
  if (tool == desktop::DialogTool::kNone) return; // nothing to ask with: as if cancelled
  mInModal = true;
  const desktop::RunResult result = desktop::Run(
      desktop::FilePromptArgs(tool, prompt), [this] { return ModalIdle(); },
      std::max(1000 / FPS(), 1));
  mInModal = false;
  const std::string path = desktop::FilePromptAnswer(prompt, result);
  if (path.empty()) return;
  fileName->Set(path.c_str());
  if (directory) directory->Set(path.substr(0, path.rfind('/') + 1).c_str());
}

int IGraphicsLinux::ShowMessageBox(const char* text, const char* caption, int type)
{
  const desktop::DialogTool tool = desktop::FindDialogTool();
  if (tool == desktop::DialogTool::kNone) return kMBResultNone;
  mInModal = true;
  const desktop::RunResult result = desktop::Run(
      desktop::MessageBoxArgs(tool, text, caption, type, DialogParent()),
      [this] { return ModalIdle(); }, std::max(1000 / FPS(), 1));
  mInModal = false;
  return desktop::MessageBoxAnswer(tool, type, result);
}

bool IGraphicsLinux::OpenURL(const char* url, const char*, const char*, const char*)
{
  if (!url || !url[0]) return true; // nothing that could be made into an address
  // Web addresses (any text with "http" in it) and local paths both go to xdg-open as they are;
  // a path starting with '-' is kept from reading as one of its options.
  std::string target = url;
  if (target[0] == '-') target = "./" + target;
  return desktop::Launch({"xdg-open", target});
}

// ---- Folders ----

void IGraphicsLinux::HostPath(StringBuf* path)
{
  const std::string module = ThisModulePath();
  if (path && !module.empty()) path->Set(module.c_str());
}

void IGraphicsLinux::PluginPath(StringBuf* path)
{
  const std::string bundle = BundleOfModule(ThisModulePath(), "-linux");
  if (!path || bundle.empty()) return;
  path->Set(bundle.substr(0, bundle.rfind('/') + 1).c_str());
}

void IGraphicsLinux::DesktopPath(StringBuf* path)
{
  if (path) path->Set(folders::DesktopFolder().c_str());
}

void IGraphicsLinux::AppSupportPath(StringBuf* path, bool isSystem)
{
  if (path) path->Set(folders::AppSupportFolder(isSystem).c_str());
}

void IGraphicsLinux::SandboxSafeAppSupportPath(StringBuf* path)
{
  if (path) path->Set(folders::SandboxSafeAppSupportFolder().c_str());
}

void IGraphicsLinux::UserConfigPath(StringBuf* path)
{
  if (path) path->Set(folders::ConfigFolder().c_str());
}

// ---- Clipboard ----

bool IGraphicsLinux::GetTextFromClipboard(StringBuf* str)
{
  if (!str) return false;
  str->Set("");
  if (!mDisplay || !mWindow.load() || mWindowGone) return false;
  Display* d = mDisplay;
  const Window w = mWindow.load();
  const Atom clipboard = XInternAtom(d, "CLIPBOARD", False);
  if (XGetSelectionOwner(d, clipboard) == None) return false;
  const Atom property = XInternAtom(d, "IGRAPHICS_CLIPBOARD", False);
  const Atom targets[2] = {XInternAtom(d, "UTF8_STRING", False), XA_STRING};
  for (const Atom target : targets)
  {
    XDeleteProperty(d, w, property);
    XConvertSelection(d, clipboard, target, property, w, CurrentTime);
    XFlush(d);
    XEvent ev;
    bool answered = false;
    // The owner is another program: give it a short while, not forever.
    const uint64_t end = x11::NowMs() + 500;
    while (!answered && x11::NowMs() < end)
    {
      if (XCheckTypedWindowEvent(d, w, SelectionNotify, &ev))
        answered = true;
      else
      {
        pollfd p{ConnectionNumber(d), POLLIN, 0};
        poll(&p, 1, 10);
      }
    }
    if (!answered || ev.xselection.property == None) continue;
    Atom type = None;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    const int got = XGetWindowProperty(d, w, property, 0, 1 << 20, True, AnyPropertyType, &type,
                                       &format, &n, &after, &data);
    const bool ok =
        got == Success && data && format == 8 && n > 0 && type != XInternAtom(d, "INCR", False);
    if (ok)
    {
      std::string text(reinterpret_cast<const char*>(data), n);
      if (target == XA_STRING)
      {
        // Latin-1 as UTF-8.
        std::string utf8;
        for (unsigned char c : text)
          if (c < 0x80)
            utf8 += static_cast<char>(c);
          else
          {
            utf8 += static_cast<char>(0xC0 | c >> 6);
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
          }
        text = utf8;
      }
      str->Set(text.c_str());
    }
    if (data) XFree(data);
    if (ok) return str->GetLength() > 0;
  }
  return false;
}

// ---- Images ----

RasterBitmap* IGraphicsLinux::OSLoadBitmap(int, const char* name)
{
  if (mResourceFolder.empty()) return nullptr;
  const std::string path = ResourceImagePath(mResourceFolder.c_str(), name);
  return path.empty() ? nullptr : RasterLoadPNG(path.c_str());
}

// ---- Modal waits ----

bool IGraphicsLinux::ModalIdle()
{
  mModalDuringPress = true;
  if (!mDisplay) return !mStopThread.load();
  // Keep the picture alive; input waits for the dialog to close.
  while (XPending(x11editor::D(mDisplay)))
  {
    XEvent ev;
    XNextEvent(x11editor::D(mDisplay), &ev);
    if (ev.type == Expose || ev.type == DestroyNotify || ev.type == MappingNotify) Dispatch(ev);
  }
  RedrawDirty();
  XFlush(x11editor::D(mDisplay));
  return !mStopThread.load();
}

unsigned long IGraphicsLinux::DialogParent()
{
  return mDisplay ? mTopLevel : 0;
}
