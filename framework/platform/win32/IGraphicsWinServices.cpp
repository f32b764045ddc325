// The services of the Win32 layer besides its window: popup menus, dialogs, links, folders,
// the clipboard and tooltips, all the system's own.

#include "framework/platform/win32/IGraphicsWinParts.h"

#include <commdlg.h>
#include <knownfolders.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "framework/gui/IControl.h"
#include "framework/gui/IPopupMenu.h"
#include "framework/platform/win32/WinPopupMenu.h"
#include "framework/platform/win32/WinSupport.h"

using namespace win32editor;

namespace
{
std::string KnownFolder(REFKNOWNFOLDERID id)
{
  PWSTR path = nullptr;
  std::string out;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)) && path)
    out = win32::FrameworkPath(path);
  CoTaskMemFree(path);
  return out;
}
} // namespace

IGraphics* MakeWinGraphics(IAudioPlugin* plug, int w, int h, int fps)
{
  return new IGraphicsWin(plug, w, h, fps, IGraphicsWin::ModuleResourceFolder().c_str());
}

std::string IGraphicsWin::ModuleResourceFolder()
{
  const std::string bundle = BundleOfModule(ThisModulePath(), "-win");
  return bundle.empty() ? std::string() : bundle + "/Contents/Resources";
}

// ---- Popup menus ----

IPopupMenu* IGraphicsWin::CreateIPopupMenu(IPopupMenu* menu, IRECT* rect)
{
  ReleaseMouseCapture();
  if (!menu || !mWindow) return nullptr;
  HWND hwnd = H(mWindow);
  const IRECT r = rect ? *rect : IRECT(mLastX, mLastY, mLastX, mLastY);
  const IRECT d = DeviceRect(r);
  // A little below the control, as on every platform.
  POINT at = {d.L, d.B + static_cast<LONG>(4 * GetDrawScale() + 0.5f)};
  ClientToScreen(hwnd, &at);
  POINT topLeft = {d.L, d.T}, bottomRight = {d.R, d.B};
  ClientToScreen(hwnd, &topLeft);
  ClientToScreen(hwnd, &bottomRight);
  WinPopupMenu native(menu);
  if (!native.Handle()) return nullptr;
  // Kept off the control when the menu has to open above it.
  TPMPARAMS params{};
  params.cbSize = sizeof params;
  params.rcExclude = {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  mModalDuringPress = mModalDuringPress || mInPress;
  // The redraw timer keeps firing: the menu's loop dispatches our window's messages.
  const BOOL id = TrackPopupMenuEx(static_cast<HMENU>(native.Handle()),
                                   TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON |
                                       TPM_VERTICAL,
                                   at.x, at.y, hwnd, &params);
  return native.Choose(static_cast<unsigned>(id));
}

// ---- Dialogs ----

void IGraphicsWin::PromptForFile(StringBuf* fileName, EFileAction action, StringBuf* directory,
                                 const char* extensions)
{
  if (!fileName) return;
  if (!mWindow)
  {
    fileName->Set("");
    return;
  }
  std::string folder = directory ? directory->Get() : "";
  if (folder.empty())
  {
    folder = KnownFolder(FOLDERID_Desktop);
    if (directory) directory->Set(folder.c_str());
  }
  const std::wstring start = win32::NativePath(folder);
  const std::wstring filter = win32::FileFilter(extensions);
  const std::wstring defExt = win32::DefaultExtension(extensions);
  std::vector<wchar_t> buffer(32768, L'\0');
  const std::wstring name = win32::NativePath(fileName->Get());
  std::copy_n(name.c_str(), std::min(name.size(), buffer.size() - 1), buffer.begin());
  fileName->Set("");

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = static_cast<HWND>(OwnerWindow());
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrInitialDir = start.empty() ? nullptr : start.c_str();
  ofn.lpstrDefExt = defExt.empty() ? nullptr : defExt.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  mModalDuringPress = mModalDuringPress || mInPress;
  BOOL ok = FALSE;
  if (action == kFileSave)
  {
    ofn.Flags |= OFN_OVERWRITEPROMPT;
    ok = GetSaveFileNameW(&ofn);
  }
  else
  {
    ofn.Flags |= OFN_FILEMUSTEXIST;
    ok = GetOpenFileNameW(&ofn);
  }
  if (!ok) return; // cancelled: the name stays empty, the folder as it was
  const std::string path = win32::FrameworkPath(buffer.data());
  fileName->Set(path.c_str());
  if (directory) directory->Set(path.substr(0, path.rfind('/') + 1).c_str());
}

int IGraphicsWin::ShowMessageBox(const char* text, const char* caption, int type)
{
  mModalDuringPress = mModalDuringPress || mInPress;
  const int result = MessageBoxW(
      static_cast<HWND>(OwnerWindow()), win32::Widen(text ? text : "").c_str(),
      win32::Widen(caption ? caption : "").c_str(), win32::MessageBoxStyle(type) | MB_TASKMODAL);
  return win32::MessageBoxAnswer(type, result);
}

bool IGraphicsWin::OpenURL(const char* url, const char*, const char*, const char*)
{
  if (!url || !url[0]) return true; // nothing that could be made into an address
  // A web address goes to the browser as it is; anything else is a local file for its program.
  const std::wstring target = std::strstr(url, "http") ? win32::Widen(url) : win32::NativePath(url);
  const HINSTANCE result = ShellExecuteW(static_cast<HWND>(OwnerWindow()), L"open", target.c_str(),
                                         nullptr, nullptr, SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

// ---- Folders ----

void IGraphicsWin::HostPath(StringBuf* path)
{
  const std::string module = ThisModulePath();
  if (path && !module.empty()) path->Set(module.c_str());
}

void IGraphicsWin::PluginPath(StringBuf* path)
{
  const std::string bundle = BundleOfModule(ThisModulePath(), "-win");
  if (!path || bundle.empty()) return;
  path->Set(bundle.substr(0, bundle.rfind('/') + 1).c_str());
}

void IGraphicsWin::DesktopPath(StringBuf* path)
{
  if (path) path->Set(KnownFolder(FOLDERID_Desktop).c_str());
}

void IGraphicsWin::AppSupportPath(StringBuf* path, bool isSystem)
{
  if (path)
    path->Set(KnownFolder(isSystem ? FOLDERID_ProgramData : FOLDERID_RoamingAppData).c_str());
}

void IGraphicsWin::SandboxSafeAppSupportPath(StringBuf* path)
{
  if (path) path->Set(KnownFolder(FOLDERID_Music).c_str());
}

void IGraphicsWin::UserConfigPath(StringBuf* path)
{
  if (path) path->Set(KnownFolder(FOLDERID_RoamingAppData).c_str());
}

// ---- Clipboard ----

bool IGraphicsWin::GetTextFromClipboard(StringBuf* str)
{
  if (!str) return false;
  str->Set("");
  if (!OpenClipboard(static_cast<HWND>(mWindow))) return false;
  std::wstring text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
  {
    if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data)))
    {
      text = p;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  str->Set(win32::Narrow(text).c_str());
  return str->GetLength() > 0;
}

// ---- Tooltips ----

void IGraphicsWin::MakeTooltips()
{
  if (mTooltipWindow || !mWindow) return;
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof icc;
  icc.dwICC = ICC_WIN95_CLASSES;
  InitCommonControlsEx(&icc);
  mTooltipWindow =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                      WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, H(mWindow), nullptr, ThisModule(), nullptr);
  mTooltipCount = 0;
}

void IGraphicsWin::FreeTooltips()
{
  // Owned by the host's top-level window (a popup's owner is never a child), so it would
  // outlive the view: it goes with the editor window.
  if (mTooltipWindow && IsWindow(H(mTooltipWindow))) DestroyWindow(H(mTooltipWindow));
  mTooltipWindow = nullptr;
  mTooltipCount = 0;
}

void IGraphicsWin::UpdateTooltips()
{
  if (!mWindow || !mTooltipWindow) return;
  HWND tips = H(mTooltipWindow);
  TOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.hwnd = H(mWindow);
  for (int i = 0; i < mTooltipCount; ++i)
  {
    info.uId = static_cast<UINT_PTR>(i);
    SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
  mTooltipCount = 0;
  if (!TooltipsEnabled()) return;
  for (int i = 0; i < GetNControls(); ++i)
  {
    const IControl* c = GetControl(i);
    if (!c || c->IsHidden() || c->GetRECT()->Empty()) continue;
    const IRECT d = DeviceRect(*c->GetRECT());
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = H(mWindow);
    tool.uId = static_cast<UINT_PTR>(i);
    tool.rect = {d.L, d.T, d.R, d.B};
    tool.hinst = ThisModule();
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  mTooltipCount = GetNControls();
}

const wchar_t* IGraphicsWin::TooltipText(int)
{
  // The control under the pointer speaks, as the engine tracks it.
  const IControl* over = GetControl(GetMouseOver());
  const char* text = over ? over->GetTooltip() : nullptr;
  mTooltipText = win32::Widen(text ? text : "");
  return mTooltipText.c_str();
}
