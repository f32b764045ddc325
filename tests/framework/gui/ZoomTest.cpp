// The user's zoom: how it combines with the host's and the desktop's scale, what the host is asked
// and what a refusal leaves, and the preference file that remembers it for the next editor.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/gui/EditorPreferences.h"
#include "framework/platform/headless/IGraphicsHeadless.h"
#include "tests/framework/gui/GuiTestPlugin.h"

namespace
{

class TempFolder
{
public:
  TempFolder()
  {
    char tmpl[] = "/tmp/tarvo-zoom-XXXXXX";
    if (mkdtemp(tmpl)) mPath = tmpl;
  }
  ~TempFolder() { std::system(("rm -rf '" + mPath + "'").c_str()); }
  const std::string& Path() const { return mPath; }

private:
  std::string mPath;
};

// Points the user's configuration folder somewhere else for one test.
class ConfigHome
{
public:
  explicit ConfigHome(const std::string& folder)
  {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    mHad = old != nullptr;
    if (old) mOld = old;
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  }
  ~ConfigHome()
  {
    if (mHad)
      setenv("XDG_CONFIG_HOME", mOld.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }

private:
  bool mHad = false;
  std::string mOld;
};

void WriteFile(const std::string& path, const std::string& bytes)
{
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The binding's side: records the sizes asked for, and agrees or not.
class ViewHost : public IPlatformViewHost
{
public:
  bool RequestDeviceSize(int w, int h) override
  {
    mAsked.push_back(std::to_string(w) + "x" + std::to_string(h));
    return mAgree;
  }
  std::vector<std::string> mAsked;
  bool mAgree = true;
};

class DesktopGraphics : public IGraphicsHeadless
{
public:
  using IGraphicsHeadless::IGraphicsHeadless;
  float mDesktop = 1.0f;

protected:
  float DesktopScale() override { return mDesktop; }
};

std::string DeviceSize(IGraphics& gui)
{
  int w = 0, h = 0;
  gui.GetDeviceSize(&w, &h);
  return std::to_string(w) + "x" + std::to_string(h);
}

// The text as a Windows editor may save it: UTF-16 with a byte-order mark.
std::string Utf16(const std::string& text)
{
  std::string bytes = "\xff\xfe";
  for (char c : text)
    bytes += std::string{c, '\0'};
  return bytes;
}

TEST(EditorPreferences, TheZoomRoundTripsAndAnythingElseIs100)
{
  using namespace editorprefs;
  TempFolder tmp;
  EXPECT_EQ(tmp.Path() + "/Velkor Audio/Tarvo.conf",
            PreferenceFile(tmp.Path(), "Velkor Audio", "Tarvo"));
  EXPECT_EQ(tmp.Path() + "/V/T.conf", PreferenceFile(tmp.Path() + "/", "V", "T"));
  for (const char* bad : {"", ".", "..", "a/b", "..\\x"})
  {
    EXPECT_EQ("", PreferenceFile(tmp.Path(), bad, "Tarvo")) << bad;
    EXPECT_EQ("", PreferenceFile(tmp.Path(), "Velkor Audio", bad)) << bad;
  }
  EXPECT_EQ("", PreferenceFile("", "Velkor Audio", "Tarvo"));

  // Written into folders that do not exist yet, read back; a later write replaces it.
  const std::string file = PreferenceFile(tmp.Path() + "/deep/er", "Velkor Audio", "Tarvo");
  EXPECT_EQ(100, ReadZoomPercent(file));
  for (int percent : kZoomPercents)
  {
    ASSERT_TRUE(WriteZoomPercent(file, percent));
    EXPECT_EQ(percent, ReadZoomPercent(file));
  }
  EXPECT_EQ("zoom=200\n", ReadFile(file));
  EXPECT_FALSE(WriteZoomPercent(file, 110));
  EXPECT_FALSE(WriteZoomPercent("", 150));
  EXPECT_EQ(200, ReadZoomPercent(file));
  // No temporary file stays behind.
  std::vector<std::string> names;
  for (const auto& entry :
       std::filesystem::directory_iterator(tmp.Path() + "/deep/er/Velkor Audio"))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(std::vector<std::string>{"Tarvo.conf"}, names);

  // What a person or another program may have left there.
  const std::vector<std::pair<std::string, int>> texts = {
      {"zoom=175", 175},
      {"  zoom = 125 \r\n", 125},
      {"# mine\ntheme=dark\nzoom=150\n", 150},
      {"zoom=150\nzoom=200\n", 200},
      {"zoom=150\nzoom=abc\n", 150},
      {"zoom=110", 100},
      {"zoom=150abc", 100},
      {"zoom=+150", 100},
      {"zoom=-150", 100},
      {"zoom=99999999999999999999", 100},
      {"zoom=", 100},
      {"zoomx=150", 100},
      {"150", 100},
      {std::string("zo\0om=150", 9), 100},
      {Utf16("zoom=150"), 100},
      {"", 100},
  };
  for (const auto& t : texts)
  {
    WriteFile(file, t.first);
    EXPECT_EQ(t.second, ReadZoomPercent(file)) << t.first;
  }
  WriteFile(file, std::string(5000, '\n') + "zoom=150\n"); // longer than any file of ours
  EXPECT_EQ(100, ReadZoomPercent(file));

  // A folder where the file should be cannot be read or replaced.
  std::remove(file.c_str());
  ASSERT_EQ(0, mkdir(file.c_str(), 0700));
  EXPECT_EQ(100, ReadZoomPercent(file));
  EXPECT_FALSE(WriteZoomPercent(file, 150));
  // Nor can a file stand in for a folder.
  WriteFile(tmp.Path() + "/plain", "x");
  EXPECT_FALSE(WriteZoomPercent(tmp.Path() + "/plain/V/T.conf", 150));
}

TEST(Zoom, MultipliesTheContentScaleAndAnOpenEditorAsksTheHost)
{
  GuiTestPlugin plug;
  DesktopGraphics gui(&plug, 100, 50);
  ViewHost host;
  gui.SetViewHost(&host);

  for (float nonsense : {0.5f, 0.0f, 2.5f, NAN})
    EXPECT_FALSE(gui.SetZoom(nonsense));
  EXPECT_EQ(1.0f, gui.GetZoom());

  // Closed: nothing to ask, the next size the host asks for is the zoomed one.
  EXPECT_TRUE(gui.SetZoom(2.0f));
  EXPECT_EQ(200, gui.GetZoomPercent());
  EXPECT_EQ(2.0f, gui.GetDeviceScale());
  EXPECT_EQ("200x100", DeviceSize(gui));
  EXPECT_TRUE(host.mAsked.empty());
  EXPECT_TRUE(gui.SetZoom(1.0f));

  ASSERT_NE(nullptr, gui.OpenWindow(nullptr));
  EXPECT_TRUE(gui.SetZoom(2.0f));
  EXPECT_EQ(std::vector<std::string>{"200x100"}, host.mAsked);
  EXPECT_TRUE(gui.SetZoom(2.0f)); // the same zoom asks nothing
  EXPECT_EQ(1u, host.mAsked.size());

  // A host that says no keeps the editor as it is.
  host.mAgree = false;
  EXPECT_FALSE(gui.SetZoom(1.0f));
  EXPECT_EQ(2u, host.mAsked.size());
  EXPECT_EQ("100x50", host.mAsked.back());
  EXPECT_EQ(2.0f, gui.GetZoom());
  EXPECT_EQ("200x100", DeviceSize(gui));

  // A window of the editor's own (no view shows it) follows by itself.
  gui.SetViewHost(nullptr);
  EXPECT_TRUE(gui.SetZoom(1.0f));
  EXPECT_EQ("100x50", DeviceSize(gui));

  // The host's scale and the zoom multiply.
  gui.SetContentScale(2.0f);
  EXPECT_EQ("200x100", DeviceSize(gui));
  gui.CloseWindow();
}

TEST(Zoom, TheDesktopScaleStandsInUntilTheHostGivesOne)
{
  GuiTestPlugin plug;
  DesktopGraphics gui(&plug, 100, 50);
  gui.mDesktop = 2.0f;
  EXPECT_EQ(1.0f, gui.GetContentScale()); // read when a view is prepared, not before
  gui.PrepareView();
  EXPECT_EQ(2.0f, gui.GetContentScale());
  EXPECT_EQ("200x100", DeviceSize(gui));
  gui.SetContentScale(1.0f);
  EXPECT_EQ(1.0f, gui.GetContentScale());
  EXPECT_EQ("100x50", DeviceSize(gui));

  // Desktops asking for less than 1 get the layout's own pixels.
  DesktopGraphics small(&plug, 100, 50);
  small.mDesktop = 0.75f;
  small.PrepareView();
  EXPECT_EQ(1.0f, small.GetContentScale());
}

TEST(Zoom, EveryEditorReadsTheUsersChoiceWhenAViewIsPrepared)
{
  TempFolder tmp;
  ConfigHome home(tmp.Path());
  const std::string file = tmp.Path() + "/Velkor Audio/GuiTest.conf";
  GuiTestPlugin plugA, plugB;
  IGraphicsHeadless a(&plugA, 100, 50), b(&plugB, 100, 50);
  EXPECT_EQ(file, a.PreferenceFile());

  // Nothing stored yet: 100 %.
  a.PrepareView();
  EXPECT_EQ(100, a.GetZoomPercent());

  EXPECT_FALSE(a.ChooseZoom(110));
  EXPECT_TRUE(a.ChooseZoom(200));
  EXPECT_EQ(200, a.GetZoomPercent());
  EXPECT_EQ(200, editorprefs::ReadZoomPercent(file));
  // Another instance shares nothing in memory: it reads the file when its view is prepared.
  EXPECT_EQ(100, b.GetZoomPercent());
  b.PrepareView();
  EXPECT_EQ(200, b.GetZoomPercent());

  // Refused by the host: neither applied nor remembered.
  ViewHost no;
  no.mAgree = false;
  a.SetViewHost(&no);
  ASSERT_NE(nullptr, a.OpenWindow(nullptr));
  EXPECT_FALSE(a.ChooseZoom(100));
  EXPECT_EQ(200, a.GetZoomPercent());
  EXPECT_EQ(200, editorprefs::ReadZoomPercent(file));
  // An open editor keeps the size its host knows, whatever the file says meanwhile.
  editorprefs::WriteZoomPercent(file, 150);
  a.PrepareView();
  EXPECT_EQ(200, a.GetZoomPercent());
  a.CloseWindow();
  a.PrepareView();
  EXPECT_EQ(150, a.GetZoomPercent());

  // Garbage in the file: 100 %.
  WriteFile(file, "\x01\x02zoom=\xff");
  a.PrepareView();
  EXPECT_EQ(100, a.GetZoomPercent());
}

} // namespace
