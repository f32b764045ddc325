// The X11 editor window on a private Xvfb: its registration with a host's run loop, surviving a
// host that destroys the window under it, popup menus driven by real keys, and the desktop
// programs behind dialogs and links (stand-ins on PATH record what they were given).

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "framework/gui/IControl.h"
#include "framework/gui/IPopupMenu.h"
#include "framework/platform/x11/IGraphicsLinux.h"
#include "tests/framework/platform/x11/TestMenus.h"
#include "tests/framework/platform/x11/XvfbServer.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace
{

// A host run loop the test turns by hand, on its own thread (which is then the GUI thread).
class ManualRunLoop : public IHostRunLoop
{
public:
  bool RegisterTimer(ITimer* timer, int periodMs) override
  {
    mTimers.push_back({timer, periodMs});
    return true;
  }
  void UnregisterTimer(ITimer* timer) override
  {
    for (auto it = mTimers.begin(); it != mTimers.end(); ++it)
      if (it->first == timer)
      {
        mTimers.erase(it);
        return;
      }
  }
  bool RegisterFile(IFileHandler* handler, int fd) override
  {
    mFiles.push_back({handler, fd});
    return true;
  }
  void UnregisterFile(IFileHandler* handler) override
  {
    for (auto it = mFiles.begin(); it != mFiles.end(); ++it)
      if (it->first == handler)
      {
        mFiles.erase(it);
        return;
      }
  }

  // One turn: every handler and every timer.
  void Turn()
  {
    for (auto& f : std::vector<std::pair<IFileHandler*, int>>(mFiles))
      f.first->OnRunLoopFile(f.second);
    for (auto& t : std::vector<std::pair<ITimer*, int>>(mTimers))
      t.first->OnRunLoopTimer();
  }

  std::vector<std::pair<IFileHandler*, int>> mFiles;
  std::vector<std::pair<ITimer*, int>> mTimers;
};

// A control that records the engine keys it is offered (taking only space, key code 0) and what
// a text field commits to it; a delay makes it slow to answer.
class KeyControl : public IControl
{
public:
  KeyControl() : IControl(nullptr, IRECT(0, 0, 1, 1)) {}
  bool Draw(IGraphics*) override { return true; }
  bool OnKeyDown(int, int, int key) override
  {
    std::this_thread::sleep_for(std::chrono::milliseconds(mDelayMs));
    mKeys.push_back(key);
    return key == 0;
  }
  void TextFromTextEntry(const char* text) override { mCommitted.push_back(text); }

  int mDelayMs = 0;
  std::vector<int> mKeys;
  std::vector<std::string> mCommitted;
};

IForwardedKey Named(IForwardedKey::EVirtual v)
{
  IForwardedKey k;
  k.mVirtual = v;
  return k;
}

IForwardedKey Typed(char32_t c)
{
  IForwardedKey k;
  k.mChar = c;
  return k;
}

// The editor's text field window: the child of the editor window.
Window FieldWindow(Display* d, Window editor)
{
  Window root = 0, parent = 0, *children = nullptr;
  unsigned n = 0;
  if (!XQueryTree(d, editor, &root, &parent, &children, &n)) return 0;
  const Window field = n ? children[n - 1] : 0;
  if (children) XFree(children);
  return field;
}

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class X11Editor : public ::testing::Test
{
protected:
  void SetUp() override
  {
    if (!mServer.Start()) GTEST_SKIP() << "no Xvfb";
    mGraphics.reset(new IGraphicsLinux(nullptr, 200, 100, 0));
    mGraphics->PrepDraw();
    mGraphics->SetHostRunLoop(&mLoop);
  }
  void TearDown() override
  {
    if (mGraphics) mGraphics->CloseWindow();
  }

  xtest::XvfbServer mServer;
  ManualRunLoop mLoop;
  std::unique_ptr<IGraphicsLinux> mGraphics;
};

// The desktop's Xft.dpi sets the scale of an editor whose host gives none; the host's wins.
TEST_F(X11Editor, XftDpiIsTheScaleUntilTheHostGivesOne)
{
  auto setDpi = [](const char* resources)
  {
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(nullptr, d);
    const Atom property = XInternAtom(d, "RESOURCE_MANAGER", False);
    if (resources)
      XChangeProperty(d, DefaultRootWindow(d), property, XA_STRING, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(resources),
                      static_cast<int>(std::strlen(resources)));
    else
      XDeleteProperty(d, DefaultRootWindow(d), property);
    XCloseDisplay(d);
  };
  auto deviceSize = [this]
  {
    int w = 0, h = 0;
    mGraphics->GetDeviceSize(&w, &h);
    return std::to_string(w) + "x" + std::to_string(h);
  };

  mGraphics->PrepareView(); // no resources at all
  EXPECT_EQ(1.0f, mGraphics->GetContentScale());
  setDpi("Xft.antialias:\t1\nXft.dpi:\t144\n");
  EXPECT_EQ(1.0f, mGraphics->GetContentScale()); // read when a view is prepared
  mGraphics->PrepareView();
  EXPECT_EQ(1.5f, mGraphics->GetContentScale());
  setDpi("Xft.dpi:\t192\n");
  mGraphics->PrepareView();
  EXPECT_EQ(2.0f, mGraphics->GetContentScale());
  EXPECT_EQ("400x200", deviceSize());
  // The window opens at that size.
  ASSERT_NE(nullptr, mGraphics->OpenWindow(nullptr));
  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(nullptr, d);
  XWindowAttributes a{};
  ASSERT_TRUE(XGetWindowAttributes(d, reinterpret_cast<Window>(mGraphics->GetWindow()), &a));
  EXPECT_EQ(400, a.width);
  EXPECT_EQ(200, a.height);
  XCloseDisplay(d);
  mGraphics->CloseWindow();

  mGraphics->SetContentScale(1.0f);
  mGraphics->PrepareView();
  EXPECT_EQ(1.0f, mGraphics->GetContentScale());
  EXPECT_EQ("200x100", deviceSize());

  // Without the resource another editor gets 1; so does one that asks for less.
  IGraphicsLinux other(nullptr, 200, 100, 0);
  setDpi("Xft.dpi:\t72\n");
  other.PrepareView();
  EXPECT_EQ(1.0f, other.GetContentScale());
  setDpi(nullptr);
  other.PrepareView();
  EXPECT_EQ(1.0f, other.GetContentScale());
}

TEST_F(X11Editor, RegistersWithTheRunLoopWhileOpen)
{
  ASSERT_NE(nullptr, mGraphics->OpenWindow(nullptr));
  ASSERT_EQ(1u, mLoop.mTimers.size());
  ASSERT_EQ(1u, mLoop.mFiles.size());
  EXPECT_EQ(40, mLoop.mTimers[0].second); // 25 frames a second
  EXPECT_FALSE(mGraphics->RunsOwnThread());
  mLoop.Turn();

  mGraphics->CloseWindow();
  EXPECT_TRUE(mLoop.mTimers.empty());
  EXPECT_TRUE(mLoop.mFiles.empty());
  EXPECT_EQ(nullptr, mGraphics->GetWindow());

  // Opening again while open first closes the old window and its registrations.
  ASSERT_NE(nullptr, mGraphics->OpenWindow(nullptr));
  ASSERT_NE(nullptr, mGraphics->OpenWindow(nullptr));
  EXPECT_EQ(1u, mLoop.mTimers.size());
  EXPECT_EQ(1u, mLoop.mFiles.size());
}

TEST_F(X11Editor, ForwardedKeysAnswerWhatTheEngineAnsweredInEveryMode)
{
  auto* catcher = new KeyControl;
  mGraphics->AttachKeyCatcher(catcher);
  for (const bool ownThread : {false, true})
  {
    SCOPED_TRACE(ownThread ? "own thread" : "host run loop");
    catcher->mKeys.clear();
    mGraphics->SetHostRunLoop(ownThread ? nullptr : &mLoop);
    ASSERT_NE(nullptr, mGraphics->OpenWindow(nullptr));
    ASSERT_EQ(ownThread, mGraphics->RunsOwnThread());
    EXPECT_TRUE(mGraphics->OnForwardedKey(Named(IForwardedKey::kSpace)));
    EXPECT_FALSE(mGraphics->OnForwardedKey(Typed(U'q'))); // offered, not taken: the host's
    EXPECT_FALSE(mGraphics->OnForwardedKey(Named(IForwardedKey::kReturn))); // no engine key
    EXPECT_EQ((std::vector<int>{0, 31}), catcher->mKeys);
    mGraphics->CloseWindow();
  }

  // A window busy with a key does not hold the host: the key it is acting on counts as taken; one
  // still waiting when the wait is over goes back to the host and never reaches the engine.
  mGraphics->SetHostRunLoop(nullptr);
  ASSERT_NE(nullptr, mGraphics->OpenWindow(nullptr));
  catcher->mKeys.clear();
  catcher->mDelayMs = 600;
  EXPECT_TRUE(mGraphics->OnForwardedKey(Named(IForwardedKey::kSpace)));
  EXPECT_FALSE(mGraphics->OnForwardedKey(Typed(U'q')));
  mGraphics->CloseWindow(); // joins the thread, which finishes the slow key first
  EXPECT_EQ((std::vector<int>{0}), catcher->mKeys);
}

// A zoom chosen in the window: the host is asked from its own run loop; a host without one can
// only be called from its own thread, so the window's thread takes its no for an answer.
TEST_F(X11Editor, AZoomAsksTheHostOnlyFromTheHostsThread)
{
  struct ViewHost : IPlatformViewHost
  {
    bool RequestDeviceSize(int w, int h) override
    {
      mAsked.push_back(std::to_string(w) + "x" + std::to_string(h));
      return true;
    }
    std::vector<std::string> mAsked;
  } host;
  // Space zooms to 200 %, any other key back to 100 %, as a menu in the window would.
  struct ZoomKey : IControl
  {
    explicit ZoomKey(IGraphics* gui) : IControl(nullptr, IRECT(0, 0, 1, 1)), mGui(gui) {}
    bool Draw(IGraphics*) override { return true; }
    bool OnKeyDown(int, int, int key) override
    {
      mAnswers.push_back(mGui->SetZoom(key == 0 ? 2.0f : 1.0f));
      return true;
    }
    IGraphics* mGui;
    std::vector<bool> mAnswers;
  };
  auto* key = new ZoomKey(mGraphics.get());
  mGraphics->AttachKeyCatcher(key);
  mGraphics->SetViewHost(&host);
  for (const bool ownThread : {false, true})
  {
    SCOPED_TRACE(ownThread ? "own thread" : "host run loop");
    mGraphics->SetHostRunLoop(ownThread ? nullptr : &mLoop);
    ASSERT_NE(nullptr, mGraphics->OpenWindow(nullptr));
    EXPECT_TRUE(mGraphics->OnForwardedKey(ownThread ? Typed(U'q') : Named(IForwardedKey::kSpace)));
    mGraphics->CloseWindow();
  }
  EXPECT_EQ((std::vector<bool>{true, false}), key->mAnswers);
  EXPECT_EQ(std::vector<std::string>{"400x200"}, host.mAsked);
  EXPECT_EQ(2.0f, mGraphics->GetZoom());
  mGraphics->SetViewHost(nullptr);
}

TEST_F(X11Editor, TextFieldCommitsOnFocusLossAndOnTheWheel)
{
  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(nullptr, d);
  KeyControl control;
  IText style;
  IRECT where(10, 10, 90, 30);
  ASSERT_NE(nullptr, mGraphics->OpenWindow(nullptr));
  const Window editor = reinterpret_cast<Window>(mGraphics->GetWindow());
  auto turnUntilCommitted = [&](size_t n)
  {
    for (int i = 0; i < 200 && control.mCommitted.size() < n; ++i)
    {
      mLoop.Turn();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  };

  // The keyboard goes elsewhere: what the field holds is committed (a forwarded key typed it).
  mGraphics->CreateTextEntry(&control, &style, &where, "12.5", nullptr);
  mLoop.Turn();
  const Window field = FieldWindow(d, editor);
  ASSERT_NE(0u, field);
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(d, &focus, &revert);
  ASSERT_EQ(field, focus);
  EXPECT_TRUE(mGraphics->OnForwardedKey(Typed(U'7')));
  XSetInputFocus(d, PointerRoot, RevertToPointerRoot, CurrentTime);
  XSync(d, False);
  turnUntilCommitted(1);
  EXPECT_EQ((std::vector<std::string>{"7"}), control.mCommitted);

  // A wheel step over the field commits it too.
  mGraphics->CreateTextEntry(&control, &style, &where, "3", nullptr);
  mLoop.Turn();
  XEvent wheel{};
  wheel.xbutton.type = ButtonPress;
  wheel.xbutton.window = FieldWindow(d, editor);
  wheel.xbutton.root = DefaultRootWindow(d);
  wheel.xbutton.button = Button4;
  wheel.xbutton.x = wheel.xbutton.y = 5;
  wheel.xbutton.same_screen = True;
  ASSERT_NE(0u, wheel.xbutton.window);
  XSendEvent(d, wheel.xbutton.window, False, ButtonPressMask, &wheel);
  XSync(d, False);
  turnUntilCommitted(2);
  EXPECT_EQ((std::vector<std::string>{"7", "3"}), control.mCommitted);
  mGraphics->CloseWindow();
  XCloseDisplay(d);
}

// A filled control that records where presses reach it.
class PressControl : public IControl
{
public:
  explicit PressControl(IRECT r) : IControl(nullptr, r) {}
  bool Draw(IGraphics* g) override { return g->FillIRect(&COLOR_RED, &mRECT); }
  void OnMouseDown(int x, int y, IMouseMod*) override { mPresses.push_back({x, y}); }
  void OnMouseDblClick(int x, int y, IMouseMod*) override { mPresses.push_back({x, y}); }
  std::vector<std::pair<int, int>> mPresses;
};

TEST_F(X11Editor, FollowsTheScaleWhileOpenAndTakesPressesInLogicalPixels)
{
  Display* d = XOpenDisplay(nullptr);
  ASSERT_NE(nullptr, d);
  auto* control = new PressControl(IRECT(50, 20, 150, 80));
  mGraphics->AttachControl(control);
  mGraphics->SetContentScale(1.5f);
  ASSERT_NE(nullptr, mGraphics->OpenWindow(nullptr));
  const Window editor = reinterpret_cast<Window>(mGraphics->GetWindow());
  auto size = [&]
  {
    XWindowAttributes a{};
    XGetWindowAttributes(d, editor, &a);
    return std::to_string(a.width) + "x" + std::to_string(a.height);
  };
  Time time = 0;
  // A press and release at a device position of the window; what the control saw, if anything.
  auto press = [&](int x, int y) -> std::pair<int, int>
  {
    const size_t before = control->mPresses.size();
    for (const int type : {ButtonPress, ButtonRelease})
    {
      XEvent ev{};
      ev.xbutton.type = type;
      ev.xbutton.window = editor;
      ev.xbutton.root = DefaultRootWindow(d);
      ev.xbutton.button = Button1;
      ev.xbutton.x = x;
      ev.xbutton.y = y;
      ev.xbutton.time = time += 1000; // never a double click
      ev.xbutton.same_screen = True;
      XSendEvent(d, editor, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &ev);
    }
    XSync(d, False);
    for (int i = 0; i < 100 && control->mPresses.size() == before; ++i)
    {
      mLoop.Turn();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return control->mPresses.size() == before ? std::make_pair(-1, -1) : control->mPresses.back();
  };
  // The colour the window shows at a device position.
  auto shown = [&](int x, int y)
  {
    XImage* image = XGetImage(d, editor, x, y, 1, 1, AllPlanes, ZPixmap);
    const unsigned long p = image ? XGetPixel(image, 0, 0) & 0xFFFFFF : 0;
    if (image) XDestroyImage(image);
    return p;
  };

  mLoop.Turn();
  EXPECT_EQ("300x150", size());
  EXPECT_EQ(std::make_pair(50, 20), press(75, 30));
  EXPECT_EQ(std::make_pair(149, 79), press(224, 119));
  EXPECT_EQ(std::make_pair(-1, -1), press(74, 29)); // logical (49, 19): outside
  EXPECT_EQ(0xFF0000u, shown(75, 30));

  // The host changes the scale with the window open: at the next tick it has the new size,
  // shows the whole editor at it and reads presses by it.
  mGraphics->SetContentScale(2.0f);
  mLoop.Turn();
  EXPECT_EQ("400x200", size());
  EXPECT_EQ(std::make_pair(50, 20), press(100, 40));
  EXPECT_EQ(std::make_pair(149, 79), press(299, 159));
  EXPECT_EQ(0xFF0000u, shown(299, 159));
  EXPECT_EQ(0u, shown(300, 160));
  mGraphics->CloseWindow();
  XCloseDisplay(d);
}

TEST_F(X11Editor, SurvivesAHostThatDestroysItsWindowFirst)
{
  Display* host = XOpenDisplay(nullptr);
  ASSERT_NE(nullptr, host);
  const Window parent = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, 200, 100, 0, 0, 0);
  XMapWindow(host, parent);
  XSync(host, False);
  ASSERT_NE(nullptr, mGraphics->OpenWindow(reinterpret_cast<void*>(parent)));
  mLoop.Turn();
  XDestroyWindow(host, parent);
  XSync(host, False);
  // Drawing into and destroying a window that is gone are X errors, which must not end us.
  mGraphics->SetAllControlsDirty();
  IRECT all(0, 0, 200, 100);
  mGraphics->DrawScreen(&all);
  mLoop.Turn();
  mGraphics->CloseWindow();
  XCloseDisplay(host);
  // A parent that never existed: no window, and still no crash.
  EXPECT_EQ(nullptr, mGraphics->OpenWindow(reinterpret_cast<void*>(0x7ffffff0ul)));
}

TEST_F(X11Editor, PopupMenuByKeys)
{
  if (!xtest::OnPath("xdotool")) GTEST_SKIP() << "no xdotool";
  ASSERT_NE(nullptr, mGraphics->OpenWindow(nullptr));
  mLoop.Turn();
  xtest::TestMenus menus;
  IPopupMenu &top = menus.top, &sub = menus.sub;
  IRECT where(10, 10, 60, 30);

  // The keys arrive while the menu runs: xdotool waits a moment before typing.
  const pid_t keys = xtest::Spawn(
      {"xdotool", "sleep", "0.4", "key", "Down", "Down", "Right", "Down", "Down", "Return"});
  IPopupMenu* chosen = mGraphics->CreateIPopupMenu(&top, &where);
  waitpid(keys, nullptr, 0);
  EXPECT_EQ(&sub, chosen);
  EXPECT_EQ(2, sub.GetChosenItemIdx());

  sub.SetChosenItemIdx(-1);
  const pid_t escape = xtest::Spawn({"xdotool", "sleep", "0.4", "key", "Down", "Escape"});
  EXPECT_EQ(nullptr, mGraphics->CreateIPopupMenu(&top, &where));
  waitpid(escape, nullptr, 0);
  EXPECT_EQ(-1, top.GetChosenItemIdx());
  EXPECT_EQ(-1, sub.GetChosenItemIdx());
}

TEST_F(X11Editor, DialogsWithoutToolsOrFailingAreCancels)
{
  xtest::FakeTools tools;
  tools.Use(); // nothing on PATH
  StringBuf name, dir;
  name.Set("My Preset");
  mGraphics->PromptForFile(&name, kFileSave, &dir, "fxp");
  EXPECT_STREQ("", name.Get()); // no window yet

  ASSERT_NE(nullptr, mGraphics->OpenWindow(nullptr));
  name.Set("My Preset");
  mGraphics->PromptForFile(&name, kFileSave, &dir, "fxp");
  EXPECT_STREQ("", name.Get());
  EXPECT_STREQ("~/Desktop", dir.Get());
  EXPECT_EQ(0, mGraphics->ShowMessageBox("text", "caption", kMBYesNo));

  // A dialog program that fails is a cancel too, and whatever text it is given stays text.
  const std::string marker = tools.Dir() + "/touched";
  tools.Add("zenity",
            "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > " + tools.Dir() + "/argv\nexit 1");
  name.Set(("$(touch " + marker + ")").c_str());
  dir.Set("/tmp");
  mGraphics->PromptForFile(&name, kFileOpen, &dir, "fxp fxb");
  EXPECT_STREQ("", name.Get());
  EXPECT_STREQ("/tmp", dir.Get());
  const std::string argv = ReadFile(tools.Dir() + "/argv");
  EXPECT_NE(std::string::npos, argv.find("--filename=/tmp/$(touch " + marker + ")\n")) << argv;
  EXPECT_NE(std::string::npos, argv.find("--file-filter=*.fxp *.fxb\n")) << argv;
  EXPECT_NE(0, access(marker.c_str(), F_OK));

  // A chosen file: its path, and its folder remembered.
  tools.Add("zenity", "echo '/tmp/some dir/bank.fxb'");
  mGraphics->PromptForFile(&name, kFileOpen, &dir, "fxb");
  EXPECT_STREQ("/tmp/some dir/bank.fxb", name.Get());
  EXPECT_STREQ("/tmp/some dir/", dir.Get());
  EXPECT_EQ(1, mGraphics->ShowMessageBox("text", "caption", kMBOk));
}

TEST_F(X11Editor, OpenURLNeverGoesThroughAShell)
{
  xtest::FakeTools tools;
  tools.Use();
  const std::string marker = tools.Dir() + "/touched";
  EXPECT_FALSE(mGraphics->OpenURL("https://example.invalid/")); // no xdg-open

  tools.Add("xdg-open",
            "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > " + tools.Dir() + "/argv");
  const std::string url = "https://example.invalid/a;touch " + marker + "&b=`touch " + marker + "`";
  EXPECT_TRUE(mGraphics->OpenURL(url.c_str()));
  EXPECT_EQ(url + "\n", ReadFile(tools.Dir() + "/argv"));
  EXPECT_TRUE(mGraphics->OpenURL("/tmp/Tarvo Manual.pdf"));
  EXPECT_EQ("/tmp/Tarvo Manual.pdf\n", ReadFile(tools.Dir() + "/argv"));
  EXPECT_NE(0, access(marker.c_str(), F_OK));
}

} // namespace
