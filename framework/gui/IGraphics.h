#pragma once
// The editor engine of one plug-in instance: it owns the controls, keeps them in step with the
// plug-in's parameters, redraws the ones that changed into an off-screen surface and routes the
// platform's mouse and key events to them. A platform subclass supplies the window, the timer,
// dialogs, menus, image loading and the copy of the surface to the screen.
//
// Threads: everything runs on the GUI thread (the thread that built the engine, or the one a
// platform names with SetGUIThread), except SetParameterFromPlug, SetControlFromPlug and
// SetAllControlsDirty, which the audio thread may call at any time. Called from another thread
// they only post into lock-free slots; the GUI thread hands the values to the controls at its
// next IsDirty (the start of every redraw tick).

#include <atomic>
#include <chrono>
#include <cstddef> // PtrList.h needs size_t
#include <memory>
#include <string>
#include <thread>

#include "common/PtrList.h"
#include "common/RecursiveMutex.h"
#include "common/StringBuf.h"
#include "framework/core/IPluginEditor.h"
#include "framework/gui/IGraphicsStructs.h"
#include "framework/gui/IPlatformView.h"

class IAudioPlugin;
class IControl;
class IParam;
class IPopupMenu;
class RasterMemBitmap;
class RasterSysBitmap;

// ShowMessageBox button sets and answers.
enum EMessageBoxType
{
  kMBOk = 0,
  kMBOkCancel = 1,
  kMBYesNoCancel = 3,
  kMBYesNo = 4
};
enum EMessageBoxResult
{
  kMBResultNone = 0,
  kMBResultDefault = 1,
  kMBResultThird = 2,
  kMBResultSecond = 7
};

class IGraphics : public IPluginEditor, public IPlatformView
{
public:
  static constexpr int kDefaultFPS = 25;

  // fps <= 0 means kDefaultFPS.
  IGraphics(IAudioPlugin* plug, int w, int h, int fps = 0);
  ~IGraphics() override;
  IGraphics(const IGraphics&) = delete;
  IGraphics& operator=(const IGraphics&) = delete;

  // ---- Platform operations ----
  // Copies the draw surface to the window; called at the end of every Draw.
  virtual bool DrawScreen(IRECT* r) = 0;
  virtual bool MeasureIText(IText* text, const char* str, IRECT* destRect);
  virtual void ForceEndUserEdit() = 0;
  // Deletes every control and the surface; the caller attaches the controls again.
  virtual void Resize(int w, int h);
  virtual bool WindowIsOpen() { return GetWindow() != nullptr; }
  virtual const char* GetGUIAPI() { return ""; }
  // type: EMessageBoxType; returns an EMessageBoxResult.
  virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
  // Releases the mouse capture and shows the menu under rect. Returns the menu (the top one or a
  // submenu) whose item was chosen, with its chosen index set, or null when dismissed.
  virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) = 0;
  // Opens a text field; committing it calls SetFromStringAfterPrompt(control, param, text) when
  // param is given, else control->TextFromTextEntry(text).
  virtual void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                               IParam* param) = 0;
  virtual void HostPath(StringBuf* path) = 0;
  virtual void PluginPath(StringBuf* path) = 0;
  virtual void DesktopPath(StringBuf* path) = 0;
  virtual void AppSupportPath(StringBuf* path, bool isSystem = false) = 0;
  virtual void SandboxSafeAppSupportPath(StringBuf* path) = 0;
  // fileName comes back empty when cancelled; on OK, directory becomes the chosen file's folder
  // with a trailing "/". extensions: space-separated, without dots.
  virtual void PromptForFile(StringBuf* fileName, EFileAction action = kFileOpen,
                             StringBuf* directory = nullptr, const char* extensions = "") = 0;
  virtual bool PromptForColor(IColor* color, const char* prompt = "") = 0;
  virtual bool OpenURL(const char* url, const char* windowTitle = nullptr,
                       const char* confirmMsg = nullptr, const char* errMsg = nullptr) = 0;
  virtual void* OpenWindow(void* parent) = 0;
  virtual void* OpenWindow(void*, void*, short = 0, short = 0) { return nullptr; }
  virtual void AttachSubWindow(void*) {}
  virtual void RemoveSubWindow() {}
  virtual void CloseWindow() = 0;
  virtual void* GetWindow() = 0;
  virtual bool GetTextFromClipboard(StringBuf* str) = 0;
  virtual void HideMouseCursor() {}
  virtual void ShowMouseCursor() {}
  virtual void UpdateTooltips() = 0;
  // A new bitmap the caller owns, or null when the image cannot be had.
  virtual RasterBitmap* OSLoadBitmap(int id, const char* name) = 0;

  // ---- IPlatformView: what a plug-in format's view asks (host's UI thread) ----
  // Takes the desktop's scale and the user's zoom, unless a window is open (its size is the
  // host's then).
  void PrepareView() override;
  void SetViewHost(IPlatformViewHost* host) override { mViewHost.store(host); }
  // No native parent type by default: a platform names the ones it opens windows in.
  bool IsPlatformTypeSupported(const char*) override { return false; }
  bool AttachToParent(const char* type, void* parent) override;
  // The window goes, and with it the editor's claim on its scale's images; they are made again
  // when it draws next.
  void DetachFromParent() override
  {
    CloseWindow();
    ReleaseDeviceScale();
  }
  void SetContentScale(float scale) override;
  // The host's scale once it gave one, else the desktop's.
  float GetContentScale() const override;
  // Device pixels per logical pixel: the content scale times the user's zoom, limited to [1, 3].
  // The one place the device scale comes from; the draw surface follows it at the next tick
  // (SyncDeviceScale).
  float GetDeviceScale() const override;
  void GetDeviceSize(int* w, int* h) const override;
  bool OnForwardedKey(const IForwardedKey&) override { return false; }
  void SetHostRunLoop(IHostRunLoop*) override {}

  // ---- Device pixels (GUI thread) ----
  // Controls, rectangles, mouse positions and hit tests are logical (the editor's Width() x
  // Height()); the draw surface holds round(Width() * s) x round(Height() * s) device pixels,
  // s = GetDrawScale(). Logical edge x lies on device edge round(x * s), so rectangles that share
  // an edge still share it on the device.
  float GetDrawScale() const { return mDrawScale; }
  // Remakes the surface when the device scale moved since it was made, with every control
  // dirty. True when it did: a platform then resizes its window to GetDeviceSize.
  bool SyncDeviceScale();
  // The device pixels that show logical area r, cut to the surface: what a platform copies to
  // the screen for a redrawn area.
  IRECT DeviceRect(const IRECT& r) const;
  // The smallest logical area holding device area r (an exposure, say).
  IRECT LogicalRect(const IRECT& deviceRect) const;
  // A device position (a mouse event's) in logical units: floor(device / s).
  int LogicalCoord(int device) const;

  // ---- Zoom: the user's own magnification on top of the host's scale (GUI thread) ----
  // 1 is 100 %; zooms outside 1 to 2 are refused. With a window open the host is asked for the
  // new size, and when it refuses the zoom stays as it was: false.
  bool SetZoom(float zoom);
  float GetZoom() const { return mZoom.load(); }
  int GetZoomPercent() const;
  // The user's choice of one of the offered zooms (editorprefs::kZoomPercents): SetZoom, and once
  // the host agreed, remembered in the user's preferences for every editor opened from then on.
  bool ChooseZoom(int percent);
  // The user's configuration folder, where the editor keeps the user's preferences ("" where
  // the platform keeps none: nothing is remembered).
  virtual void UserConfigPath(StringBuf* path) { path->Set(""); }
  // This editor's preference file in it ("" for none).
  std::string PreferenceFile();

  // ---- IPluginEditor: linkage with the plug-in (any thread, see above) ----
  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override;
  void SetControlFromPlug(int controlIdx, double normalizedValue) override;
  void SetAllControlsDirty() override;
  // Creates the draw surface at the current device scale and an empty scratch bitmap.
  void PrepDraw() override;

  // ---- Controls (GUI thread) ----
  void AttachBackground(int id, const char* name);
  void AttachPanelBackground(const IColor* color);
  // The engine owns the control from now on. Returns its index.
  int AttachControl(IControl* control);
  void AttachKeyCatcher(IControl* control);
  IControl* GetControl(int idx) const { return mControls.Get(idx); }
  int GetNControls() const { return mControls.GetSize(); }
  IControl* GetKeyCatcher() const { return mKeyCatcher; }

  void SetParameterFromGUI(int paramIdx, double normalizedValue);
  // Returns the normalised bounds through lo and hi.
  void ClampControl(int paramIdx, double* lo, double* hi, bool normalized);
  void HideControl(int paramIdx, bool hide);
  void GrayOutControl(int paramIdx, bool gray);
  void AssignParamNameToolTips();
  void SetStrictDrawing(bool strict);
  bool GetStrictDrawing() const { return mStrict; }

  // ---- Entry points for the platform layer (GUI thread) ----
  // r = union of r and every dirty control's rectangle; true when any control is dirty.
  bool IsDirty(IRECT* r);
  bool Draw(IRECT* r);
  void OnMouseDown(int x, int y, IMouseMod* mod);
  void OnMouseUp(int x, int y, IMouseMod* mod);
  void OnMouseDrag(int x, int y, IMouseMod* mod);
  bool OnMouseDblClick(int x, int y, IMouseMod* mod);
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  bool OnMouseOver(int x, int y, IMouseMod* mod);
  void OnMouseOut();
  bool OnKeyDown(int x, int y, int key);
  void SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text);
  void ReleaseMouseCapture();
  void OnGUIIdle();

  // Offers a parameter's display texts as a menu, or opens a text field for any other value.
  void PromptUserInput(IControl* control, IParam* param, IRECT* where);

  // Wheel notches closer together than this are one gesture for the host; the gesture ends at the
  // first redraw tick after the pause.
  static constexpr int kWheelGesturePauseMs = 250;
  void SetWheelGesturePause(int ms) { mWheelGesturePauseMs = ms; }
  // Ends the gestures the engine opened (a press whose release never came, a wheel burst); a
  // platform calls it when its window goes.
  void EndGestures();

  int GetParamIdxForPTAutomation(int x, int y);
  int GetLastClickedParamForPTAutomation();

  // ---- Engine state the platform layer reads ----
  IAudioPlugin* GetPlug() const { return mPlug; }
  int Width() const { return mWidth; }
  int Height() const { return mHeight; }
  int FPS() const { return mFPS; }
  int GetMouseCapture() const { return mMouseCapture; }
  int GetMouseOver() const { return mMouseOver; }
  int GetMouseX() const { return mMouseX; }
  int GetMouseY() const { return mMouseY; }
  void HandleMouseOver(bool canHandle) { mHandleMouseOver = canHandle; }
  bool CanHandleMouseOver() const { return mHandleMouseOver; }
  void EnableTooltips(bool enable) { mEnableTooltips = enable; }
  bool TooltipsEnabled() const { return mEnableTooltips; }
  void ShowControlBounds(bool show) { mShowControlBounds = show; }
  bool IsCursorHidden() const { return mCursorHidden; }
  void SetCursorHidden(bool hidden, int x = -1, int y = -1)
  {
    mCursorHidden = hidden;
    mHiddenCursorX = x;
    mHiddenCursorY = y;
  }
  int GetHiddenCursorX() const { return mHiddenCursorX; }
  int GetHiddenCursorY() const { return mHiddenCursorY; }
  RecursiveMutex& GetMutex() { return mMutex; }
  // Names the thread that runs the redraw cycle and input from now on (a platform that runs
  // them on a thread of its own calls it from that thread before the first tick).
  void SetGUIThread();
  // Faces the system cannot find are drawn with the font file shipped among the editor's
  // resources, so the editor looks the same on every machine. Call before the first text.
  static void UseResourceFallbackFont(const char* resourceFolder);
  // What a text field for a parameter of this type accepts (null: anything), so every platform
  // filters typed values alike.
  static const char* TextEntryCharacters(int paramType);
  // The key code OnKeyDown takes for a key a host forwarded: space 0, arrows 1 to 4 (up, down,
  // left, right), digits 5 to 14, letters 15 to 40 whatever their case; -1 for any other key.
  static int EngineKeyCode(const IForwardedKey& key);
  static constexpr const char* kFallbackFontFile = "LiberationSans-Regular.ttf";
  // Where an image the engine asks for by name ("resources/img/bg.png") lies among the editor's
  // resources: folder/<last name without extension>.png. Empty when the name is not a ".png"
  // (case ignored), so every platform refuses the same names.
  static std::string ResourceImagePath(const char* resourceFolder, const char* name);
  // The bundle a module lies in: <bundle>.vst3/Contents/<arch><archSuffix>/<file> gives
  // <bundle>.vst3 (paths with "/" between names); anything else gives "". archSuffix is the
  // platform's, "-linux" or "-win".
  static std::string BundleOfModule(const std::string& modulePath, const char* archSuffix);

  // ---- Bitmaps ----
  // An image that cannot be loaded is not cached and comes back with null data (W = H = 0).
  IBitmap LoadIBitmap(int id, const char* name, int frames = 1, bool horizontalFrames = false);
  void RetainBitmap(IBitmap* bitmap);
  void ReleaseBitmap(IBitmap* bitmap);
  IBitmap ScaleBitmap(IBitmap* source, int destW, int destH);
  IBitmap CropBitmap(IBitmap* source, IRECT* crop);

  // ---- Drawing (GUI thread, inside the redraw cycle) ----
  // The surface, in device pixels.
  RasterSysBitmap* GetDrawBitmap() const { return mDrawBitmap; }
  // The surface's pixel memory (device pixels), row span pixels per row; null before PrepDraw.
  uint32_t* GetBits();
  // The colour at the centre of logical pixel (x, y).
  IColor GetPoint(int x, int y);
  // The clip of the control being drawn; DrawBitmap and DrawRotatedMask honour it.
  const IRECT* GetDrawRect() const { return &mDrawRECT; }
  void SetDrawRect(const IRECT& r) { mDrawRECT = r; }

  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY,
                  const IChannelBlend* blend = nullptr);
  // state counts from 1; the frame is chosen from the strip.
  bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int state = 1,
                  const IChannelBlend* blend = nullptr);
  // angle in radians, clockwise.
  bool DrawRotatedBitmap(IBitmap* bitmap, int destCtrX, int destCtrY, double angle,
                         int yOffsetZeroDeg = 0, const IChannelBlend* blend = nullptr);
  // angle in degrees.
  bool DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angle,
                       const IChannelBlend* blend = nullptr);
  bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend = nullptr,
                 bool antiAlias = false);
  // Sets every device pixel of logical pixel (x, y), unblended and unclipped but never outside
  // the surface.
  bool ForcePixel(const IColor* color, int x, int y);
  bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2,
                const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
               const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool DrawCircle(const IColor* color, float cx, float cy, float r,
                  const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool RoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerRadius,
                 bool antiAlias);
  bool FillRoundRect(const IColor* color, IRECT* rect, const IChannelBlend* blend, int cornerRadius,
                     bool antiAlias);
  bool FillIRect(const IColor* color, IRECT* rect, const IChannelBlend* blend = nullptr);
  bool FillCircle(const IColor* color, int cx, int cy, float r,
                  const IChannelBlend* blend = nullptr, bool antiAlias = false);
  bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                    const IChannelBlend* blend = nullptr);
  bool FillIConvexPolygon(const IColor* color, int* x, int* y, int nPoints,
                          const IChannelBlend* blend = nullptr);
  bool DrawVerticalLine(const IColor* color, int xi, int yLo, int yHi);
  bool DrawHorizontalLine(const IColor* color, int yi, int xLo, int xHi);
  // x, y: 0..1 across the rectangle (y from the bottom).
  bool DrawVerticalLine(const IColor* color, IRECT* rect, float x);
  bool DrawHorizontalLine(const IColor* color, IRECT* rect, float y);
  bool DrawRect(const IColor* color, IRECT* rect);
  // angle in radians, 0 pointing up, growing clockwise.
  bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                      const IChannelBlend* blend = nullptr, bool antiAlias = false);
  // False only when the style's font cannot be made. With measure, rect is rewritten to the
  // text's extent and nothing is drawn.
  bool DrawIText(IText* text, const char* str, IRECT* rect, bool measure = false);
  // The style's font from the process-wide cache, made on first use; null when it cannot be made.
  RasterCachedFont* CacheFont(IText* text);
  // The style's font at device size (size * scale, rounded); the style itself is left alone.
  RasterCachedFont* CacheDeviceFont(const IText* text, float scale);

  // The image of bitmap at the surface's scale: the smallest of name.png, name@2x.png and
  // name@3x.png that is at least as large as the device needs, resampled to it frame by frame,
  // kept in a process-wide cache per scale while some editor draws at it. Null when there is no
  // image. The image stays valid while the DeviceImage lives, even if the cache drops it.
  struct DeviceImage
  {
    RasterBitmap* mBitmap = nullptr;
    // Keeps mBitmap alive; empty for the 1x image, which the editor's IBitmap keeps.
    std::shared_ptr<RasterBitmap> mShare;
    int mFrameW = 0, mFrameH = 0; // one frame in device pixels
  };
  DeviceImage GetDeviceImage(const IBitmap* bitmap);

protected:
  // The scale the desktop asks editors to draw at, for when the host gives none (1: none asked).
  virtual float DesktopScale() { return 1.0f; }
  // Whether an open editor may take w x h device pixels: the view host's answer, yes without one
  // (a window of the editor's own follows at its next redraw).
  virtual bool HostAgreesToSize(int w, int h);
  bool HasViewHost() const { return mViewHost.load() != nullptr; }
  // Detaches every control and frees the surfaces (the destructor's and Resize's work).
  void DeleteControls();
  void DeleteSurfaces();
  bool OnGUIThread() const;
  // Hands what the audio thread posted to the controls (GUI thread).
  void ApplyPendingFromPlug();

  IAudioPlugin* mPlug;
  PtrList<IControl> mControls;
  IControl* mKeyCatcher = nullptr;
  int mWidth;
  int mHeight;
  int mFPS;
  int mMouseCapture = -1;
  int mMouseOver = -1;
  int mMouseX = 0;
  int mMouseY = 0;
  int mLastClickedParam = -1;
  bool mHandleMouseOver = false;
  bool mStrict = true;
  bool mEnableTooltips = false;
  bool mShowControlBounds = false;
  bool mCursorHidden = false;
  int mHiddenCursorX = -1;
  int mHiddenCursorY = -1;
  RecursiveMutex mMutex;

  RasterSysBitmap* mDrawBitmap = nullptr;
  RasterMemBitmap* mTmpBitmap = nullptr;
  IRECT mDrawRECT;
  float mDrawScale = 1.0f; // the scale mDrawBitmap was made at
  // The scale whose device images this editor keeps in the cache (0: none); taken when it first
  // draws an image at mDrawScale, given up when the scale changes, the window closes or the editor
  // goes. Touched where the surface is: on the thread that draws, or while none does.
  float mHeldScale = 0.0f;
  void ReleaseDeviceScale();

  // Logical to device: an edge (rectangles), a point (pixel centres map to pixel centres), a
  // length, and the number of device pixels a one-pixel stroke is thick.
  int DevEdge(double x) const;
  float DevPoint(float x) const { return (x + 0.5f) * mDrawScale - 0.5f; }
  float DevLength(float d) const { return d * mDrawScale; }
  int StrokeWidth() const;

private:
  int GetMouseControlIdx(int x, int y, bool mouseOver = false);
  void EndPressGesture();
  void EndWheelGesture();
  void SetControlValueFromPlugNow(int controlIdx, double normalizedValue);
  void SetParameterFromPlugNow(int paramIdx, double normalizedValue);
  void SetAllControlsDirtyNow();
  // Makes slots for every attached control and publishes the count to the audio thread.
  void PublishControls();

  // Slots the audio thread writes without locking; see the .cpp.
  struct PlugSlot
  {
    std::atomic<double> mValue{0.0};
    std::atomic<bool> mPending{false};
  };
  static constexpr int kSlotBlockShift = 8;
  static constexpr int kSlotBlockSize = 1 << kSlotBlockShift;
  static constexpr int kMaxSlotBlocks = 64;
  PlugSlot* ControlSlot(int controlIdx) const;

  // The parameters of the gestures the engine opened for a press and for the wheel, -1 for none.
  int mPressGesture = -1;
  int mWheelGesture = -1;
  int mWheelGesturePauseMs = kWheelGesturePauseMs;
  std::chrono::steady_clock::time_point mLastWheel;

  std::atomic<std::thread::id> mGUIThread;
  std::unique_ptr<PlugSlot[]> mParamSlots;
  int mNParamSlots = 0;
  std::atomic<PlugSlot*> mControlSlotBlocks[kMaxSlotBlocks] = {};
  std::atomic<int> mNControlsPublished{0};
  std::atomic<bool> mAnyPending{false};
  std::atomic<bool> mAllDirtyPending{false};
  // Set on the host's UI thread, read by a platform's window thread. A host scale of 0: the host
  // gave none.
  std::atomic<float> mHostScale{0.0f};
  std::atomic<float> mDesktopScale{1.0f};
  std::atomic<float> mZoom{1.0f};
  // Set on the host's UI thread; a window on a thread of its own asks it from there.
  std::atomic<IPlatformViewHost*> mViewHost{nullptr};
};
