// The parts of the X11 layer that need no server: input mapping, the text field's filter, menu
// navigation and the desktop programs' answers.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "framework/gui/IPopupMenu.h"
#include "framework/platform/x11/DesktopScale.h"
#include "framework/platform/x11/DesktopTools.h"
#include "framework/platform/x11/TextFieldModel.h"
#include "framework/platform/x11/X11Input.h"
#include "framework/platform/x11/X11PopupMenu.h"
#include "tests/framework/platform/x11/TestMenus.h"

#include <X11/X.h>
#include <X11/keysym.h>

namespace
{

TEST(X11Resources, XftDpiGivesTheScaleAt96ToOne)
{
  const std::pair<const char*, float> cases[] = {
      {"Xft.dpi:\t144\n", 1.5f},
      {"Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n", 2.0f},
      {"  Xft.dpi :  120.0  \r\n", 1.25f},
      {"Xft.dpi:\t96", 1.0f},
      {"Xft.dpi:\t72\n", 0.75f},
      {"Xft.dpi:\t144\nXft.dpi:\t288\n", 3.0f}, // the later line holds, as in xrdb
      {"Xft.dpi:\t144\nXft.dpi:\tlarge\n", 1.5f},
      {"", 0.0f},
      {"Xcursor.size:\t48\n", 0.0f},
      {"Xft.dpiX:\t144\n", 0.0f},
      {"Xft.dpi\t144\n", 0.0f},
      {"Xft.dpi:\t144dpi\n", 0.0f},
      {"Xft.dpi:\t\n", 0.0f},
      {"Xft.dpi:\t-96\n", 0.0f},
      {"Xft.dpi:\t0\n", 0.0f},
      {"Xft.dpi:\tnan\n", 0.0f},
      {"Xft.dpi:\tinf\n", 0.0f},
      {"XXft.dpi:\t144\n", 0.0f},
  };
  for (const auto& c : cases)
    EXPECT_FLOAT_EQ(c.second, x11::ScaleFromResources(c.first)) << c.first;
  EXPECT_EQ(0.0f, x11::ScaleFromResources(nullptr));
}

TEST(X11Input, ButtonsAndModifiers)
{
  struct Case
  {
    unsigned state, button;
    IMouseMod expected;
  } cases[] = {
      {0, 1, IMouseMod(true, false)},
      {0, 3, IMouseMod(false, true)},
      // Super-click is a left and right press at once; Control-click stays a left press.
      {Mod4Mask, 1, IMouseMod(true, true)},
      {ControlMask, 1, IMouseMod(true, false, false, true)},
      {ShiftMask | Mod1Mask, 3, IMouseMod(false, true, true, false, true)},
      {ShiftMask, 0, IMouseMod(true, false, true)}, // motion and wheel count as left
  };
  for (const Case& c : cases)
  {
    const IMouseMod m = x11input::MouseMod(c.state, c.button);
    EXPECT_EQ(c.expected.L, m.L) << c.state << " " << c.button;
    EXPECT_EQ(c.expected.R, m.R) << c.state << " " << c.button;
    EXPECT_EQ(c.expected.S, m.S);
    EXPECT_EQ(c.expected.C, m.C);
    EXPECT_EQ(c.expected.A, m.A);
  }
  EXPECT_EQ(1, x11input::WheelDelta(4));
  EXPECT_EQ(-1, x11input::WheelDelta(5));
  EXPECT_EQ(0, x11input::WheelDelta(1));
}

TEST(X11Input, KeyCodes)
{
  EXPECT_EQ(0, x11input::EngineKeyCode(XK_space));
  EXPECT_EQ(1, x11input::EngineKeyCode(XK_Up));
  EXPECT_EQ(4, x11input::EngineKeyCode(XK_Right));
  EXPECT_EQ(5, x11input::EngineKeyCode(XK_0));
  EXPECT_EQ(14, x11input::EngineKeyCode(XK_9));
  EXPECT_EQ(31, x11input::EngineKeyCode(XK_q));
  EXPECT_EQ(31, x11input::EngineKeyCode(XK_Q));
  EXPECT_EQ(-1, x11input::EngineKeyCode(XK_Return));
  EXPECT_EQ(-1, x11input::EngineKeyCode(XK_exclam));

  // Forwarded keys: named keys type nothing; Latin-1 characters are their own symbol.
  const std::pair<IForwardedKey::EVirtual, unsigned long> named[] = {
      {IForwardedKey::kBack, XK_BackSpace}, {IForwardedKey::kTab, XK_Tab},
      {IForwardedKey::kReturn, XK_Return},  {IForwardedKey::kEnter, XK_KP_Enter},
      {IForwardedKey::kEscape, XK_Escape},  {IForwardedKey::kSpace, XK_space},
      {IForwardedKey::kEnd, XK_End},        {IForwardedKey::kHome, XK_Home},
      {IForwardedKey::kLeft, XK_Left},      {IForwardedKey::kUp, XK_Up},
      {IForwardedKey::kRight, XK_Right},    {IForwardedKey::kDown, XK_Down},
      {IForwardedKey::kDelete, XK_Delete}};
  unsigned long keysym = 0;
  std::string text = "stale";
  for (const auto& n : named)
  {
    IForwardedKey key;
    key.mVirtual = n.first;
    ASSERT_TRUE(x11input::ForwardedKeySym(key, &keysym, &text));
    EXPECT_EQ(n.second, keysym) << n.first;
    EXPECT_EQ("", text);
  }
  IForwardedKey e;
  e.mChar = U'\u00E9';
  ASSERT_TRUE(x11input::ForwardedKeySym(e, &keysym, &text));
  EXPECT_EQ(static_cast<unsigned long>(XK_eacute), keysym);
  EXPECT_EQ("\xC3\xA9", text);
  e.mChar = U'7';
  ASSERT_TRUE(x11input::ForwardedKeySym(e, &keysym, &text));
  EXPECT_EQ(5 + 7, x11input::EngineKeyCode(keysym));
  EXPECT_EQ("7", text);
  e.mChar = U'\u20AC'; // beyond Latin-1: left to the host
  EXPECT_FALSE(x11input::ForwardedKeySym(e, &keysym, &text));
  e.mChar = 0;
  EXPECT_FALSE(x11input::ForwardedKeySym(e, &keysym, &text));
}

TEST(X11Input, DoubleClickNeedsTimeDistanceAndButton)
{
  x11input::ClickCounter clicks;
  EXPECT_EQ(1, clicks.Press(1, 100, 100, 1000));
  EXPECT_EQ(2, clicks.Press(1, 104, 96, 1400));
  EXPECT_EQ(3, clicks.Press(1, 104, 96, 1500));
  EXPECT_EQ(1, clicks.Press(1, 104, 96, 1901)); // too late
  EXPECT_EQ(1, clicks.Press(1, 109, 96, 1950)); // too far
  EXPECT_EQ(1, clicks.Press(3, 109, 96, 2000)); // another button
}

TEST(TextField, FilterAndLengthRefuseWholeEdits)
{
  TextFieldModel field;
  field.Start("12.50", "0123456789.-+", 7);
  // The opening text is selected: the first key replaces it.
  EXPECT_TRUE(field.Insert("3"));
  EXPECT_EQ("3", field.Text());
  EXPECT_FALSE(field.Insert("a"));
  EXPECT_TRUE(field.Insert(".14159"));
  EXPECT_EQ("3.14159", field.Text());
  EXPECT_FALSE(field.Insert("2")); // an eighth character
  field.Backspace();
  EXPECT_FALSE(field.Insert("2x")); // a paste with one bad character changes nothing
  EXPECT_TRUE(field.Insert("2"));
  EXPECT_EQ("3.14152", field.Text());
  // A selection counts as replaced when the length is checked.
  field.Home(false);
  field.Right(true);
  EXPECT_TRUE(field.Insert("-"));
  EXPECT_EQ("-.14152", field.Text());

  TextFieldModel name;
  name.Start("Preset", nullptr, 0);
  name.End(false);
  EXPECT_TRUE(name.Insert(" Ü"));
  name.Backspace(); // one character, two bytes
  EXPECT_EQ("Preset ", name.Text());
  EXPECT_FALSE(name.Insert("\t"));
}

TEST(PopupMenuNavigator, KeysSkipWhatCannotBeChosen)
{
  xtest::TestMenus m;
  PopupMenuNavigator nav(&m.top);
  using N = PopupMenuNavigator;
  EXPECT_EQ(N::kContinue, nav.Key(N::kKeyDown));
  EXPECT_EQ(0, nav.HighlightAt(0));
  nav.Key(N::kKeyDown);
  EXPECT_EQ(3, nav.HighlightAt(0)); // past the separator and the disabled entry
  nav.Key(N::kKeyDown);
  EXPECT_EQ(0, nav.HighlightAt(0)); // and round
  nav.Key(N::kKeyUp);
  EXPECT_EQ(N::kContinue, nav.Key(N::kKeyEnter)); // opens the submenu, first entry lit
  ASSERT_EQ(2, nav.Depth());
  EXPECT_EQ(0, nav.HighlightAt(1));
  nav.Key(N::kKeyLeft);
  EXPECT_EQ(1, nav.Depth());
  nav.Key(N::kKeyRight);
  nav.Key(N::kKeyDown);
  nav.Key(N::kKeyDown);
  ASSERT_EQ(N::kChosen, nav.Key(N::kKeyEnter));
  // The menu holding the entry comes back, its chosen index set.
  EXPECT_EQ(&m.sub, nav.Chosen());
  EXPECT_EQ(2, m.sub.GetChosenItemIdx());
  EXPECT_EQ(-1, m.top.GetChosenItemIdx());
}

TEST(PopupMenuNavigator, PointerOpensSubmenusAndEscapeDismisses)
{
  xtest::TestMenus m;
  PopupMenuNavigator nav(&m.top);
  using N = PopupMenuNavigator;
  EXPECT_EQ(N::kContinue, nav.Click(0, 2)); // disabled
  EXPECT_EQ(N::kContinue, nav.Click(0, 1)); // separator
  nav.Hover(0, 3);
  ASSERT_EQ(2, nav.Depth());
  nav.Hover(1, 1);
  nav.Hover(0, 3); // back on the parent entry: the submenu stays
  EXPECT_EQ(2, nav.Depth());
  nav.Hover(0, 0);
  EXPECT_EQ(1, nav.Depth());
  EXPECT_EQ(N::kDismissed, nav.Key(N::kKeyEscape));
  EXPECT_EQ(nullptr, nav.Chosen());
  EXPECT_EQ(N::kChosen, nav.Click(0, 0));
  EXPECT_EQ(&m.top, nav.Chosen());
  EXPECT_EQ(0, m.top.GetChosenItemIdx());
}

TEST(DesktopTools, MissingOrFailingProgramsAreCancels)
{
  const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", "/nonexistent", 1);
  EXPECT_EQ(desktop::DialogTool::kNone, desktop::FindDialogTool());
  const desktop::RunResult missing = desktop::Run({"zenity", "--file-selection"});
  EXPECT_FALSE(missing.started);
  EXPECT_FALSE(desktop::Launch({"xdg-open", "http://example.invalid"}));
  setenv("PATH", savedPath.c_str(), 1);

  desktop::FilePrompt save;
  save.save = true;
  save.extensions = {"fxp", "fxb"};
  EXPECT_EQ("", desktop::FilePromptAnswer(save, {true, 1, "/tmp/x.fxp\n"}));
  EXPECT_EQ("", desktop::FilePromptAnswer(save, {true, 0, "relative.fxp\n"}));
  EXPECT_EQ("", desktop::FilePromptAnswer(save, {false, -1, ""}));
  EXPECT_EQ("/tmp/My Bank.fxb", desktop::FilePromptAnswer(save, {true, 0, "/tmp/My Bank.fxb\n"}));
  EXPECT_EQ("/tmp/a.fxp", desktop::FilePromptAnswer(save, {true, 0, "/tmp/a\n"}));

  using T = desktop::DialogTool;
  EXPECT_EQ(0, desktop::MessageBoxAnswer(T::kZenity, 4, {false, -1, ""}));
  EXPECT_EQ(1, desktop::MessageBoxAnswer(T::kZenity, 4, {true, 0, ""}));
  EXPECT_EQ(7, desktop::MessageBoxAnswer(T::kZenity, 4, {true, 1, ""}));
  EXPECT_EQ(7, desktop::MessageBoxAnswer(T::kZenity, 3, {true, 1, "No\n"}));
  EXPECT_EQ(2, desktop::MessageBoxAnswer(T::kZenity, 3, {true, 1, ""}));
  EXPECT_EQ(2, desktop::MessageBoxAnswer(T::kKDialog, 3, {true, 2, ""}));
  EXPECT_EQ(0, desktop::MessageBoxAnswer(T::kZenity, 0, {true, 1, ""}));
}

} // namespace
