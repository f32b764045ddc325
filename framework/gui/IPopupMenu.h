#pragma once
// A platform-neutral popup menu: items with flags and optional submenus, a numbering style, and
// after showing, the index of the chosen item. The platform layer builds the native menu from it.

#include <cstddef> // PtrList.h needs size_t

#include "common/PtrList.h"
#include "common/StringBuf.h"

class IPopupMenu;

class IPopupMenuItem
{
public:
  enum Flags
  {
    kNoFlags = 0,
    kDisabled = 0x1,
    kTitle = 0x2,
    kChecked = 0x4,
    kSeparator = 0x8
  };

  explicit IPopupMenuItem(const char* text, int flags = kNoFlags) : mText(text), mFlags(flags) {}
  IPopupMenuItem(const char* text, IPopupMenu* submenu) : mText(text), mSubmenu(submenu) {}

  const char* GetText() const { return mText.Get(); }
  void SetText(const char* text) { mText.Set(text); }
  int GetFlags() const { return mFlags; }
  void SetFlags(int flags) { mFlags = flags; }
  // Not owned: the caller that built the submenu frees it.
  IPopupMenu* GetSubmenu() const { return mSubmenu; }

  bool GetEnabled() const { return !(mFlags & kDisabled); }
  bool GetChecked() const { return (mFlags & kChecked) != 0; }
  bool GetIsTitle() const { return (mFlags & kTitle) != 0; }
  bool GetIsSeparator() const { return (mFlags & kSeparator) != 0; }

  void SetEnabled(bool enabled) { SetFlag(kDisabled, !enabled); }
  void SetChecked(bool checked) { SetFlag(kChecked, checked); }
  void SetTitle(bool title) { SetFlag(kTitle, title); }

private:
  void SetFlag(int flag, bool on) { mFlags = on ? (mFlags | flag) : (mFlags & ~flag); }

  StringBuf mText;
  IPopupMenu* mSubmenu = nullptr;
  int mFlags = kNoFlags;
};

class IPopupMenu
{
public:
  enum EPrefix
  {
    kPrefixNone = 0,
    kPrefix1 = 1, // "%1d: "
    kPrefix2 = 2, // "%02d: "
    kPrefix3 = 3  // "%03d: "
  };

  IPopupMenu() = default;
  ~IPopupMenu();
  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // Index -1 or past the end appends; any other negative index inserts at the front.
  // The menu owns the item from then on.
  IPopupMenuItem* AddItem(IPopupMenuItem* item, int index = -1);
  IPopupMenuItem* AddItem(const char* text, int index = -1, int flags = IPopupMenuItem::kNoFlags);
  IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* submenu);
  IPopupMenuItem* AddItem(const char* text, IPopupMenu* submenu);
  IPopupMenuItem* AddSeparator(int index = -1);

  int GetNItems() const { return mItems.GetSize(); }
  IPopupMenuItem* GetItem(int index) const { return mItems.Get(index); }
  const char* GetItemText(int index) const;

  int GetPrefix() const { return mPrefix; }
  void SetPrefix(int prefix);
  // The numbering shown before item index (counted from 0) under the menu's prefix, or "".
  void FormatPrefix(int index, char* out, int outLen) const;

  bool CheckItem(int index, bool checked);
  void CheckItemAlone(int index);
  bool IsItemChecked(int index) const;

  int GetChosenItemIdx() const { return mChosenItemIdx; }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }

private:
  int mPrefix = kPrefixNone;
  int mChosenItemIdx = -1;
  PtrList<IPopupMenuItem> mItems;
};
