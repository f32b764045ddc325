#pragma once
// A platform layer without a window. It renders the editor into the engine's draw surface, which
// WriteSurfacePNG saves, and answers the dialogs the engine and controls open from a script the
// caller sets beforehand: which popup item to choose, what text to type into a text entry, which
// file a prompt returns, which button a message box gets. Tests and the snapshot tool use it.
//
// Threads: as the engine, GUI thread only except the engine's own audio-thread entry points.

#include <deque>
#include <string>
#include <vector>

#include "framework/gui/GraphicsFactory.h"
#include "framework/gui/IGraphics.h"

class IGraphicsHeadless : public IGraphics
{
public:
  // Images are read from resourceFolder/<name>.png.
  IGraphicsHeadless(IAudioPlugin* plug, int w, int h, int fps = 0, const char* resourceFolder = "");
  ~IGraphicsHeadless() override;

  void SetResourceFolder(const char* folder) { mResourceFolder = folder ? folder : ""; }
  const char* GetResourceFolder() const { return mResourceFolder.c_str(); }

  // One timer tick as a window would run it: collect the dirty area and redraw it. True when
  // anything was drawn; r (optional) receives the area.
  bool Tick(IRECT* r = nullptr);
  // Marks every control dirty and redraws the whole editor.
  void DrawAll();
  bool WriteSurfacePNG(const char* path);

  // ---- Script: answers are consumed in order, one per dialog. With none queued a popup menu is
  // dismissed, a text entry and a file prompt are cancelled and a message box gets its default
  // button. ----

  // Chooses by position: one index per level, descending into submenus ({2} the third item,
  // {1, 0} the first item of the second item's submenu).
  void QueuePopupChoice(std::vector<int> path);
  // Chooses by item text, levels separated by '/' ("Factory/Bright Air").
  void QueuePopupChoice(const char* textPath);
  void QueuePopupDismiss();
  // The text is typed into the field key by key (through the parameter's character filter and
  // the control's length limit) and committed.
  void QueueTextEntry(const char* typed);
  void QueueTextEntryCancel();
  void QueueFileChoice(const char* path);
  void QueueFileCancel();
  void QueueMessageBoxAnswer(int answer);
  void SetClipboardText(const char* text) { mClipboard = text ? text : ""; }

  // ---- What was asked ----
  struct PopupRecord
  {
    // Each item as shown: numbering prefix and text; "-" for a separator; submenus are indented
    // by two spaces per level. Flags of the item follow after a tab when any are set.
    std::vector<std::string> mLines;
    IRECT mRect;
    bool mChosen = false;
  };
  struct TextEntryRecord
  {
    IControl* mControl = nullptr;
    IParam* mParam = nullptr;
    IRECT mRect;
    std::string mInitialText;
    std::string mCommitted; // what the field held when committed
    bool mWasCommitted = false;
  };
  struct FilePromptRecord
  {
    EFileAction mAction = kFileOpen;
    std::string mDefaultName;
    std::string mDirectory;
    std::string mExtensions;
  };
  struct MessageBoxRecord
  {
    std::string mText;
    std::string mCaption;
    int mType = 0;
  };
  const std::vector<PopupRecord>& GetPopups() const { return mPopups; }
  const std::vector<TextEntryRecord>& GetTextEntries() const { return mTextEntries; }
  const std::vector<FilePromptRecord>& GetFilePrompts() const { return mFilePrompts; }
  const std::vector<MessageBoxRecord>& GetMessageBoxes() const { return mMessageBoxes; }
  const std::vector<std::string>& GetOpenedURLs() const { return mURLs; }
  int GetDrawScreenCount() const { return mDrawScreenCount; }
  IRECT GetLastDrawScreenRect() const { return mLastDrawScreenRect; }

  // What a field holds after typed is entered key by key into an empty field: a key is refused
  // when it is not among accepted (null: any) or would make the text longer than maxLen (0: no
  // limit).
  static std::string FilterTypedText(const char* typed, const char* accepted, int maxLen);

  // ---- Platform operations ----
  // No native window: it stands in for one in a parent of any type a Linux or Windows host
  // hands over.
  bool IsPlatformTypeSupported(const char* type) override;
  bool DrawScreen(IRECT* r) override;
  void ForceEndUserEdit() override {}
  const char* GetGUIAPI() override { return "Headless"; }
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* rect) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* rect, const char* str,
                       IParam* param) override;
  void HostPath(StringBuf* path) override;
  void PluginPath(StringBuf* path) override;
  void DesktopPath(StringBuf* path) override;
  void AppSupportPath(StringBuf* path, bool isSystem = false) override;
  void SandboxSafeAppSupportPath(StringBuf* path) override;
  // $XDG_CONFIG_HOME or ~/.config.
  void UserConfigPath(StringBuf* path) override;
  void PromptForFile(StringBuf* fileName, EFileAction action = kFileOpen,
                     StringBuf* directory = nullptr, const char* extensions = "") override;
  bool PromptForColor(IColor*, const char* = "") override { return false; }
  bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsg = nullptr) override;
  using IGraphics::OpenWindow;
  void* OpenWindow(void* parent) override;
  void CloseWindow() override { mWindowOpen = false; }
  void* GetWindow() override { return mWindowOpen ? this : nullptr; }
  bool GetTextFromClipboard(StringBuf* str) override;
  void UpdateTooltips() override {}
  RasterBitmap* OSLoadBitmap(int id, const char* name) override;

private:
  struct PopupAnswer
  {
    bool mDismiss = true;
    std::vector<int> mIndices;
    std::string mTextPath;
  };
  struct TextAnswer
  {
    bool mCancel = true;
    std::string mText;
  };
  static void RecordMenu(const IPopupMenu* menu, int depth, std::vector<std::string>* lines);
  static IPopupMenu* Choose(IPopupMenu* menu, const PopupAnswer& answer);

  std::string mResourceFolder;
  std::string mClipboard;
  bool mWindowOpen = false;
  int mDrawScreenCount = 0;
  IRECT mLastDrawScreenRect;

  std::deque<PopupAnswer> mPopupAnswers;
  std::deque<TextAnswer> mTextAnswers;
  std::deque<TextAnswer> mFileAnswers;
  std::deque<int> mMessageBoxAnswers;

  std::vector<PopupRecord> mPopups;
  std::vector<TextEntryRecord> mTextEntries;
  std::vector<FilePromptRecord> mFilePrompts;
  std::vector<MessageBoxRecord> mMessageBoxes;
  std::vector<std::string> mURLs;
};

// A factory of IGraphicsHeadless engines reading their images from resourceFolder (e.g. a
// bundle's Contents/Resources); the factory keeps its own copy of the folder.
GraphicsFactory HeadlessGraphicsFactory(const char* resourceFolder);
