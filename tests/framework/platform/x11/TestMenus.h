// The menu the popup tests walk: "A", a separator, "B" (disabled), and "C" with a submenu
// "x", "y", "z"; numbered, so prefixes are drawn too.
#pragma once

#include "framework/gui/IPopupMenu.h"

namespace xtest
{
struct TestMenus
{
  IPopupMenu top, sub;
  TestMenus()
  {
    top.SetPrefix(IPopupMenu::kPrefix2);
    top.AddItem("A");
    top.AddSeparator();
    top.AddItem("B", -1, IPopupMenuItem::kDisabled);
    sub.AddItem("x");
    sub.AddItem("y");
    sub.AddItem("z");
    top.AddItem("C", &sub);
  }
};
} // namespace xtest
