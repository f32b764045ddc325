#pragma once
// Popup menus drawn by the platform layer: the navigation through a model menu and its submenus
// (no X11, tested on its own), and the modal menu in override-redirect windows.

#include <X11/Xlib.h>

#include <functional>
#include <vector>

class IGraphics;
class IPopupMenu;
class IPopupMenuItem;

// Where the user is in a menu and its open submenus, and what a key or click does there.
class PopupMenuNavigator
{
public:
  enum EKey
  {
    kKeyUp,
    kKeyDown,
    kKeyLeft,
    kKeyRight,
    kKeyEnter,
    kKeyEscape,
    kKeyHome,
    kKeyEnd
  };
  enum EResult
  {
    kContinue,
    kChosen,
    kDismissed
  };

  explicit PopupMenuNavigator(IPopupMenu* root);

  // An entry that can be chosen or opened: not a separator, not disabled.
  static bool IsSelectable(const IPopupMenuItem* item);

  int Depth() const { return static_cast<int>(mLevels.size()); }
  IPopupMenu* MenuAt(int level) const { return mLevels[static_cast<size_t>(level)].mMenu; }
  int HighlightAt(int level) const { return mLevels[static_cast<size_t>(level)].mHighlight; }

  // The pointer rests on item of level (-1: on no item of it). Levels below close; an enabled
  // entry with a submenu opens it.
  void Hover(int level, int item);
  // A button released over item of level.
  EResult Click(int level, int item);
  EResult Key(EKey key);

  // After kChosen: the model menu holding the chosen entry, its chosen index set.
  IPopupMenu* Chosen() const { return mChosen; }

private:
  struct Level
  {
    IPopupMenu* mMenu;
    int mHighlight;
  };
  // Opens the submenu of the highlighted entry of the deepest level, highlighting its first
  // entry when asked (keyboard) or none (pointer).
  bool OpenSubmenu(bool highlightFirst);
  EResult Choose(int level, int item);
  int Step(int level, int from, int direction) const;

  std::vector<Level> mLevels;
  IPopupMenu* mChosen = nullptr;
};

// What the modal menu needs from the window it opens over.
struct X11MenuHost
{
  Display* mDisplay = nullptr;
  Window mTransientFor = 0; // the host's top-level window
  float mScale = 1.0f; // device pixels per logical pixel: the menu is drawn at device resolution
  IGraphics* mGraphics = nullptr; // for its fonts
  // Called about every mTickMs while the menu is open (the editor keeps redrawing).
  std::function<void()> mTick;
  int mTickMs = 40;
  // Events for windows other than the menu's (exposures of the editor).
  std::function<void(XEvent&)> mOtherEvent;
  // Polled with each tick; true ends the menu as dismissed.
  std::function<bool()> mAbort;
};

// Shows menu with its top-left corner at root position (x, y) — or above aboveY when it would not
// fit below — and returns when an entry is chosen (the model menu holding it, its chosen index
// set) or the menu is dismissed (null): a press outside, Escape.
IPopupMenu* RunX11PopupMenu(const X11MenuHost& host, IPopupMenu* menu, int x, int y, int aboveY);
