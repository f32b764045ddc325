// The parts of the Win32 layer that need no window: text and path conversion, input mapping,
// the text field's filter, dialog filters, message-box codes and native menus built from the
// engine's model.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "common/Utf8File.h"
#include "framework/gui/IGraphics.h"
#include "framework/gui/IPopupMenu.h"
#include "framework/platform/win32/WinPopupMenu.h"
#include "framework/platform/win32/WinSupport.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace
{

TEST(WinText, Utf8AndUtf16RoundTripBeyondTheBasicPlane)
{
  const std::string utf8 = "Ab \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB9"; // é € 🎹
  const std::wstring utf16 = win32::Widen(utf8);
  EXPECT_EQ(utf16, std::wstring(L"Ab \u00E9 \u20AC \xD83C\xDFB9"));
  EXPECT_EQ(win32::Narrow(utf16), utf8);
  EXPECT_EQ(win32::Widen(""), L"");
  EXPECT_EQ(win32::Narrow(L""), "");
  // A broken sequence does not swallow what follows it.
  EXPECT_EQ(win32::Widen("a\xC3z"), std::wstring(L"a\uFFFDz"));
}

TEST(WinText, PathsAreFrameworkFormInsideAndNativeAtTheSystem)
{
  const std::wstring native = L"C:\\Users\\J\u00FCrgen\\Desktop\\My Preset.fxp";
  const std::string path = win32::FrameworkPath(native);
  EXPECT_EQ(path, "C:/Users/J\xC3\xBCrgen/Desktop/My Preset.fxp");
  EXPECT_EQ(win32::NativePath(path), native);
}

TEST(WinText, FilesOpenByTheirUnicodeNames)
{
  // What a file dialog hands back for a user folder outside the ANSI code page.
  wchar_t temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring name = std::wstring(temp) + L"J\u00FCrgen \u65E5\u672C.fxp";
  const std::string path = win32::FrameworkPath(name);
  std::FILE* f = OpenUtf8File(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("preset", f);
  std::fclose(f);
  // The system sees the very name (not its bytes read in another code page).
  std::FILE* back = _wfopen(name.c_str(), L"rb");
  ASSERT_NE(back, nullptr);
  char text[8] = {};
  EXPECT_EQ(std::fread(text, 1, 6, back), 6u);
  std::fclose(back);
  EXPECT_STREQ(text, "preset");
  EXPECT_TRUE(DeleteFileW(name.c_str()));
  EXPECT_EQ(OpenUtf8File("C:/x/\xC3(.fxp", "rb"), nullptr) << "not UTF-8";
}

TEST(WinInput, KeysModifiersAndWheelNotches)
{
  EXPECT_EQ(win32::EngineKeyCode(VK_SPACE), 0);
  EXPECT_EQ(win32::EngineKeyCode(VK_UP), 1);
  EXPECT_EQ(win32::EngineKeyCode(VK_DOWN), 2);
  EXPECT_EQ(win32::EngineKeyCode(VK_LEFT), 3);
  EXPECT_EQ(win32::EngineKeyCode(VK_RIGHT), 4);
  EXPECT_EQ(win32::EngineKeyCode('0'), 5);
  EXPECT_EQ(win32::EngineKeyCode('9'), 14);
  EXPECT_EQ(win32::EngineKeyCode('Q'), 31);
  EXPECT_EQ(win32::EngineKeyCode('Z'), 40);
  EXPECT_EQ(win32::EngineKeyCode(VK_RETURN), -1);
  EXPECT_EQ(win32::EngineKeyCode(VK_F1), -1);
  EXPECT_EQ(win32::EngineKeyCode(VK_NUMPAD5), -1) << "VK_NUMPAD5 is 'e' in ASCII, not a letter";

  // Forwarded keys map alike, whatever the case.
  IForwardedKey q;
  q.mChar = U'q';
  EXPECT_EQ(IGraphics::EngineKeyCode(q), 31);
  q.mChar = U'Q';
  EXPECT_EQ(IGraphics::EngineKeyCode(q), 31);
  IForwardedKey up;
  up.mVirtual = IForwardedKey::kUp;
  EXPECT_EQ(IGraphics::EngineKeyCode(up), 1);
  IForwardedKey esc;
  esc.mVirtual = IForwardedKey::kEscape;
  EXPECT_EQ(IGraphics::EngineKeyCode(esc), -1);

  const IMouseMod right = win32::MouseMod(true, true, false, false);
  EXPECT_TRUE(!right.L && right.R && right.S && !right.C && !right.A);
  const IMouseMod ctrlLeft = win32::MouseMod(false, false, true, true);
  EXPECT_TRUE(ctrlLeft.L && !ctrlLeft.R && ctrlLeft.C && ctrlLeft.A);

  int rest = 0;
  EXPECT_EQ(win32::WheelNotches(120, &rest), 1);
  EXPECT_EQ(win32::WheelNotches(-240, &rest), -2);
  // A fine wheel's small steps add up to a notch instead of being lost.
  EXPECT_EQ(win32::WheelNotches(40, &rest), 0);
  EXPECT_EQ(win32::WheelNotches(40, &rest), 0);
  EXPECT_EQ(win32::WheelNotches(40, &rest), 1);
  EXPECT_EQ(rest, 0);
  EXPECT_EQ(win32::WheelNotches(-60, &rest), 0);
  EXPECT_EQ(win32::WheelNotches(60, &rest), 0) << "back and forth cancels";
  EXPECT_EQ(rest, 0);
}

TEST(WinTextField, FilterAndLengthOfTypedValues)
{
  const char* number = IGraphics::TextEntryCharacters(4); // a double parameter
  // Seven characters fit; the eighth is refused, and so is any letter.
  EXPECT_TRUE(win32::FieldAccepts(L"-12.345", 7, 7, L"", number, 7));
  EXPECT_FALSE(win32::FieldAccepts(L"-12.345", 7, 7, L"6", number, 7));
  EXPECT_FALSE(win32::FieldAccepts(L"12", 2, 2, L"e", number, 7));
  // Typing over a selection replaces it, so a full field takes a key over its selection.
  EXPECT_TRUE(win32::FieldAccepts(L"-12.345", 0, 7, L"5", number, 7));
  EXPECT_TRUE(win32::FieldAccepts(L"-12.345", 7, 0, L"5", number, 7)) << "selection either way";
  // Integer fields take no point; pasting is judged whole.
  const char* integer = IGraphics::TextEntryCharacters(2);
  EXPECT_FALSE(win32::FieldAccepts(L"", 0, 0, L".", integer, 0));
  EXPECT_TRUE(win32::FieldAccepts(L"", 0, 0, L"+42", integer, 0));
  EXPECT_FALSE(win32::FieldAccepts(L"", 0, 0, L"42x", integer, 0));
  EXPECT_FALSE(win32::FieldAccepts(L"", 0, 0, L"\u0661", integer, 0)) << "Arabic-Indic one";
  // No filter: anything, counted in characters (a surrogate pair is one).
  EXPECT_TRUE(win32::FieldAccepts(L"ab", 2, 2, L"\xD83C\xDFB9", nullptr, 3));
  EXPECT_FALSE(win32::FieldAccepts(L"abc", 3, 3, L"\xD83C\xDFB9", nullptr, 3));
}

TEST(WinDialogs, FiltersExtensionsAndMessageBoxAnswers)
{
  const std::wstring filter = win32::FileFilter("fxp fxb");
  static const wchar_t kExpected[] = L"FXP files (*.fxp)\0*.fxp\0FXB files (*.fxb)\0*.fxb\0"
                                     L"All files (*.*)\0*.*\0\0";
  const std::wstring expected(kExpected, sizeof kExpected / sizeof kExpected[0] - 1);
  EXPECT_EQ(filter, expected);
  EXPECT_EQ(win32::DefaultExtension("fxb"), L"fxb");
  EXPECT_EQ(win32::DefaultExtension(""), L"");
  EXPECT_EQ(win32::DefaultExtension(nullptr), L"");

  EXPECT_EQ(win32::MessageBoxStyle(kMBYesNo), static_cast<unsigned>(MB_YESNO));
  EXPECT_EQ(win32::MessageBoxStyle(kMBYesNoCancel), static_cast<unsigned>(MB_YESNOCANCEL));
  EXPECT_EQ(win32::MessageBoxStyle(kMBOkCancel), static_cast<unsigned>(MB_OKCANCEL));
  EXPECT_EQ(win32::MessageBoxStyle(9), static_cast<unsigned>(MB_OK));
  EXPECT_EQ(win32::MessageBoxAnswer(kMBYesNo, IDYES), kMBResultDefault);
  EXPECT_EQ(win32::MessageBoxAnswer(kMBYesNo, IDNO), kMBResultSecond);
  EXPECT_EQ(win32::MessageBoxAnswer(kMBYesNoCancel, IDCANCEL), kMBResultThird);
  EXPECT_EQ(win32::MessageBoxAnswer(kMBOkCancel, IDCANCEL), kMBResultSecond);
  EXPECT_EQ(win32::MessageBoxAnswer(kMBOk, IDOK), kMBResultDefault);
  EXPECT_EQ(win32::MessageBoxAnswer(kMBOk, IDCANCEL), kMBResultNone) << "closed without a button";
}

struct NativeItem
{
  std::wstring text;
  UINT type = 0, state = 0, id = 0;
  HMENU submenu = nullptr;
};

NativeItem Item(HMENU menu, int pos)
{
  wchar_t buf[128] = {};
  MENUITEMINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
  info.dwTypeData = buf;
  info.cch = 127;
  EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info));
  NativeItem item;
  item.text = buf;
  item.type = info.fType;
  item.state = info.fState;
  item.id = info.wID;
  item.submenu = info.hSubMenu;
  return item;
}

TEST(WinMenus, BuiltFromTheModelAndTheChoiceLeadsBackToIt)
{
  IPopupMenu sub;
  sub.SetPrefix(IPopupMenu::kPrefix2);
  sub.AddItem("Low");
  sub.AddItem("Mid");
  sub.AddItem("Rock & Roll");
  IPopupMenu top;
  top.AddItem("Presets", -1, IPopupMenuItem::kTitle);
  top.AddItem("Load", -1, &sub);
  top.AddSeparator();
  top.AddItem("Checked", -1, IPopupMenuItem::kChecked);
  top.AddItem("Disabled", -1, IPopupMenuItem::kDisabled);

  WinPopupMenu native(&top);
  HMENU menu = static_cast<HMENU>(native.Handle());
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 5);
  const NativeItem title = Item(menu, 0);
  EXPECT_EQ(title.text, L"Presets");
  EXPECT_TRUE(title.state & MFS_GRAYED) << "a title is shown, never chosen";
  const NativeItem load = Item(menu, 1);
  ASSERT_NE(load.submenu, nullptr);
  EXPECT_TRUE(Item(menu, 2).type & MFT_SEPARATOR);
  EXPECT_TRUE(Item(menu, 3).state & MFS_CHECKED);
  EXPECT_FALSE(Item(menu, 3).state & MFS_GRAYED);
  EXPECT_TRUE(Item(menu, 4).state & MFS_GRAYED);

  ASSERT_EQ(GetMenuItemCount(load.submenu), 3);
  EXPECT_EQ(Item(load.submenu, 0).text, L"01: Low");
  // "&" would be read as a mnemonic and vanish.
  const NativeItem third = Item(load.submenu, 2);
  EXPECT_EQ(third.text, L"03: Rock && Roll");

  // Picking the third entry of the submenu returns the submenu with index 2.
  IPopupMenu* chosen = native.Choose(third.id);
  ASSERT_EQ(chosen, &sub);
  EXPECT_EQ(sub.GetChosenItemIdx(), 2);
  EXPECT_EQ(top.GetChosenItemIdx(), -1);
  EXPECT_EQ(native.Choose(Item(menu, 3).id), &top);
  EXPECT_EQ(top.GetChosenItemIdx(), 3);
  // Dismissed (TrackPopupMenuEx gives 0), or an id the menu never gave out.
  EXPECT_EQ(native.Choose(0), nullptr);
  EXPECT_EQ(native.Choose(99), nullptr);
}

} // namespace
