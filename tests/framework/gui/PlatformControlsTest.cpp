// The controls that hand a click to the platform: links with a fallback, and the file selector
// around its modal dialog.

#include <string>

#include "framework/gui/ControlRig.h"
#include "framework/gui/IPlatformControls.h"

namespace
{
using Log = std::vector<std::string>;

// Refuses addresses starting "bad:" and repaints while its file dialog is open, as a window would.
class PickyPlatform : public IGraphicsHeadless
{
public:
  using IGraphicsHeadless::IGraphicsHeadless;
  bool OpenURL(const char* url, const char* msg, const char* confirm, const char* err) override
  {
    mMessages.push_back(msg ? msg : "(null)");
    IGraphicsHeadless::OpenURL(url, msg, confirm, err);
    return std::string(url).rfind("bad:", 0) != 0;
  }
  void PromptForFile(StringBuf* file, EFileAction action, StringBuf* dir, const char* ext) override
  {
    DrawAll();
    mDuringDialog = GetPoint(15, 15);
    IGraphicsHeadless::PromptForFile(file, action, dir, ext);
  }
  Log mMessages;
  IColor mDuringDialog;
};

class PlatformControls : public ControlRig
{
protected:
  void SetUp() override { Open<PickyPlatform>(); }
  PickyPlatform* Platform() { return static_cast<PickyPlatform*>(mGui); }
};

TEST_F(PlatformControls, LinkFallsBackToItsBackupAddress)
{
  const std::string longURL = "http://" + std::string(400, 'x');
  Add(new IURLControl(mPlug.get(), IRECT(0, 0, 10, 10), "http://a", "http://b", "No browser"));
  Add(new IURLControl(mPlug.get(), IRECT(20, 0, 30, 10), "bad:first", "http://backup", "Sorry"));
  Add(new IURLControl(mPlug.get(), IRECT(40, 0, 50, 10), "bad:only"));
  Add(new IURLControl(mPlug.get(), IRECT(60, 0, 70, 10), nullptr));
  Add(new IURLControl(mPlug.get(), IRECT(80, 0, 90, 10), longURL.c_str()));
  Attach();
  for (int x : {5, 25, 45, 65, 85})
    Click(x, 5);
  EXPECT_EQ(mGui->GetOpenedURLs(),
            (Log{"http://a", "bad:first", "http://backup", "bad:only", longURL.substr(0, 255)}));
  EXPECT_EQ(Platform()->mMessages, (Log{"No browser", "Sorry", "Sorry", "", ""}));
}

TEST_F(PlatformControls, FileSelectorTogglesOnEveryUseAndShowsItsImageOnlyDuringTheDialog)
{
  IBitmap image = MakeStrip(mGui, 20, 20, 1);
  auto* files = Add(new IFileSelectorControl(mPlug.get(), IRECT(10, 10, 30, 30), -1, &image,
                                             kFileOpen, "/presets/", "fxp fxb"));
  Attach();
  mGui->QueueFileChoice("/presets/mine/warm.fxp");
  Click(15, 15);
  ASSERT_EQ(mGui->GetFilePrompts().size(), 1u);
  EXPECT_EQ(mGui->GetFilePrompts()[0].mDirectory, "/presets/");
  EXPECT_EQ(mGui->GetFilePrompts()[0].mExtensions, "fxp fxb");
  EXPECT_EQ(Platform()->mDuringDialog, FrameColor(0));
  StringBuf chosen;
  files->GetLastSelectedFileForPlug(&chosen);
  EXPECT_STREQ(chosen.Get(), "/presets/mine/warm.fxp");
  EXPECT_DOUBLE_EQ(files->GetValue(), 1.0);
  // Two redraws: the change, then the finished state once more.
  EXPECT_TRUE(mGui->Tick());
  EXPECT_EQ(FrameAt(15, 15), -1);
  EXPECT_TRUE(mGui->Tick());
  EXPECT_FALSE(mGui->Tick());

  Click(15, 15); // cancelled: toggles all the same, from the last choice's folder
  EXPECT_EQ(mGui->GetFilePrompts()[1].mDirectory, "/presets/mine/");
  EXPECT_DOUBLE_EQ(files->GetValue(), 0.0);
  files->GetLastSelectedFileForPlug(&chosen);
  EXPECT_STREQ(chosen.Get(), "");
}
} // namespace

// Both platform layers find the editor's resources through the bundle around their module.
TEST(BundleOfModule, OnlyAModuleInItsPlatformsFolderOfABundleNamesTheBundle)
{
  EXPECT_EQ(
      IGraphics::BundleOfModule("/u/.vst3/Tarvo.vst3/Contents/x86_64-linux/Tarvo.so", "-linux"),
      "/u/.vst3/Tarvo.vst3");
  EXPECT_EQ(IGraphics::BundleOfModule("C:/VST3/Tarvo.vst3/Contents/x86_64-win/Tarvo.vst3", "-win"),
            "C:/VST3/Tarvo.vst3");
  EXPECT_EQ(IGraphics::BundleOfModule("C:/VST3/Tarvo.vst3", "-win"), "") << "outside a bundle";
  EXPECT_EQ(IGraphics::BundleOfModule("/x/Tarvo.vst3/Other/x86_64-linux/Tarvo.so", "-linux"), "");
  EXPECT_EQ(IGraphics::BundleOfModule("/x/Tarvo.vst3/Contents/x86_64-linux/Tarvo.so", "-win"), "")
      << "another platform's folder";
  EXPECT_EQ(IGraphics::BundleOfModule("/x/Contents/-linux/Tarvo.so", "-linux"), "")
      << "a folder that is only the suffix";
  EXPECT_EQ(IGraphics::BundleOfModule("Tarvo.so", "-linux"), "");
}
