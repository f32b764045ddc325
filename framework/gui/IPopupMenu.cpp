#include "framework/gui/IPopupMenu.h"

#include <cstdio>

IPopupMenu::~IPopupMenu()
{
  for (int i = mItems.GetSize() - 1; i >= 0; --i)
    delete mItems.Get(i);
  mItems.Empty();
}

IPopupMenuItem* IPopupMenu::AddItem(IPopupMenuItem* item, int index)
{
  if (!item) return nullptr;
  if (index == -1 || index >= mItems.GetSize())
    mItems.Add(item);
  else
    mItems.Insert(index < 0 ? 0 : index, item);
  return item;
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, int flags)
{
  return AddItem(new IPopupMenuItem(text, flags), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* submenu)
{
  return AddItem(new IPopupMenuItem(text, submenu), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, IPopupMenu* submenu)
{
  return AddItem(new IPopupMenuItem(text, submenu), -1);
}

IPopupMenuItem* IPopupMenu::AddSeparator(int index)
{
  return AddItem(new IPopupMenuItem("", IPopupMenuItem::kSeparator), index);
}

const char* IPopupMenu::GetItemText(int index) const
{
  const IPopupMenuItem* item = mItems.Get(index);
  return item ? item->GetText() : "";
}

void IPopupMenu::SetPrefix(int prefix)
{
  if (prefix >= kPrefixNone && prefix <= kPrefix3) mPrefix = prefix;
}

void IPopupMenu::FormatPrefix(int index, char* out, int outLen) const
{
  if (!out || outLen <= 0) return;
  static const char* const kFormats[] = {"", "%1d: ", "%02d: ", "%03d: "};
  if (mPrefix == kPrefixNone)
    out[0] = '\0';
  else
    std::snprintf(out, static_cast<size_t>(outLen), kFormats[mPrefix], index + 1);
}

bool IPopupMenu::CheckItem(int index, bool checked)
{
  IPopupMenuItem* item = mItems.Get(index);
  if (!item) return false;
  item->SetChecked(checked);
  return true;
}

void IPopupMenu::CheckItemAlone(int index)
{
  for (int i = 0; i < mItems.GetSize(); ++i)
    mItems.Get(i)->SetChecked(i == index);
}

bool IPopupMenu::IsItemChecked(int index) const
{
  const IPopupMenuItem* item = mItems.Get(index);
  return item && item->GetChecked();
}
