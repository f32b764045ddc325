#include "framework/gui/IPlatformControls.h"

#include "framework/gui/IGraphics.h"

IURLControl::IURLControl(IAudioPlugin* plug, IRECT rect, const char* url, const char* backupURL,
                         const char* errMsgOnFailure)
    : IControl(plug, rect)
{
  CopyCString(mURL, url, kURLLen);
  CopyCString(mBackupURL, backupURL, kURLLen);
  CopyCString(mErrMsg, errMsgOnFailure, kErrMsgLen);
}

void IURLControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* graphics = GetGUI();
  if (!graphics) return;
  if (mURL[0] && graphics->OpenURL(mURL, mErrMsg, nullptr, nullptr)) return;
  if (mBackupURL[0]) graphics->OpenURL(mBackupURL, mErrMsg, nullptr, nullptr);
}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*)
{
  IGraphics* graphics = GetGUI();
  if (!graphics) return;
  mState = kFSSelecting;
  SetDirty(false);
  graphics->PromptForFile(&mFile, mFileAction, &mDir, mExtensions.Get());
  mValue += 1.0;
  if (mValue > 1.0) mValue = 0.0;
  mState = kFSDone;
  SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* graphics)
{
  if (mState == kFSSelecting) graphics->DrawBitmap(&mBitmap, &mRECT, 0, 0, nullptr);
  return true;
}

bool IFileSelectorControl::IsDirty()
{
  if (mDirty) return true;
  if (mState == kFSDone)
  {
    mState = kFSNone;
    return true;
  }
  return false;
}
