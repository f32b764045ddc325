#pragma once
// Controls whose click hands the work to the platform layer: opening a web link, and choosing a
// file in the platform's dialog.
// GUI thread only; the clicks block in the platform's modal dialogs.

#include "common/StringBuf.h"
#include "framework/gui/IControl.h"

// An invisible area that opens a URL, or a backup URL when the first cannot be opened.
class IURLControl : public IControl
{
public:
  static constexpr int kURLLen = 256;
  static constexpr int kErrMsgLen = 1024;

  // Null or empty strings leave the field empty; longer ones are cut to fit.
  IURLControl(IAudioPlugin* plug, IRECT rect, const char* url, const char* backupURL = nullptr,
              const char* errMsgOnFailure = nullptr);

  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }

protected:
  char mURL[kURLLen] = {};
  char mBackupURL[kURLLen] = {};
  char mErrMsg[kErrMsgLen] = {};
};

// A click opens the platform's file dialog; the control shows its image while the dialog is open
// and toggles its value between 0 and 1 when the dialog closes, chosen or cancelled, so that a
// linked parameter sees every use.
class IFileSelectorControl : public IControl
{
public:
  enum EFileSelectorState
  {
    kFSNone = 0,
    kFSSelecting = 1,
    kFSDone = 2
  };

  // extensions: space-separated, without dots.
  IFileSelectorControl(IAudioPlugin* plug, IRECT rect, int paramIdx, const IBitmap* bitmap,
                       EFileAction action, const char* dir = "", const char* extensions = "")
      : IControl(plug, rect, paramIdx), mBitmap(*bitmap), mDir(dir), mExtensions(extensions),
        mFileAction(action)
  {
  }

  // Blocks in the platform's modal dialog.
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  // A finished selection reports dirty once more, so the control is redrawn without its image.
  bool IsDirty() override;

  void GetLastSelectedFileForPlug(StringBuf* out) const { out->Set(mFile.Get()); }
  void SetLastSelectedFileFromPlug(const char* file) { mFile.Set(file); }
  EFileSelectorState GetState() const { return mState; }

protected:
  IBitmap mBitmap;
  StringBuf mDir, mFile, mExtensions;
  EFileAction mFileAction;
  EFileSelectorState mState = kFSNone;
};
