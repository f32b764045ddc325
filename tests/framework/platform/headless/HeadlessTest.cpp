// The windowless platform: scripted popup menus, text entries and file prompts, image loading by
// resource name, and the surface written as a PNG.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "framework/gui/GuiTestPlugin.h"
#include "framework/gui/IPopupMenu.h"
#include "framework/platform/headless/IGraphicsHeadless.h"
#include "raster/Raster.h"

namespace
{
using Lines = std::vector<std::string>;

class Headless : public ::testing::Test
{
protected:
  void SetUp() override
  {
    char dir[] = "/tmp/tarvo-headless-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    mDir = dir;
    mGui = new IGraphicsHeadless(&mPlug, 60, 40, 0, mDir.c_str());
    mPlug.AttachGraphics(mGui);
  }
  void TearDown() override
  {
    for (const char* f : {"/knob.png", "/shot.png", "/Knob.txt"})
      std::remove((mDir + f).c_str());
    rmdir(mDir.c_str());
  }

  GuiTestPlugin mPlug;
  IGraphicsHeadless* mGui = nullptr;
  std::string mDir;
};

// ---- Popup menus ----

TEST(PopupMenu, InsertionPrefixesAndChecks)
{
  IPopupMenu menu;
  for (const char* text : {"b", "c", "d"})
    menu.AddItem(text);
  menu.AddItem("a", 0);
  menu.AddItem("e", 10);     // past the end: appended
  menu.AddItem("first", -5); // any negative but -1: first
  Lines texts;
  for (int i = 0; i <= 6; ++i)
    texts.push_back(menu.GetItemText(i));
  EXPECT_EQ(texts, (Lines{"first", "a", "b", "c", "d", "e", ""}));
  EXPECT_EQ(menu.GetItem(-1), nullptr);

  char prefix[16];
  menu.SetPrefix(2);
  menu.FormatPrefix(8, prefix, sizeof prefix);
  EXPECT_STREQ(prefix, "09: ");
  menu.SetPrefix(1);
  menu.FormatPrefix(11, prefix, sizeof prefix);
  EXPECT_STREQ(prefix, "12: ");
  menu.SetPrefix(4); // out of range: kept as it was
  EXPECT_EQ(menu.GetPrefix(), 1);

  for (int i = 0; i < 4; ++i)
    menu.CheckItem(i, true);
  menu.CheckItemAlone(2);
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(menu.IsItemChecked(i), i == 2);
  EXPECT_FALSE(menu.CheckItem(6, true));
  menu.CheckItemAlone(-1);
  EXPECT_FALSE(menu.IsItemChecked(2));
}

TEST_F(Headless, PopupAnswersChooseByPositionOrTextOrDismiss)
{
  IPopupMenu sub;
  sub.AddItem("Warm");
  sub.AddItem("Bright");
  sub.AddItem("Off", -1, IPopupMenuItem::kDisabled);
  IPopupMenu menu;
  menu.SetPrefix(2);
  menu.AddItem("Init", -1, IPopupMenuItem::kChecked);
  menu.AddSeparator();
  menu.AddItem("Factory", &sub);
  IRECT where(5, 5, 20, 15);

  mGui->QueuePopupChoice({2, 1});
  EXPECT_EQ(mGui->CreateIPopupMenu(&menu, &where), &sub);
  EXPECT_EQ(sub.GetChosenItemIdx(), 1);
  EXPECT_EQ(menu.GetChosenItemIdx(), -1);
  EXPECT_EQ(mGui->GetPopups()[0].mLines, (Lines{"01: Init\tchecked", "-", "03: Factory", "  Warm",
                                                "  Bright", "  Off\tdisabled"}));
  EXPECT_EQ(mGui->GetPopups()[0].mRect, where);

  mGui->QueuePopupChoice("Init");
  EXPECT_EQ(mGui->CreateIPopupMenu(&menu, &where), &menu);
  EXPECT_EQ(menu.GetChosenItemIdx(), 0);

  // Dismissed, unscripted, or aimed at something that cannot be picked: nothing is chosen.
  mGui->QueuePopupDismiss();
  mGui->QueuePopupChoice({1});           // separator
  mGui->QueuePopupChoice("Factory/Off"); // disabled
  mGui->QueuePopupChoice({2});           // a submenu's parent
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(mGui->CreateIPopupMenu(&menu, &where), nullptr);
  EXPECT_EQ(sub.GetChosenItemIdx(), 1);
}

TEST_F(Headless, PopupReleasesTheMouseCapture)
{
  auto* c = new ProbeControl(&mPlug, IRECT(0, 0, 60, 40));
  mGui->AttachControl(c);
  IMouseMod left(true);
  mGui->OnMouseDown(5, 5, &left);
  ASSERT_EQ(mGui->GetMouseCapture(), 0);
  IPopupMenu menu;
  mGui->CreateIPopupMenu(&menu, nullptr);
  EXPECT_EQ(mGui->GetMouseCapture(), -1);
}

// ---- Text entry ----

TEST(TextEntryFilter, AcceptsOnlyWhatTheParameterTypeAllows)
{
  const char* dbl = IGraphics::TextEntryCharacters(IParam::kTypeDouble);
  const char* integer = IGraphics::TextEntryCharacters(IParam::kTypeInt);
  EXPECT_STREQ(dbl, "0123456789.-+");
  EXPECT_STREQ(integer, "0123456789-+");
  EXPECT_STREQ(IGraphics::TextEntryCharacters(IParam::kTypeEnum), integer);
  EXPECT_EQ(IGraphics::TextEntryCharacters(IParam::kTypeNone), nullptr);

  // Seven keys fit; an eighth and every letter are refused.
  EXPECT_EQ(IGraphicsHeadless::FilterTypedText("-12.3456789", dbl, 7), "-12.345");
  EXPECT_EQ(IGraphicsHeadless::FilterTypedText("1a2b.5", dbl, 7), "12.5");
  EXPECT_EQ(IGraphicsHeadless::FilterTypedText("1.5", integer, 7), "15");
  EXPECT_EQ(IGraphicsHeadless::FilterTypedText("free text!", nullptr, 0), "free text!");
}

TEST_F(Headless, TextEntryCommitsFilteredTextOrCancels)
{
  auto* knob = new ProbeControl(&mPlug, IRECT(0, 0, 20, 20), GuiTestPlugin::kGain);
  mGui->AttachControl(knob);
  IParam* gain = mPlug.GetParam(GuiTestPlugin::kGain);
  IRECT where(0, 0, 40, 16);

  mGui->QueueTextEntry("x12.5dB99");
  mGui->CreateTextEntry(knob, knob->GetText(), &where, "0.00", gain);
  EXPECT_EQ(mGui->GetTextEntries().back().mCommitted, "12.599");
  EXPECT_DOUBLE_EQ(gain->Value(), 12.599);

  mGui->QueueTextEntryCancel();
  mGui->CreateTextEntry(knob, knob->GetText(), &where, "12.60", gain);
  EXPECT_FALSE(mGui->GetTextEntries().back().mWasCommitted);
  EXPECT_DOUBLE_EQ(gain->Value(), 12.599);

  // Without a parameter the control gets the raw text.
  struct Named : ProbeControl
  {
    using ProbeControl::ProbeControl;
    void TextFromTextEntry(const char* text) override { mText = text; }
    std::string mText;
  };
  auto* name = new Named(&mPlug, IRECT(0, 20, 60, 40));
  mGui->AttachControl(name);
  mGui->QueueTextEntry("My Preset #2");
  mGui->CreateTextEntry(name, name->GetText(), &where, "", nullptr);
  EXPECT_EQ(name->mText, "My Preset #2");
  EXPECT_EQ(mGui->GetTextEntries().size(), 3u);
}

// ---- Files, messages, links ----

TEST_F(Headless, FilePromptsReturnTheScriptedPath)
{
  StringBuf file("Init.fxp"), dir("");
  mGui->QueueFileCancel();
  mGui->PromptForFile(&file, kFileSave, &dir, "fxp");
  EXPECT_STREQ(file.Get(), "");
  EXPECT_STREQ(dir.Get(), "~/Desktop");
  EXPECT_EQ(mGui->GetFilePrompts()[0].mDefaultName, "Init.fxp");
  EXPECT_EQ(mGui->GetFilePrompts()[0].mAction, kFileSave);

  mGui->QueueFileChoice("/home/u/presets/Bright.fxp");
  mGui->PromptForFile(&file, kFileOpen, &dir, "fxp fxb");
  EXPECT_STREQ(file.Get(), "/home/u/presets/Bright.fxp");
  EXPECT_STREQ(dir.Get(), "/home/u/presets/");
  EXPECT_EQ(mGui->GetFilePrompts()[1].mExtensions, "fxp fxb");
}

// ---- Images and snapshots ----

TEST_F(Headless, ImagesLoadByLastPathComponentOfPngNames)
{
  RasterMemBitmap bmp(3, 2, 4);
  RasterFillRect(&bmp, 0, 0, 3, 2, COLOR_ORANGE.Packed(), 1.0f, 0);
  ASSERT_TRUE(RasterWritePNG(&bmp, (mDir + "/knob.png").c_str()));
  FILE* f = std::fopen((mDir + "/Knob.txt").c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fclose(f);

  std::unique_ptr<RasterBitmap> loaded(mGui->OSLoadBitmap(1, "resources/img/knob.PNG"));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->getWidth(), 3);
  EXPECT_EQ(IColor::FromPacked(RasterGetPixel(loaded.get(), 2, 1)), COLOR_ORANGE);
  EXPECT_EQ(mGui->OSLoadBitmap(1, "resources/img/Knob.txt"), nullptr);
  EXPECT_EQ(mGui->OSLoadBitmap(1, "knob"), nullptr);
  EXPECT_EQ(mGui->OSLoadBitmap(1, "img.png/knob"), nullptr);
  EXPECT_EQ(mGui->OSLoadBitmap(1, nullptr), nullptr);
  EXPECT_EQ(mGui->OSLoadBitmap(1, "missing.png"), nullptr);
}

TEST_F(Headless, SurfaceIsWrittenAsPng)
{
  mGui->AttachPanelBackground(&COLOR_BLUE);
  auto* c = new ProbeControl(&mPlug, IRECT(10, 10, 20, 20));
  c->mFill = true;
  mGui->AttachControl(c);
  IRECT r;
  ASSERT_TRUE(mGui->Tick(&r));
  EXPECT_EQ(r, IRECT(0, 0, 60, 40));
  EXPECT_FALSE(mGui->Tick());
  const std::string shot = mDir + "/shot.png";
  ASSERT_TRUE(mGui->WriteSurfacePNG(shot.c_str()));
  std::unique_ptr<RasterMemBitmap> back(RasterLoadPNG(shot.c_str()));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(IColor::FromPacked(RasterGetPixel(back.get(), 0, 0)), COLOR_BLUE);
  EXPECT_EQ(IColor::FromPacked(RasterGetPixel(back.get(), 15, 15)), COLOR_RED);
  EXPECT_FALSE(mGui->WriteSurfacePNG((mDir + "/no/such/dir.png").c_str()));
}
} // namespace
