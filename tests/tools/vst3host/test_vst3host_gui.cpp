// The product's editor in `vst3host gui` on a private Xvfb, worked with real mouse and key events
// (xdotool): what reaches the host (beginEdit, performEdit, endEdit, context-menu requests) and
// what ends in the saved state. The host reads its commands from our pipe and prints what it sees.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/framework/platform/x11/XvfbServer.h"

namespace
{

// Band 1's gain knob: its picture, and the value text under it.
constexpr int kKnobX = 84, kKnobY = 100;
constexpr int kValueTextX = 84, kValueTextY = 136;
// The preset display that opens the preset list.
constexpr int kPresetX = 500, kPresetY = 15;

class GuiHost
{
public:
  ~GuiHost() { Stop(); }

  bool Start(std::vector<std::string> extra = {})
  {
    int out[2], in[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(in, O_CLOEXEC) != 0) return false;
    QuietLeakCheckInChild();
    std::vector<std::string> argv = {TARVO_VST3HOST, "gui", TARVO_PRODUCT_BUNDLE, "--script", "-"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    mPid = xtest::Spawn(argv, out[1], in[0]);
    close(out[1]);
    close(in[0]);
    mIn = in[1];
    mOut = out[0];
    mReader = std::thread([this] { Read(); });
    return mPid > 0 && !WaitFor("gui: ready", 20000).empty();
  }

  void Send(const std::string& line)
  {
    const std::string text = line + "\n";
    if (write(mIn, text.data(), text.size()) < 0) ADD_FAILURE() << "host gone";
  }

  // The first line from the mark on that starts with prefix ("" on time-out); at receives its
  // position counted from the mark.
  std::string WaitFor(const std::string& prefix, int ms = 10000, size_t* at = nullptr)
  {
    std::unique_lock<std::mutex> lock(mMutex);
    size_t i = mMark;
    std::string found;
    mChanged.wait_for(lock, std::chrono::milliseconds(ms),
                      [&]
                      {
                        for (; i < mLines.size(); ++i)
                          if (mLines[i].compare(0, prefix.size(), prefix) == 0)
                          {
                            found = mLines[i];
                            return true;
                          }
                        return mDone;
                      });
    if (at) *at = i - mMark;
    return found;
  }

  // Runs a command and returns its answer line (a round trip, so what came before is in).
  std::string Ask(const std::string& command, const std::string& answerPrefix)
  {
    Send(command);
    return WaitFor(answerPrefix);
  }

  // Lines from now on (or from line `from` on) are what WaitFor and Since look at.
  void Mark(size_t from = SIZE_MAX)
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mMark = std::min(from, mLines.size());
  }
  std::vector<std::string> Since()
  {
    std::lock_guard<std::mutex> lock(mMutex);
    return std::vector<std::string>(mLines.begin() + static_cast<long>(mMark), mLines.end());
  }

  // Quits and returns the exit status (-1 when it had to be killed).
  int Stop()
  {
    if (mPid <= 0) return -1;
    Send("quit");
    int status = -1;
    for (int i = 0; i < 100 && waitpid(mPid, &status, WNOHANG) == 0; ++i)
      usleep(50000);
    if (waitpid(mPid, &status, WNOHANG) == 0)
    {
      kill(mPid, SIGKILL);
      waitpid(mPid, &status, 0);
      status = -1;
    }
    mPid = -1;
    close(mIn);
    if (mReader.joinable()) mReader.join();
    close(mOut);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

private:
  // In the sanitizer build, the leak scan at the host's exit once crashed inside the sanitizer
  // runtime itself (a segfault in its pointer scan, reported as a fatal error and exit status 1),
  // failing a test whose every check had passed. Memory errors are still caught in the host; the
  // X11 platform's leaks are checked in-process by the Xvfb editor tests.
  static void QuietLeakCheckInChild()
  {
    const char* current = std::getenv("ASAN_OPTIONS");
    std::string options = current ? current : "";
    if (options.find("detect_leaks=0") != std::string::npos) return;
    setenv("ASAN_OPTIONS", (options.empty() ? "" : options + ":").append("detect_leaks=0").c_str(),
           1);
  }

  void Read()
  {
    std::string pending;
    char buf[4096];
    ssize_t n;
    while ((n = read(mOut, buf, sizeof buf)) > 0)
    {
      pending.append(buf, static_cast<size_t>(n));
      std::lock_guard<std::mutex> lock(mMutex);
      size_t nl;
      while ((nl = pending.find('\n')) != std::string::npos)
      {
        mLines.push_back(pending.substr(0, nl));
        pending.erase(0, nl + 1);
      }
      mChanged.notify_all();
    }
    std::lock_guard<std::mutex> lock(mMutex);
    mDone = true;
    mChanged.notify_all();
  }

  pid_t mPid = -1;
  int mIn = -1, mOut = -1;
  std::thread mReader;
  std::mutex mMutex;
  std::condition_variable mChanged;
  std::vector<std::string> mLines;
  size_t mMark = 0;
  bool mDone = false;
};

int Xdo(const std::vector<std::string>& args)
{
  std::vector<std::string> argv = {"xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  return xtest::Run(argv);
}

double ValueOf(const std::string& line) // "performEdit ID VALUE" or "param: ID VALUE"
{
  return std::stod(line.substr(line.rfind(' ') + 1));
}

std::vector<double> ReadState(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<double> values(bytes.size() / 8);
  for (size_t i = 0; i < values.size(); ++i)
    std::memcpy(&values[i], bytes.data() + 8 * i, 8);
  return values;
}

class VstHostGui : public ::testing::Test
{
protected:
  void SetUp() override
  {
    if (!mServer.Start(Screen())) GTEST_SKIP() << "no Xvfb";
    if (!xtest::OnPath("xdotool")) GTEST_SKIP() << "no xdotool";
  }

  virtual const char* Screen() const { return "1280x1024x24"; }

  xtest::XvfbServer mServer;
  GuiHost mHost;
};

// A screen that holds the editor at twice its size.
class ScaledVstHostGui : public VstHostGui
{
protected:
  const char* Screen() const override { return "2560x1600x24"; }
};

TEST_F(VstHostGui, KnobDragWheelDoubleClickAndContextMenu)
{
  ASSERT_TRUE(mHost.Start());
  mHost.Mark();
  const std::string k = std::to_string(kKnobX);
  ASSERT_EQ(0, Xdo({"mousemove", k,           std::to_string(kKnobY),
                    "mousedown", "1",         "sleep",
                    "0.05",      "mousemove", k,
                    "95",        "sleep",     "0.05",
                    "mousemove", k,           "88",
                    "sleep",     "0.05",      "mousemove",
                    k,           "78",        "sleep",
                    "0.05",      "mouseup",   "1"}));
  size_t end = 0;
  ASSERT_FALSE(mHost.WaitFor("endEdit 0", 10000, &end).empty());
  std::vector<std::string> lines = mHost.Since();
  lines.resize(end + 1);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ("beginEdit 0", lines.front());
  double last = -1.0;
  for (size_t i = 1; i + 1 < lines.size(); ++i)
  {
    ASSERT_EQ(0u, lines[i].rfind("performEdit 0 ", 0)) << lines[i];
    EXPECT_GE(ValueOf(lines[i]), last) << lines[i];
    last = ValueOf(lines[i]);
  }
  EXPECT_GT(last, 0.55); // dragged up from 0 dB
  const std::string state = std::string(::testing::TempDir()) + "/gui-drag.state";
  ASSERT_FALSE(mHost.Ask("state save " + state, "state: saved").empty());
  const std::vector<double> values = ReadState(state);
  ASSERT_GE(values.size(), 39u);
  EXPECT_NEAR(-18.0 + 36.0 * last, values[0], 0.01);

  // One wheel step: a single change in a gesture of its own, ended after a pause.
  mHost.Mark();
  ASSERT_EQ(0, Xdo({"click", "4"}));
  size_t wheelEnd = 0;
  ASSERT_FALSE(mHost.WaitFor("endEdit 0", 10000, &wheelEnd).empty());
  lines = mHost.Since();
  ASSERT_EQ(2u, wheelEnd);
  EXPECT_EQ("beginEdit 0", lines[0]);
  ASSERT_EQ(0u, lines[1].rfind("performEdit 0 ", 0)) << lines[1];
  EXPECT_GT(ValueOf(lines[1]), last);

  // A double click restores the value the editor opened with.
  mHost.Mark();
  ASSERT_EQ(0, Xdo({"click", "--repeat", "2", "--delay", "80", "1"}));
  EXPECT_FALSE(mHost.WaitFor("performEdit 0 0.500000").empty());

  // The right button belongs to the host: a context-menu request, nothing for the knob.
  ASSERT_FALSE(mHost.Ask("echo before", "echo: before").empty());
  mHost.Mark();
  ASSERT_EQ(0, Xdo({"click", "3"}));
  size_t menuAt = 0;
  ASSERT_FALSE(mHost.WaitFor("contextMenu 0", 10000, &menuAt).empty());
  for (size_t i = 0; i < menuAt; ++i)
    EXPECT_NE(0u, mHost.Since()[i].rfind("beginEdit", 0)) << mHost.Since()[i];
  EXPECT_EQ(0, mHost.Stop());
}

TEST_F(VstHostGui, ValueTextOpensAFilteredField)
{
  ASSERT_TRUE(mHost.Start());
  const std::string x = std::to_string(kValueTextX), y = std::to_string(kValueTextY);
  // Typed into a field of at most 7 characters of a number: the letter and the tail are refused.
  mHost.Mark();
  // (xdotool's type takes the rest of its command line as text: keys go in a command of their own.)
  ASSERT_EQ(0, Xdo({"mousemove", x, y, "click", "1", "sleep", "0.3", "type", "--delay", "20",
                    "12a.3456789"}));
  ASSERT_EQ(0, Xdo({"key", "Return"}));
  const std::string typed = mHost.WaitFor("performEdit 0 ");
  ASSERT_FALSE(typed.empty());
  EXPECT_NEAR((12.3456 + 18.0) / 36.0, ValueOf(typed), 1e-6);

  // Escape leaves the value alone.
  ASSERT_EQ(0, Xdo({"click", "1", "sleep", "0.3", "type", "5"}));
  ASSERT_EQ(0, Xdo({"key", "Escape", "sleep", "0.2"}));
  mHost.Mark();
  EXPECT_NEAR(ValueOf(typed), ValueOf(mHost.Ask("param 0", "param: 0")), 1e-6);
  for (const std::string& line : mHost.Since())
    EXPECT_NE(0u, line.rfind("performEdit", 0)) << line;
  EXPECT_EQ(0, mHost.Stop());
}

TEST_F(VstHostGui, PresetListByKeysAndEscape)
{
  ASSERT_TRUE(mHost.Start());
  const std::string x = std::to_string(kPresetX), y = std::to_string(kPresetY);
  mHost.Mark();
  ASSERT_EQ(0, Xdo({"mousemove", x, y, "click", "1", "sleep", "0.4", "key", "Escape"}));
  EXPECT_EQ(0.5, ValueOf(mHost.Ask("param 0", "param: 0")));
  for (const std::string& line : mHost.Since())
    EXPECT_NE(0u, line.rfind("performEdit", 0)) << line;

  // The second entry ("Electro Master", band 1 at -10 dB): the first Down lights the first entry.
  ASSERT_EQ(0, Xdo({"click", "1", "sleep", "0.4", "key", "Down", "Down", "Return"}));
  ASSERT_FALSE(mHost.WaitFor("performEdit 38 ").empty());
  mHost.Mark();
  EXPECT_NEAR(8.0 / 36.0, ValueOf(mHost.Ask("param 0", "param: 0")), 1e-6);
  EXPECT_EQ(0, mHost.Stop());
}

TEST_F(VstHostGui, ReopeningLeavesNoWindowsOrTimers)
{
  ASSERT_TRUE(mHost.Start());
  // The editor's redraw timer and X connection, and the plug-in's timer for telling the host
  // about program changes.
  EXPECT_EQ("runloop: timers 2 handlers 1", mHost.Ask("runloop", "runloop:"));
  mHost.Send("close");
  mHost.Mark();
  EXPECT_EQ("runloop: timers 0 handlers 0", mHost.Ask("runloop", "runloop:"));
  const std::string before = mHost.Ask("windows", "windows:");
  mHost.Send("open");
  mHost.Mark();
  ASSERT_FALSE(mHost.Ask("reopen 20", "reopen: done").empty());
  EXPECT_EQ("runloop: timers 2 handlers 1", mHost.Ask("runloop", "runloop:"));
  mHost.Send("close");
  mHost.Mark();
  EXPECT_EQ("runloop: timers 0 handlers 0", mHost.Ask("runloop", "runloop:"));
  EXPECT_EQ(before, mHost.Ask("windows", "windows:"));
  mHost.Send("open");
  EXPECT_EQ(0, mHost.Stop());
}

TEST_F(VstHostGui, WithoutRunLoopAndAtDoubleScale)
{
  ASSERT_TRUE(mHost.Start({"--no-run-loop", "--scale", "2"}));
  EXPECT_FALSE(mHost.WaitFor("gui: editor open 2060x872").empty());
  EXPECT_EQ("runloop: timers 0 handlers 0", mHost.Ask("runloop", "runloop:"));
  mHost.Mark();
  const std::string x = std::to_string(2 * kKnobX);
  ASSERT_EQ(0,
            Xdo({"mousemove", x, std::to_string(2 * kKnobY), "mousedown", "1", "sleep", "0.1",
                 "mousemove", x, std::to_string(2 * kKnobY - 20), "sleep", "0.1", "mouseup", "1"}));
  ASSERT_FALSE(mHost.WaitFor("endEdit 0").empty());
  EXPECT_EQ("beginEdit 0", mHost.Since().front());
  EXPECT_GT(ValueOf(mHost.Ask("param 0", "param: 0")), 0.5);
  EXPECT_EQ(0, mHost.Stop());
}

// At scales between whole numbers too: presses and drags at device positions reach the controls
// drawn there, with the values their logical positions give.
TEST_F(ScaledVstHostGui, EditorsTakeClicksAndDragsWhereTheyAreDrawn)
{
  for (const double s : {1.5, 2.0})
  {
    SCOPED_TRACE(s);
    GuiHost host;
    ASSERT_TRUE(host.Start({"--scale", std::to_string(s)}));
    const std::string size =
        std::to_string(std::lround(1030 * s)) + "x" + std::to_string(std::lround(436 * s));
    EXPECT_FALSE(host.WaitFor("gui: editor open " + size).empty());
    // The first device pixel of a logical position.
    auto dev = [s](int v) { return std::to_string(static_cast<int>(std::ceil(v * s))); };

    // Band 1's gain knob dragged up by 20 logical pixels over a few steps: 20 / 71 of the knob's
    // height at gearing 4.
    host.Mark();
    ASSERT_EQ(0, Xdo({"mousemove", dev(kKnobX), dev(kKnobY), "mousedown", "1", "sleep", "0.05",
                      "mousemove", dev(kKnobX), dev(kKnobY - 7), "sleep", "0.05", "mousemove",
                      dev(kKnobX), dev(kKnobY - 20), "sleep", "0.05", "mouseup", "1"}));
    ASSERT_FALSE(host.WaitFor("endEdit 0").empty());
    EXPECT_NEAR(0.5 + 20.0 / 71.0 / 4.0, ValueOf(host.Ask("param 0", "param: 0")), 1e-6);

    // Band 1's bandwidth switch, and the mix fader's track at its middle: the handle (22 wide)
    // centres on the pointer, (913 - 820 - 11) / (186 - 22) = 0.5.
    host.Mark();
    ASSERT_EQ(0, Xdo({"mousemove", dev(84), dev(298), "click", "1", "sleep", "0.1", "mousemove",
                      dev(913), dev(399), "click", "1"}));
    ASSERT_FALSE(host.WaitFor("endEdit 38").empty());
    EXPECT_EQ(1.0, ValueOf(host.Ask("param 16", "param: 16")));
    EXPECT_NEAR(0.5, ValueOf(host.Ask("param 38", "param: 38")), 1e-6);
    EXPECT_EQ(0, host.Stop());
  }
}

// A configuration folder of the test's own for the hosts it starts (the zoom is kept there).
class ConfigHome
{
public:
  ConfigHome()
  {
    char tmpl[] = "/tmp/tarvo-gui-config-XXXXXX";
    if (mkdtemp(tmpl)) mDir = tmpl;
    const char* old = std::getenv("XDG_CONFIG_HOME");
    mHad = old != nullptr;
    if (old) mOld = old;
    setenv("XDG_CONFIG_HOME", mDir.c_str(), 1);
  }
  ~ConfigHome()
  {
    if (mHad)
      setenv("XDG_CONFIG_HOME", mOld.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
    if (!mDir.empty()) xtest::Run({"rm", "-rf", mDir});
  }
  std::string Zoom() const
  {
    std::ifstream in(mDir + "/Velkor Audio/Tarvo.conf");
    std::string line;
    std::getline(in, line);
    return line;
  }

private:
  std::string mDir, mOld;
  bool mHad = false;
};

// The help menu's zoom by keys, from the help button at device position (x, y): eight entries
// down to "Zoom", into its submenu (on its first entry, 100%), then `down` entries further.
int ChooseZoom(int x, int y, int down)
{
  std::vector<std::string> args = {"mousemove",
                                   std::to_string(x),
                                   std::to_string(y),
                                   "click",
                                   "1",
                                   "sleep",
                                   "0.4",
                                   "key",
                                   "--delay",
                                   "30"};
  for (int i = 0; i < 8; ++i)
    args.push_back("Down");
  args.push_back("Right");
  for (int i = 0; i < down; ++i)
    args.push_back("Down");
  args.push_back("Return");
  return Xdo(args);
}

TEST_F(ScaledVstHostGui, ZoomFromTheHelpMenuResizesTheWindowAndIsRemembered)
{
  ConfigHome config;
  ASSERT_TRUE(mHost.Start());
  mHost.Mark();
  ASSERT_EQ(0, ChooseZoom(804, 19, 4));
  EXPECT_FALSE(mHost.WaitFor("gui: resizeView 2060x872").empty());
  EXPECT_EQ("zoom=200", config.Zoom());
  // The editor answers at its new size: band 1's bandwidth switch where it is drawn now.
  ASSERT_EQ(0, Xdo({"mousemove", "168", "596", "sleep", "0.2", "click", "1"}));
  EXPECT_FALSE(mHost.WaitFor("endEdit 16").empty());
  EXPECT_EQ(0, mHost.Stop());

  // The next editor opens at the user's zoom; back to 100% from there.
  GuiHost again;
  ASSERT_TRUE(again.Start());
  EXPECT_FALSE(again.WaitFor("gui: editor open 2060x872").empty());
  again.Mark();
  ASSERT_EQ(0, ChooseZoom(2 * 804, 2 * 19, 0));
  EXPECT_FALSE(again.WaitFor("gui: resizeView 1030x436").empty());
  EXPECT_EQ("zoom=100", config.Zoom());
  EXPECT_EQ(0, again.Stop());
}

TEST_F(VstHostGui, AHostThatRefusesTheSizeKeepsTheEditorAsItWas)
{
  ConfigHome config;
  ASSERT_TRUE(mHost.Start({"--fixed-size"}));
  mHost.Mark();
  ASSERT_EQ(0, ChooseZoom(804, 19, 2));
  EXPECT_FALSE(mHost.WaitFor("gui: resizeView 1545x654 refused").empty());
  EXPECT_EQ("", config.Zoom()); // nothing remembered
  // Still at 100%: band 1's bandwidth switch where it was.
  mHost.Mark();
  ASSERT_EQ(0, Xdo({"mousemove", "84", "298", "sleep", "0.2", "click", "1"}));
  EXPECT_FALSE(mHost.WaitFor("endEdit 16").empty());
  EXPECT_EQ(1.0, ValueOf(mHost.Ask("param 16", "param: 16")));
  EXPECT_EQ(0, mHost.Stop());
}

// Without a scale from the host, the desktop's Xft.dpi sets it; a host's scale wins.
TEST_F(ScaledVstHostGui, XftDpiScalesTheEditorUnlessTheHostGivesAScale)
{
  if (!xtest::OnPath("xprop")) GTEST_SKIP() << "no xprop";
  ConfigHome config;
  ASSERT_EQ(0, xtest::Run({"xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set",
                           "RESOURCE_MANAGER", "Xft.antialias:\t1\nXft.dpi:\t192\n"}));
  ASSERT_TRUE(mHost.Start());
  EXPECT_FALSE(mHost.WaitFor("gui: editor open 2060x872").empty());
  EXPECT_EQ(0, mHost.Stop());
  GuiHost scaled;
  ASSERT_TRUE(scaled.Start({"--scale", "1.5"}));
  EXPECT_FALSE(scaled.WaitFor("gui: editor open 1545x654").empty());
  EXPECT_EQ(0, scaled.Stop());
}

// Every way the editor reports an edit, in one session with audio running: each edit must be a
// gesture of its own parameter, as the host's check sees it.
TEST_F(VstHostGui, EveryEditPathKeepsTheGestureRule)
{
  // The file dialog: a stand-in that answers with a program or a bank file of ours.
  xtest::FakeTools tools;
  const std::string program = tools.Dir() + "/session.fxp", bank = tools.Dir() + "/session.fxb";
  tools.Add("zenity", "for a; do case $a in *fxb*) echo '" + bank +
                          "'; exit 0;; esac; done\necho '" + program + "'");
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (tools.Dir() + ":" + path).c_str(), 1);
  signal(SIGPIPE, SIG_IGN); // a host that died fails the test instead of ending it
  ASSERT_TRUE(mHost.Start());
  setenv("PATH", path.c_str(), 1);

  auto at = [](int x, int y) -> std::vector<std::string> {
    return {"mousemove", std::to_string(x), std::to_string(y), "sleep", "0.1"};
  };
  // (type and key take the rest of xdotool's command line: the pause is ours.)
  auto step = [&](std::vector<std::string> head, const std::vector<std::string>& tail)
  {
    head.insert(head.end(), tail.begin(), tail.end());
    EXPECT_EQ(0, Xdo(head));
    usleep(400000);
  };
  auto count = [&](const std::string& prefix)
  {
    int n = 0;
    for (const std::string& line : mHost.Since())
      n += line.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  };

  // Knob: drag, one wheel notch, a quick burst of notches, double click, right click.
  step(at(kKnobX, kKnobY), {"mousedown", "1", "sleep", "0.05", "mousemove", std::to_string(kKnobX),
                            "90", "sleep", "0.05", "mouseup", "1"});
  step(at(kKnobX, kKnobY), {"click", "4", "sleep", "0.5"});
  mHost.Mark();
  step(at(kKnobX, kKnobY), {"click", "--repeat", "3", "--delay", "30", "5", "sleep", "0.5"});
  EXPECT_FALSE(mHost.WaitFor("endEdit 0").empty());
  EXPECT_EQ(1, count("beginEdit 0"));
  EXPECT_EQ(3, count("performEdit 0 "));
  EXPECT_EQ(1, count("endEdit 0"));
  mHost.Mark();
  step(at(kKnobX, kKnobY), {"click", "--repeat", "2", "--delay", "80", "1"});
  EXPECT_FALSE(mHost.WaitFor("performEdit 0 0.500000").empty());
  EXPECT_EQ(1, count("performEdit 0 0.500000"));
  step(at(kKnobX, kKnobY), {"click", "3"});
  // Frequency knob: a drag.
  step(at(84, 200), {"mousedown", "1", "sleep", "0.05", "mousemove", "84", "180", "sleep", "0.05",
                     "mouseup", "1"});

  // Text fields: a typed value; then an emptied field, which changes nothing.
  step(at(kValueTextX, kValueTextY), {"click", "1", "sleep", "0.3", "type", "3"});
  step({"key", "Return"}, {});
  mHost.Mark();
  step(at(kValueTextX, kValueTextY), {"click", "1", "sleep", "0.3", "key", "BackSpace"});
  step({"key", "Return"}, {});
  EXPECT_EQ(0, count("performEdit"));
  EXPECT_NEAR((3.0 + 18.0) / 36.0, ValueOf(mHost.Ask("param 0", "param: 0")), 1e-6);

  // Switches, and the mix fader: a drag on its track and a value typed into its text.
  step(at(84, 298), {"click", "1"});
  step(at(84, 338), {"click", "1"});
  step(at(718, 397), {"click", "1"});
  step(at(860, 399), {"mousedown", "1", "sleep", "0.05", "mousemove", "900", "399", "sleep", "0.05",
                      "mouseup", "1"});
  step(at(790, 395), {"click", "1", "sleep", "0.3", "type", "40"});
  step({"key", "Return"}, {});

  // The preset browser: the list, next, previous, the wheel, renaming, save and undo.
  mHost.Mark();
  step(at(kPresetX, kPresetY), {"click", "1", "sleep", "0.4", "key", "Down", "Down", "Down"});
  step({"key", "Return"}, {});
  EXPECT_FALSE(mHost.WaitFor("endEdit 38").empty());
  EXPECT_EQ(39, count("beginEdit"));
  EXPECT_EQ(39, count("endEdit"));
  step(at(412, 19), {"click", "1"});
  step(at(397, 19), {"click", "1"});
  step(at(kPresetX, kPresetY), {"click", "5"});
  step(at(kPresetX, kPresetY), {"click", "3", "sleep", "0.3", "type", "Mine"});
  step({"key", "Return"}, {});
  step(at(642, 19), {"click", "1"});
  step(at(kKnobX, kKnobY), {"click", "4"});
  step(at(670, 19), {"click", "1"});

  // Program and bank files: saved, then loaded back.
  for (const char* down : {"1", "3", "2", "4"})
  {
    step(at(367, 18), {"click", "1", "sleep", "0.4", "key", "--repeat", down, "Down"});
    step({"key", "Return"}, {});
  }
  EXPECT_EQ(0, access(program.c_str(), F_OK));
  EXPECT_EQ(0, access(bank.c_str(), F_OK));

  EXPECT_EQ("gestures: 0 violations, 0 open", mHost.Ask("gestures", "gestures:"));
  mHost.Mark(0);
  for (const std::string& line : mHost.Since())
    if (line.rfind("gesture violation", 0) == 0) ADD_FAILURE() << line;
  // Recalls made in the editor are the user's edits, told as gestures, not as a restart.
  EXPECT_EQ(0, count("restartComponent"));
  mHost.Mark();
  EXPECT_EQ(0, mHost.Stop());
  EXPECT_EQ("gestures: 0 violations", mHost.WaitFor("gestures:"));
}

} // namespace
