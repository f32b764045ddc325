#include "framework/platform/win32/WinPopupMenu.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

#include "framework/gui/IPopupMenu.h"
#include "framework/platform/win32/WinSupport.h"

WinPopupMenu::WinPopupMenu(IPopupMenu* menu)
{
  if (menu) mMenu = Build(menu);
}

WinPopupMenu::~WinPopupMenu()
{
  // Destroys the submenus with it.
  if (mMenu) DestroyMenu(static_cast<HMENU>(mMenu));
}

void* WinPopupMenu::Build(IPopupMenu* menu)
{
  HMENU native = CreatePopupMenu();
  if (!native) return nullptr;
  for (int i = 0; i < menu->GetNItems(); ++i)
  {
    const IPopupMenuItem* item = menu->GetItem(i);
    if (item->GetIsSeparator())
    {
      AppendMenuW(native, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    char prefix[16] = "";
    menu->FormatPrefix(i, prefix, sizeof prefix);
    const std::wstring text = win32::MenuText(std::string(prefix) + item->GetText());
    if (IPopupMenu* sub = item->GetSubmenu())
    {
      if (HMENU child = static_cast<HMENU>(Build(sub)))
      {
        UINT flags = MF_POPUP | MF_STRING;
        if (!item->GetEnabled()) flags |= MF_GRAYED;
        AppendMenuW(native, flags, reinterpret_cast<UINT_PTR>(child), text.c_str());
      }
      continue;
    }
    mItems.emplace_back(menu, i);
    const UINT_PTR id = mItems.size();
    UINT flags = MF_STRING;
    // A title is a heading: shown, never chosen.
    if (!item->GetEnabled() || item->GetIsTitle()) flags |= MF_GRAYED;
    if (item->GetChecked()) flags |= MF_CHECKED;
    AppendMenuW(native, flags, id, text.c_str());
  }
  return native;
}

IPopupMenu* WinPopupMenu::Choose(unsigned id) const
{
  if (id == 0 || id > mItems.size()) return nullptr;
  const auto& item = mItems[id - 1];
  item.first->SetChosenItemIdx(item.second);
  return item.first;
}
