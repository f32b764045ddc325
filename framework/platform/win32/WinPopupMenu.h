#pragma once
// A native Win32 popup menu built from an IPopupMenu: submenus, checks, separators, disabled
// items, titles (disabled items) and the model's numbering. Each item gets a command id that
// leads back to its model menu and index, which is what the engine's result needs. Building needs
// no window, so it is tested on its own; no <windows.h> here.

#include <utility>
#include <vector>

class IPopupMenu;

class WinPopupMenu
{
public:
  // Builds the native menu tree (an HMENU) from menu; null when the system refuses.
  explicit WinPopupMenu(IPopupMenu* menu);
  ~WinPopupMenu();
  WinPopupMenu(const WinPopupMenu&) = delete;
  WinPopupMenu& operator=(const WinPopupMenu&) = delete;

  void* Handle() const { return mMenu; }
  // The model menu holding the item with command id, its chosen index set; null for 0 (the menu
  // was dismissed) or an id this menu did not give out.
  IPopupMenu* Choose(unsigned id) const;

private:
  void* Build(IPopupMenu* menu);

  void* mMenu = nullptr;
  // Command id k + 1 is item mItems[k].second of menu mItems[k].first.
  std::vector<std::pair<IPopupMenu*, int>> mItems;
};
