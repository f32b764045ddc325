#pragma once
// The editor engine in a Win32 window: the Windows platform layer. The editor is a child window
// of the host's window, redrawn by a timer on that window and fed by its messages, all on the
// host's UI thread (Windows has no host run loop to register with). The engine's surface goes
// to the window through a DIB section, only the dirty area; text fields, menus, dialogs, links,
// folders and the clipboard are the system's own.
//
// This header stays free of <windows.h>: the text service and the raster library use names
// (CreateFont, DrawText, HDC) that its macros and types would collide with.
//
// Threads: everything runs on the host's UI thread, which opens the window.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/gui/GraphicsFactory.h"
#include "framework/gui/IGraphics.h"

class IGraphicsWin : public IGraphics
{
public:
  // Images are read from resourceFolder/<name>.png (the bundle's Contents/Resources).
  IGraphicsWin(IAudioPlugin* plug, int w, int h, int fps = 0, const char* resourceFolder = "");
  ~IGraphicsWin() override;

  void SetResourceFolder(const char* folder);
  const char* GetResourceFolder() const { return mResourceFolder.c_str(); }

  // ---- IPlatformView ----
  // "HWND": the parent is the host's window handle.
  bool IsPlatformTypeSupported(const char* type) override;
  bool OnForwardedKey(const IForwardedKey& key) override;

  // ---- Platform operations ----
  bool DrawScreen(IRECT* r) override;
  void ForceEndUserEdit() override;
  void Resize(int w, int h) override;
  const char* GetGUIAPI() override { return "Win32 GUI"; }
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                       IParam* param) override;
  void HostPath(StringBuf* path) override;
  void PluginPath(StringBuf* path) override;
  void DesktopPath(StringBuf* path) override;
  void AppSupportPath(StringBuf* path, bool isSystem = false) override;
  void SandboxSafeAppSupportPath(StringBuf* path) override;
  // The roaming application data folder (%APPDATA%).
  void UserConfigPath(StringBuf* path) override;
  void PromptForFile(StringBuf* fileName, EFileAction action = kFileOpen,
                     StringBuf* directory = nullptr, const char* extensions = "") override;
  bool PromptForColor(IColor*, const char* = "") override { return false; }
  bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsg = nullptr) override;
  using IGraphics::OpenWindow;
  // parent: the host's HWND; null makes a top-level window (tools). Returns the editor's HWND,
  // or null when no window could be made.
  void* OpenWindow(void* parent) override;
  void CloseWindow() override;
  void* GetWindow() override { return mWindow; }
  bool GetTextFromClipboard(StringBuf* str) override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  void UpdateTooltips() override;
  RasterBitmap* OSLoadBitmap(int id, const char* name) override;

  // The resource folder of the bundle holding the code that calls it, or "" outside a bundle.
  static std::string ModuleResourceFolder();

  // The editor window's messages (the window procedure's way in).
  intptr_t HandleMessage(unsigned msg, uintptr_t wParam, intptr_t lParam);
  // The text field's messages it acts on before the field does; true when handled (*result).
  bool HandleFieldMessage(unsigned msg, uintptr_t wParam, intptr_t lParam, intptr_t* result);

protected:
  // The system's DPI (96 dpi is 1), for when the host gives no scale.
  float DesktopScale() override;

private:
  struct Gdi;       // the window's DIB section and its memory context
  struct TextEntry; // the native text field

  // The surface as the raster library keeps it, in device pixels (IGraphicsWinImages.cpp,
  // which may see raster headers): pixels, row span in pixels, size. False before PrepDraw.
  bool SurfacePixels(const uint32_t** bits, int* rowSpan, int* w, int* h);
  // Makes (or remakes at a new size) the DIB section the window paints from.
  bool MakeBackBuffer(int w, int h);
  void FreeBackBuffer();
  void RedrawAll();
  void Tick();

  // Events.
  void MouseButton(unsigned msg, uintptr_t wParam, intptr_t lParam);
  void MouseMove(uintptr_t wParam, intptr_t lParam);
  void MouseWheel(uintptr_t wParam, intptr_t lParam);
  void PressEnded(bool left);
  bool KeyDown(uintptr_t vk);
  // After a menu or dialog ran inside a press: the release went to it, so end the press here.
  void EndPressesAfterModal();

  // Text entry.
  void EndTextEntry(bool commit);
  bool FieldKey(const IForwardedKey& key);

  // Tooltips.
  void MakeTooltips();
  void FreeTooltips();
  const wchar_t* TooltipText(int controlIdx);

  void* OwnerWindow() const;

  std::string mResourceFolder;
  void* mWindow = nullptr; // HWND
  void* mParent = nullptr; // HWND
  std::unique_ptr<Gdi> mGdi;
  std::unique_ptr<TextEntry> mTextEntry;
  void* mTooltipWindow = nullptr; // HWND
  std::wstring mTooltipText;
  int mTooltipCount = 0;

  unsigned mButtonsDown = 0; // 1 left, 2 right
  bool mTrackingLeave = false;
  bool mInPress = false;
  bool mModalDuringPress = false;
  int mWheelRest = 0; // wheel units short of a notch
  int mLastX = 0, mLastY = 0;
  bool mClassRegistered = false;
  bool mWindowGone = false; // the host destroyed our window with its own
};

// A GraphicsFactory: a Win32 engine whose images come from the Contents/Resources folder of the
// bundle holding the running module.
IGraphics* MakeWinGraphics(IAudioPlugin* plug, int w, int h, int fps);
