#include "framework/platform/headless/IGraphicsHeadless.h"
#include "framework/platform/LinuxFolders.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "framework/core/IParam.h"
#include "framework/gui/IControl.h"
#include "framework/gui/IPopupMenu.h"
#include "raster/Raster.h"

IGraphicsHeadless::IGraphicsHeadless(IAudioPlugin* plug, int w, int h, int fps,
                                     const char* resourceFolder)
    : IGraphics(plug, w, h, fps), mResourceFolder(resourceFolder ? resourceFolder : "")
{
  UseResourceFallbackFont(mResourceFolder.c_str());
}

IGraphicsHeadless::~IGraphicsHeadless() = default;

bool IGraphicsHeadless::Tick(IRECT* r)
{
  IRECT dirty;
  const bool drawn = IsDirty(&dirty) && Draw(&dirty);
  if (r) *r = dirty;
  return drawn;
}

void IGraphicsHeadless::DrawAll()
{
  SyncDeviceScale();
  SetAllControlsDirty();
  IRECT all(0, 0, Width(), Height());
  Draw(&all);
}

bool IGraphicsHeadless::WriteSurfacePNG(const char* path)
{
  return GetDrawBitmap() && path && RasterWritePNG(GetDrawBitmap(), path);
}

bool IGraphicsHeadless::DrawScreen(IRECT* r)
{
  ++mDrawScreenCount;
  if (r) mLastDrawScreenRect = *r;
  return true;
}

// ---- Script ----

void IGraphicsHeadless::QueuePopupChoice(std::vector<int> path)
{
  PopupAnswer a;
  a.mDismiss = false;
  a.mIndices = std::move(path);
  mPopupAnswers.push_back(std::move(a));
}

void IGraphicsHeadless::QueuePopupChoice(const char* textPath)
{
  PopupAnswer a;
  a.mDismiss = false;
  a.mTextPath = textPath ? textPath : "";
  mPopupAnswers.push_back(std::move(a));
}

void IGraphicsHeadless::QueuePopupDismiss()
{
  mPopupAnswers.push_back(PopupAnswer());
}

void IGraphicsHeadless::QueueTextEntry(const char* typed)
{
  mTextAnswers.push_back({false, typed ? typed : ""});
}

void IGraphicsHeadless::QueueTextEntryCancel()
{
  mTextAnswers.push_back({true, ""});
}

void IGraphicsHeadless::QueueFileChoice(const char* path)
{
  mFileAnswers.push_back({false, path ? path : ""});
}

void IGraphicsHeadless::QueueFileCancel()
{
  mFileAnswers.push_back({true, ""});
}

void IGraphicsHeadless::QueueMessageBoxAnswer(int answer)
{
  mMessageBoxAnswers.push_back(answer);
}

// ---- Dialogs ----

int IGraphicsHeadless::ShowMessageBox(const char* text, const char* caption, int type)
{
  mMessageBoxes.push_back({text ? text : "", caption ? caption : "", type});
  if (mMessageBoxAnswers.empty()) return kMBResultDefault;
  const int answer = mMessageBoxAnswers.front();
  mMessageBoxAnswers.pop_front();
  return answer;
}

void IGraphicsHeadless::RecordMenu(const IPopupMenu* menu, int depth,
                                   std::vector<std::string>* lines)
{
  for (int i = 0; i < menu->GetNItems(); ++i)
  {
    const IPopupMenuItem* item = menu->GetItem(i);
    std::string line(static_cast<size_t>(depth) * 2, ' ');
    if (item->GetIsSeparator())
    {
      lines->push_back(line + "-");
      continue;
    }
    char prefix[16];
    menu->FormatPrefix(i, prefix, sizeof prefix);
    line += prefix;
    line += item->GetText();
    std::string flags;
    if (item->GetChecked()) flags += " checked";
    if (!item->GetEnabled()) flags += " disabled";
    if (item->GetIsTitle()) flags += " title";
    if (!flags.empty()) line += "\t" + flags.substr(1);
    lines->push_back(line);
    if (item->GetSubmenu()) RecordMenu(item->GetSubmenu(), depth + 1, lines);
  }
}

IPopupMenu* IGraphicsHeadless::Choose(IPopupMenu* menu, const PopupAnswer& answer)
{
  std::vector<std::string> texts;
  if (!answer.mTextPath.empty())
  {
    size_t start = 0;
    for (;;)
    {
      const size_t slash = answer.mTextPath.find('/', start);
      texts.push_back(answer.mTextPath.substr(start, slash - start));
      if (slash == std::string::npos) break;
      start = slash + 1;
    }
  }
  const size_t levels = texts.empty() ? answer.mIndices.size() : texts.size();
  for (size_t level = 0; menu && level < levels; ++level)
  {
    int idx = -1;
    if (texts.empty())
      idx = answer.mIndices[level];
    else
    {
      for (int i = 0; i < menu->GetNItems() && idx < 0; ++i)
        if (texts[level] == menu->GetItemText(i)) idx = i;
    }
    const IPopupMenuItem* item = menu->GetItem(idx);
    // Separators and disabled entries cannot be picked; an entry with a submenu only opens it.
    if (!item || item->GetIsSeparator()) return nullptr;
    if (level + 1 < levels)
    {
      menu = item->GetSubmenu();
      continue;
    }
    if (item->GetSubmenu() || !item->GetEnabled()) return nullptr;
    menu->SetChosenItemIdx(idx);
    return menu;
  }
  return nullptr;
}

IPopupMenu* IGraphicsHeadless::CreateIPopupMenu(IPopupMenu* menu, IRECT* rect)
{
  ReleaseMouseCapture();
  if (!menu) return nullptr;
  PopupRecord record;
  RecordMenu(menu, 0, &record.mLines);
  if (rect) record.mRect = *rect;

  IPopupMenu* chosen = nullptr;
  if (!mPopupAnswers.empty())
  {
    const PopupAnswer answer = mPopupAnswers.front();
    mPopupAnswers.pop_front();
    if (!answer.mDismiss) chosen = Choose(menu, answer);
  }
  record.mChosen = chosen != nullptr;
  mPopups.push_back(std::move(record));
  return chosen;
}

std::string IGraphicsHeadless::FilterTypedText(const char* typed, const char* accepted, int maxLen)
{
  std::string text;
  for (const char* p = typed ? typed : ""; *p; ++p)
  {
    if (accepted && !std::strchr(accepted, *p)) continue;
    if (maxLen > 0 && static_cast<int>(text.size()) + 1 > maxLen) continue;
    text += *p;
  }
  return text;
}

void IGraphicsHeadless::CreateTextEntry(IControl* control, IText*, IRECT* rect, const char* str,
                                        IParam* param)
{
  if (!control) return;
  TextEntryRecord record;
  record.mControl = control;
  record.mParam = param;
  if (rect) record.mRect = *rect;
  record.mInitialText = str ? str : "";

  TextAnswer answer;
  if (!mTextAnswers.empty())
  {
    answer = mTextAnswers.front();
    mTextAnswers.pop_front();
  }
  if (answer.mCancel)
  {
    mTextEntries.push_back(std::move(record));
    return;
  }
  // The field opens with its text selected, so the first key replaces it. Only a parameter's
  // field filters its keys.
  record.mCommitted =
      param ? FilterTypedText(answer.mText.c_str(), TextEntryCharacters(param->Type()),
                              control->GetTextEntryLength())
            : answer.mText;
  record.mWasCommitted = true;
  const std::string committed = record.mCommitted;
  mTextEntries.push_back(std::move(record));
  if (param)
    SetFromStringAfterPrompt(control, param, committed.c_str());
  else
    control->TextFromTextEntry(committed.c_str());
}

void IGraphicsHeadless::PromptForFile(StringBuf* fileName, EFileAction action, StringBuf* directory,
                                      const char* extensions)
{
  if (!fileName) return;
  FilePromptRecord record;
  record.mAction = action;
  record.mDefaultName = fileName->Get();
  if (directory && directory->GetLength() == 0) directory->Set("~/Desktop");
  record.mDirectory = directory ? directory->Get() : "~/Desktop";
  record.mExtensions = extensions ? extensions : "";
  mFilePrompts.push_back(std::move(record));
  fileName->Set("");

  if (mFileAnswers.empty()) return;
  const TextAnswer answer = mFileAnswers.front();
  mFileAnswers.pop_front();
  if (answer.mCancel) return;
  fileName->Set(answer.mText.c_str());
  const size_t slash = answer.mText.rfind('/');
  if (directory && slash != std::string::npos)
    directory->Set(answer.mText.substr(0, slash + 1).c_str());
}

bool IGraphicsHeadless::OpenURL(const char* url, const char*, const char*, const char*)
{
  mURLs.push_back(url ? url : "");
  return true;
}

bool IGraphicsHeadless::IsPlatformTypeSupported(const char* type)
{
  return type && (std::strcmp(type, kPlatformX11EmbedWindowID) == 0 ||
                  std::strcmp(type, kPlatformHWND) == 0);
}

void* IGraphicsHeadless::OpenWindow(void*)
{
  mWindowOpen = true;
  return this;
}

bool IGraphicsHeadless::GetTextFromClipboard(StringBuf* str)
{
  if (!str) return false;
  str->Set(mClipboard.c_str());
  return !mClipboard.empty();
}

// ---- Paths ----

void IGraphicsHeadless::HostPath(StringBuf* path)
{
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (path && n > 0)
  {
    buf[n] = '\0';
    path->Set(buf);
  }
}

void IGraphicsHeadless::PluginPath(StringBuf* path)
{
  if (!path) return;
  std::string folder = mResourceFolder;
  if (folder.empty() || folder.back() != '/') folder += '/';
  path->Set(folder.c_str());
}

void IGraphicsHeadless::DesktopPath(StringBuf* path)
{
  if (path) path->Set(folders::DesktopFolder().c_str());
}

void IGraphicsHeadless::AppSupportPath(StringBuf* path, bool isSystem)
{
  if (path) path->Set(folders::AppSupportFolder(isSystem).c_str());
}

void IGraphicsHeadless::SandboxSafeAppSupportPath(StringBuf* path)
{
  if (path) path->Set(folders::SandboxSafeAppSupportFolder().c_str());
}

void IGraphicsHeadless::UserConfigPath(StringBuf* path)
{
  if (path) path->Set(folders::ConfigFolder().c_str());
}

// ---- Images ----

RasterBitmap* IGraphicsHeadless::OSLoadBitmap(int, const char* name)
{
  const std::string path = ResourceImagePath(mResourceFolder.c_str(), name);
  return path.empty() ? nullptr : RasterLoadPNG(path.c_str());
}

// ---- Factory ----

GraphicsFactory HeadlessGraphicsFactory(const char* resourceFolder)
{
  std::string folder = resourceFolder ? resourceFolder : "";
  return [folder](IAudioPlugin* plug, int w, int h, int fps) -> IGraphics*
  { return new IGraphicsHeadless(plug, w, h, fps, folder.c_str()); };
}
