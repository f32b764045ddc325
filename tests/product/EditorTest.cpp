// The product's editor, built in the constructor with the windowless platform and the generated
// images, driven the way a window would drive it: layout, value texts, the preset browser, the
// file and help menus, and the meters fed by the block routine.

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "controls/captionHoldValue.h"
#include "controls/help.h"
#include "controls/knobFaderControlText.h"
#include "controls/knobMultiControlText.h"
#include "controls/peakMeter.h"
#include "controls/presetDisplay.h"
#include "controls/presetFunctionsMenu.h"
#include "framework/gui/ISwitchControls.h"
#include "framework/platform/headless/IGraphicsHeadless.h"
#include "product/Tarvo.h"
#include "product/VendorInfo.h"
#include "public.sdk/source/common/memorystream.h"

namespace
{
// Counts what the editor tells the host.
class ObservedTarvo : public Tarvo
{
public:
  ObservedTarvo() : Tarvo(IInstanceInfo(), HeadlessGraphicsFactory(TARVO_SKIN_DIR)) {}
  void InformHostOfProgramChange() override { ++mProgramChanges; }
  void InformHostOfParamChange(int idx, double value) override
  {
    ++mParamReports;
    Tarvo::InformHostOfParamChange(idx, value);
  }
  int mProgramChanges = 0;
  int mParamReports = 0;
};

std::string ReadBytes(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path)
{
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

class EditorTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mPlug = new ObservedTarvo();
    mGui = dynamic_cast<IGraphicsHeadless*>(mPlug->GetGUI());
    ASSERT_NE(mGui, nullptr);
    mGui->DrawAll();
  }
  void TearDown() override { mPlug->release(); }

  template <class T> T* Control(int idx)
  {
    T* c = dynamic_cast<T*>(mGui->GetControl(idx));
    EXPECT_NE(c, nullptr) << "control " << idx;
    return c;
  }
  void Click(int x, int y, IMouseMod mod = IMouseMod(true))
  {
    mGui->OnMouseDown(x, y, &mod);
    mGui->OnMouseUp(x, y, &mod);
  }
  double Value(int paramIdx) { return mPlug->GetParam(paramIdx)->Value(); }
  void SetFromGUI(int paramIdx, double plain)
  {
    mPlug->SetParameterFromGUI(paramIdx, mPlug->GetParam(paramIdx)->GetNormalized(plain));
  }

  ObservedTarvo* mPlug = nullptr;
  IGraphicsHeadless* mGui = nullptr;
};

TEST_F(EditorTest, ControlsInAttachOrderWithTheirRectanglesAndImages)
{
  ASSERT_EQ(mGui->GetNControls(), 56);
  EXPECT_EQ(*mGui->GetControl(0)->GetRECT(), IRECT(0, 0, 1030, 436));

  const IBitmap* gain = Control<IKnobMultiControlText>(1)->GetBitmap();
  const IBitmap* freq = Control<IKnobMultiControlText>(9)->GetBitmap();
  const IBitmap* io = Control<IKnobMultiControlText>(37)->GetBitmap();
  EXPECT_EQ(gain->N, 201);
  EXPECT_EQ(gain->W, 49);
  EXPECT_EQ(gain->FrameHeight(), 55); // leaves the control's bottom 16 pixels to the text
  EXPECT_EQ(io->W, 49);
  EXPECT_EQ(io->FrameHeight(), 55);
  EXPECT_EQ(freq->N, 201);
  EXPECT_EQ(freq->W, 71);
  EXPECT_EQ(freq->FrameHeight(), 78);

  for (int k = 0; k < 8; ++k)
  {
    auto* g = Control<IKnobMultiControlText>(1 + k);
    EXPECT_EQ(*g->GetRECT(), IRECT(54 + 95 * k, 73, 115 + 95 * k, 144));
    EXPECT_EQ(*g->GetTargetRECT(), IRECT(60 + 95 * k, 73, 109 + 95 * k, 144));
    EXPECT_EQ(g->ParamIdx(), kGain1 + k);
    auto* f = Control<IKnobMultiControlText>(9 + k);
    EXPECT_EQ(*f->GetRECT(), IRECT(49 + 95 * k, 173, 120 + 95 * k, 267));
    EXPECT_EQ(*f->GetTextRECT(), IRECT(51 + 95 * k, 251, 118 + 95 * k, 267));
    EXPECT_EQ(f->ParamIdx(), kFrequency1 + k);
    for (int row = 0; row < 2; ++row)
    {
      auto* s = Control<ISwitchControl>(17 + 8 * row + k);
      const IBitmap* b = s->GetBitmap();
      EXPECT_EQ(b->N, 2);
      EXPECT_LE(b->W, 95); // within the band's column
      EXPECT_EQ(*s->GetRECT(), IRECT(42 + 95 * k, 283 + 40 * row, 42 + 95 * k + b->W,
                                     283 + 40 * row + b->FrameHeight()));
      EXPECT_EQ(s->ParamIdx(), (row ? kBandBypass1 : kBandwidth1) + k);
    }
  }
  const int toggleX[4] = {98, 240, 342, 696};
  for (int i = 0; i < 4; ++i)
  {
    auto* s = Control<ISwitchControl>(33 + i);
    EXPECT_EQ(s->GetRECT()->L, toggleX[i]);
    EXPECT_EQ(s->GetRECT()->T, 386);
    EXPECT_EQ(s->ParamIdx(), kBypass + i);
  }
  EXPECT_EQ(*Control<IKnobMultiControlText>(37)->GetRECT(), IRECT(839, 278, 900, 349));
  EXPECT_EQ(*Control<IKnobMultiControlText>(38)->GetRECT(), IRECT(935, 278, 996, 349));
  EXPECT_EQ(Control<IKnobMultiControlText>(38)->ParamIdx(), kOutputGain);

  const IRECT meters[4] = {IRECT(848, 73, 868, 241), IRECT(870, 73, 890, 241),
                           IRECT(944, 73, 964, 241), IRECT(966, 73, 986, 241)};
  const IRECT captions[4] = {IRECT(826, 56, 866, 74), IRECT(872, 56, 912, 74),
                             IRECT(922, 56, 962, 74), IRECT(968, 56, 1007, 74)};
  for (int i = 0; i < 4; ++i)
  {
    EXPECT_EQ(*Control<IPeakMeterVert>(39 + i)->GetRECT(), meters[i]);
    EXPECT_EQ(*Control<ICaptionHoldValueControl>(43 + i)->GetRECT(), captions[i]);
    EXPECT_EQ(Control<ICaptionHoldValueControl>(43 + i)->GetText()->mAlign,
              i % 2 ? IText::kAlignRight : IText::kAlignLeft);
  }
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(mPlug->GetMeterControl(i), 39 + i);

  auto* mix = Control<IFaderControlText>(47);
  const int h = mix->GetRECT()->H();
  EXPECT_GE(h, 32);
  EXPECT_EQ(*mix->GetRECT(), IRECT(820, 379, 1006, 379 + h));
  EXPECT_EQ(*mix->GetTargetRECT(), IRECT(768, 379, 1006, 379 + h));
  EXPECT_EQ(*mix->GetTextRECT(), IRECT(768, 379 + h - 32, 818, 379 + h - 16));

  EXPECT_EQ(*Control<PresetFunctionsMenu>(48)->GetRECT(), IRECT(355, 6, 380, 30));
  const IRECT* prev = Control<IPrevPreset>(49)->GetRECT();
  const IRECT* next = Control<INextPreset>(50)->GetRECT();
  EXPECT_EQ(prev->L, 390);
  EXPECT_LE(prev->R, 405);
  EXPECT_EQ(next->L, 405);
  EXPECT_LE(next->R, 430);
  auto* name = Control<IPresetMenu>(51);
  EXPECT_EQ(*name->GetRECT(), IRECT(430, 3, 620, 28));
  EXPECT_EQ(*name->GetTextRECT(), IRECT(436, 10, 582, 27));
  EXPECT_EQ(Control<ISavePreset>(52)->GetRECT()->L, 630);
  EXPECT_LE(Control<ISavePreset>(52)->GetRECT()->R, 658);
  EXPECT_EQ(Control<IUndoPreset>(53)->GetRECT()->L, 658);
  EXPECT_EQ(*Control<HelpMenu>(54)->GetRECT(), IRECT(793, 9, 816, 30));
  auto* about = Control<IBitmapOverlayControl>(55);
  EXPECT_EQ(*about->GetRECT(), IRECT(0, 0, 1030, 436));
  EXPECT_EQ(*about->GetTargetRECT(), IRECT(820, 9, 845, 28));
}

TEST_F(EditorTest, ValueTextsFollowTheParametersAndClicksOnThemOpenTextEntry)
{
  // "Default" is fully wet.
  EXPECT_STREQ(Control<IKnobMultiControlText>(1)->GetValueString(), "0.00 dB");
  EXPECT_STREQ(Control<IKnobMultiControlText>(9)->GetValueString(), "20000 Hz");
  EXPECT_STREQ(Control<IFaderControlText>(47)->GetValueString(), "Wet ");
  SetFromGUI(kInputGain, -72.0);
  SetFromGUI(kMix, 50.0);
  mGui->DrawAll();
  EXPECT_STREQ(Control<IKnobMultiControlText>(37)->GetValueString(), "-inf. ");
  EXPECT_STREQ(Control<IFaderControlText>(47)->GetValueString(), "50.0 %");
  SetFromGUI(kMix, 0.0);
  mGui->DrawAll();
  EXPECT_STREQ(Control<IFaderControlText>(47)->GetValueString(), "Dry ");

  mGui->QueueTextEntry("6");
  Click(84, 140); // band 1's gain text
  EXPECT_DOUBLE_EQ(Value(kGain1), 6.0);
  mGui->QueueTextEntry("1000");
  Click(84 + 95 * 2, 260); // band 3's frequency text
  EXPECT_DOUBLE_EQ(Value(kFrequency1 + 2), 1000.0);
  const int textTop = Control<IFaderControlText>(47)->GetTextRECT()->T;
  mGui->QueueTextEntry("25");
  Click(770, textTop + 4);
  EXPECT_DOUBLE_EQ(Value(kMix), 25.0);
  ASSERT_EQ(mGui->GetTextEntries().size(), 3u);
  EXPECT_EQ(mGui->GetTextEntries()[1].mRect, IRECT(241, 251, 308, 267));
}

TEST_F(EditorTest, PreviousOnTheFirstAndNextOnTheLastSlotStayButReportToTheHost)
{
  Click(396, 18);
  EXPECT_EQ(mPlug->GetCurrentPresetIdx(), 0);
  EXPECT_EQ(mPlug->mProgramChanges, 1);
  EXPECT_EQ(mPlug->mParamReports, kNumParams);

  mPlug->RestorePreset(30);
  Click(410, 18);
  EXPECT_EQ(mPlug->GetCurrentPresetIdx(), 31);
  Click(410, 18);
  EXPECT_EQ(mPlug->GetCurrentPresetIdx(), 31);
  EXPECT_EQ(mPlug->mProgramChanges, 3);

  // Frame 2 while held, frame 1 once released.
  IMouseMod left(true);
  mGui->OnMouseDown(396, 18, &left);
  EXPECT_DOUBLE_EQ(mGui->GetControl(49)->GetValue(), 1.0);
  mGui->OnMouseUp(396, 18, &left);
  EXPECT_DOUBLE_EQ(mGui->GetControl(49)->GetValue(), 0.0);
  EXPECT_EQ(mPlug->GetCurrentPresetIdx(), 30);
}

TEST_F(EditorTest, PresetListIsNumberedWithTheCurrentSlotCheckedAndWheelSteps)
{
  mGui->QueuePopupChoice("Bombada");
  Click(500, 15);
  ASSERT_EQ(mGui->GetPopups().size(), 1u);
  const std::vector<std::string>& lines = mGui->GetPopups()[0].mLines;
  ASSERT_EQ(lines.size(), 32u);
  EXPECT_EQ(lines[0], "01: Default\tchecked");
  EXPECT_EQ(lines[1], "02: Electro Master");
  EXPECT_EQ(lines[31], "32: User Preset");
  EXPECT_EQ(mPlug->GetCurrentPresetIdx(), 18);
  EXPECT_EQ(mPlug->mProgramChanges, 1);
  mGui->Tick();
  EXPECT_STREQ(Control<IPresetMenu>(51)->GetDisplayString(), "19 Bombada");

  mPlug->RestorePreset(23);
  mGui->Tick();
  EXPECT_STREQ(Control<IPresetMenu>(51)->GetDisplayString(), "24 VoxAir");
  IMouseMod none;
  mGui->OnMouseWheel(500, 15, &none, 1);
  mGui->Tick();
  EXPECT_STREQ(Control<IPresetMenu>(51)->GetDisplayString(), "25 User Preset");
  mGui->OnMouseWheel(500, 15, &none, -1);
  EXPECT_EQ(mPlug->GetCurrentPresetIdx(), 23);

  // Dismissed: nothing recalled.
  Click(500, 15);
  EXPECT_EQ(mPlug->GetCurrentPresetIdx(), 23);
}

TEST_F(EditorTest, PresetDisplayRedrawsWhenItsSlotChangesNotInEveryTick)
{
  const IRECT display = *mGui->GetControl(51)->GetRECT();
  IRECT idle;
  for (int i = 0; i < 4; ++i)
  {
    idle = IRECT();
    mGui->Tick(&idle);
  }
  // The meters redraw in every tick; the far-away preset display does not join them.
  EXPECT_EQ(mGui->GetControl(39)->GetRECT()->Union(*mGui->GetControl(42)->GetRECT()), idle);
  // Renamed behind the editor's back (the values stay): the display is redrawn once.
  mPlug->ModifyCurrentPreset("Renamed");
  IRECT r;
  ASSERT_TRUE(mGui->Tick(&r));
  EXPECT_EQ(r, r.Union(display));
  EXPECT_STREQ(Control<IPresetMenu>(51)->GetDisplayString(), "01 Renamed");
  r = IRECT();
  mGui->Tick(&r);
  EXPECT_EQ(idle, r);
}

TEST_F(EditorTest, RightClickRenamesTheSlotAndStoresTheLiveValues)
{
  SetFromGUI(kGain1 + 2, 5.0);
  mGui->QueueTextEntry("Warm Vox");
  Click(500, 15, IMouseMod(false, true));
  ASSERT_EQ(mGui->GetTextEntries().size(), 1u);
  EXPECT_EQ(mGui->GetTextEntries()[0].mInitialText, "Default");
  EXPECT_EQ(mGui->GetTextEntries()[0].mRect, IRECT(436, 10, 582, 27));
  EXPECT_STREQ(mPlug->GetPresetName(0), "Warm Vox");
  EXPECT_TRUE(mGui->GetPopups().empty());

  mPlug->RestorePreset(1);
  mPlug->RestorePreset(0);
  EXPECT_DOUBLE_EQ(Value(kGain1 + 2), 5.0);
}

TEST_F(EditorTest, UndoReturnsToTheStoredValuesAndSaveStoresNewOnes)
{
  ASSERT_TRUE(mPlug->RestorePreset("Piano"));
  const double piano = Value(kGain1);
  // Drag band 1's gain knob up.
  IMouseMod left(true);
  mGui->OnMouseDown(84, 100, &left);
  mGui->OnMouseDrag(84, 80, &left);
  mGui->OnMouseUp(84, 80, &left);
  ASSERT_NE(Value(kGain1), piano);
  Click(670, 18); // undo
  EXPECT_DOUBLE_EQ(Value(kGain1), piano);

  SetFromGUI(kGain1, 3.0);
  Click(642, 18); // save
  EXPECT_STREQ(mPlug->GetPresetName(mPlug->GetCurrentPresetIdx()), "Piano");
  SetFromGUI(kGain1, -9.0);
  Click(670, 18);
  EXPECT_DOUBLE_EQ(Value(kGain1), 3.0);
}

TEST_F(EditorTest, FileMenuSavesAndLoadsProgramsAndBanks)
{
  char tmpl[] = "/tmp/tarvo-editor-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl;

  // A cancelled dialog writes nothing.
  mGui->QueuePopupChoice(std::vector<int>{0}); // a bare {0} would be a null text
  mGui->QueueFileCancel();
  Click(367, 18);
  ASSERT_EQ(mGui->GetFilePrompts().size(), 1u);
  EXPECT_EQ(mGui->GetFilePrompts()[0].mAction, kFileSave);
  EXPECT_EQ(mGui->GetFilePrompts()[0].mDefaultName, "Default");
  EXPECT_EQ(mGui->GetFilePrompts()[0].mExtensions, "fxp");

  SetFromGUI(kGain1, 7.5);
  const std::string program = dir + "/warm.fxp", bank = dir + "/all.fxb";
  mGui->QueuePopupChoice(std::vector<int>{0});
  mGui->QueueFileChoice(program.c_str());
  Click(367, 18);
  EXPECT_TRUE(FileExists(program));

  SetFromGUI(kGain1, 0.0);
  mGui->QueuePopupChoice({3});
  mGui->QueueFileChoice(program.c_str());
  Click(367, 18);
  EXPECT_DOUBLE_EQ(Value(kGain1), 7.5);
  // The dialog opens where the last one ended.
  EXPECT_EQ(mGui->GetFilePrompts()[2].mDirectory, dir + "/");
  EXPECT_EQ(mGui->GetFilePrompts()[2].mAction, kFileOpen);

  mGui->QueuePopupChoice({1});
  mGui->QueueFileChoice(bank.c_str());
  Click(367, 18);
  EXPECT_EQ(mGui->GetFilePrompts()[3].mDefaultName, "Tarvo Bank");
  EXPECT_EQ(mGui->GetFilePrompts()[3].mExtensions, "fxb");
  EXPECT_TRUE(FileExists(bank));

  mPlug->RestorePreset(4);
  mPlug->ModifyCurrentPreset("Scratch");
  mGui->QueuePopupChoice({4});
  mGui->QueueFileChoice(bank.c_str());
  Click(367, 18);
  EXPECT_STREQ(mPlug->GetPresetName(4), "Snare Drum Punch");

  // The separator and a dismissed menu do nothing.
  mGui->QueuePopupChoice({2});
  Click(367, 18);
  Click(367, 18);
  EXPECT_EQ(mGui->GetFilePrompts().size(), 5u);

  std::remove(program.c_str());
  std::remove(bank.c_str());
  rmdir(dir.c_str());
}

TEST_F(EditorTest, HelpMenuHandsTheManualAndTheVendorPagesToTheBrowser)
{
  const int items[] = {0, 2, 3, 5, 6, 7, 8};
  for (int i : items)
  {
    mGui->QueuePopupChoice({i});
    Click(804, 19);
  }
  const std::vector<std::string> expected = {std::string(TARVO_SKIN_DIR) +
                                                 "/Tarvo.vst3/Contents/Resources/Tarvo Manual.pdf",
                                             TARVO_VENDOR_URL,
                                             TARVO_SUPPORT_URL,
                                             TARVO_FACEBOOK_URL,
                                             TARVO_SOUNDCLOUD_URL,
                                             TARVO_TWITTER_URL,
                                             TARVO_YOUTUBE_URL};
  EXPECT_EQ(mGui->GetOpenedURLs(), expected);
  const std::vector<std::string> menu = {"User Manual", "-",        "Website",    "Support",
                                         "-",           "Facebook", "SoundCloud", "Twitter",
                                         "YouTube",     "-",        "Zoom",       "  100%\tchecked",
                                         "  125%",      "  150%",   "  175%",     "  200%"};
  EXPECT_EQ(mGui->GetPopups()[0].mLines, menu);

  Click(804, 19);                         // dismissed
  Click(804, 19, IMouseMod(false, true)); // right button: no menu
  EXPECT_EQ(mGui->GetOpenedURLs().size(), 7u);
  EXPECT_EQ(mGui->GetPopups().size(), 8u);
}

// The zoom belongs to the musician, not to the song: chosen in the help menu, it is kept in the
// user's configuration folder, and the plug-in's state and its program and bank files stay the
// same bytes.
TEST_F(EditorTest, ZoomFromTheHelpMenuIsTheUsersAndLeavesTheSongAlone)
{
  char tmpl[] = "/tmp/tarvo-zoom-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl;
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string savedHome = saved ? saved : "";
  setenv("XDG_CONFIG_HOME", dir.c_str(), 1);

  auto state = [&](bool component)
  {
    Steinberg::MemoryStream stream;
    if (component)
      static_cast<Steinberg::Vst::IComponent*>(mPlug)->getState(&stream);
    else
      static_cast<Steinberg::Vst::IEditController*>(mPlug)->getState(&stream);
    return std::string(stream.getData(), static_cast<size_t>(stream.getSize()));
  };
  auto files = [&](const std::string& tag)
  {
    const std::string fxp = dir + "/" + tag + ".fxp", fxb = dir + "/" + tag + ".fxb";
    EXPECT_TRUE(mPlug->SaveProgramAsFXP(StringBuf(fxp.c_str())));
    EXPECT_TRUE(mPlug->SaveBankAsFXB(StringBuf(fxb.c_str())));
    return ReadBytes(fxp) + "|" + ReadBytes(fxb);
  };
  SetFromGUI(kGain1 + 2, -4.5);
  const std::string component = state(true), controller = state(false), presets = files("before");

  mGui->QueuePopupChoice("Zoom/150%");
  Click(804, 19);
  EXPECT_EQ(150, mGui->GetZoomPercent());
  const std::string prefs = dir + "/Velkor Audio/Tarvo.conf";
  EXPECT_EQ("zoom=150\n", ReadBytes(prefs));
  Click(804, 19); // dismissed: the menu shows the zoom in use
  const std::vector<std::string>& lines = mGui->GetPopups().back().mLines;
  EXPECT_EQ("  150%\tchecked", lines[lines.size() - 3]);
  EXPECT_EQ("  100%", lines[lines.size() - 5]);

  EXPECT_EQ(component, state(true));
  EXPECT_EQ(controller, state(false));
  EXPECT_EQ(presets, files("after"));
  // Loading a program or a song's state keeps the zoom too.
  EXPECT_TRUE(mPlug->LoadProgramFromFXP(StringBuf((dir + "/before.fxp").c_str())));
  Steinberg::MemoryStream stream;
  stream.write(const_cast<char*>(component.data()), static_cast<Steinberg::int32>(component.size()),
               nullptr);
  stream.seek(0, Steinberg::IBStream::kIBSeekSet, nullptr);
  EXPECT_EQ(Steinberg::kResultOk,
            static_cast<Steinberg::Vst::IComponent*>(mPlug)->setState(&stream));
  EXPECT_EQ(150, mGui->GetZoomPercent());

  // A host that refuses the new size: nothing changes, nothing is remembered.
  struct Refusing : IPlatformViewHost
  {
    bool RequestDeviceSize(int, int) override { return false; }
  } refusing;
  mGui->SetViewHost(&refusing);
  ASSERT_NE(nullptr, mGui->OpenWindow(nullptr));
  mGui->QueuePopupChoice("Zoom/200%");
  Click(804, 19);
  EXPECT_EQ(150, mGui->GetZoomPercent());
  EXPECT_EQ("zoom=150\n", ReadBytes(prefs));
  mGui->CloseWindow();
  mGui->SetViewHost(nullptr);

  if (saved)
    setenv("XDG_CONFIG_HOME", savedHome.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
  std::system(("rm -rf '" + dir + "'").c_str());
}

TEST_F(EditorTest, ManualIsFoundInTheBundleHoldingTheModule)
{
  class BundledHost : public IGraphicsHeadless
  {
  public:
    using IGraphicsHeadless::IGraphicsHeadless;
    void HostPath(StringBuf* path) override
    {
      path->Set("/home/u/.vst3/Tarvo.vst3/Contents/x86_64-linux/Tarvo.so");
    }
  };
  BundledHost gui(mPlug, 10, 10);
  StringBuf path;
  HelpMenu::ManualPath(&gui, "Tarvo", &path);
  EXPECT_STREQ(path.Get(), "/home/u/.vst3/Tarvo.vst3/Contents/Resources/Tarvo Manual.pdf");
}

TEST_F(EditorTest, MetersAndCaptionsReceiveTheBlockRoutinesPeaks)
{
  std::vector<double> l(256, 0.0), r(256, 0.0), outL(256), outR(256);
  l[10] = 0.9;
  r[10] = -0.3;
  double* in[2] = {l.data(), r.data()};
  double* out[2] = {outL.data(), outR.data()};
  for (int block = 0; block < 2; ++block)
  {
    RecursiveMutex::Lock lock(mPlug->GetMutex());
    mPlug->ProcessDoubleReplacing(in, out, 256);
  }
  mGui->Tick();
  for (int ch = 0; ch < 2; ++ch)
  {
    EXPECT_DOUBLE_EQ(mGui->GetControl(39 + ch)->GetValue(), mPlug->GetInputMeter(ch));
    EXPECT_DOUBLE_EQ(mGui->GetControl(41 + ch)->GetValue(), mPlug->GetOutputMeter(ch));
    EXPECT_DOUBLE_EQ(mGui->GetControl(43 + ch)->GetValue(), mPlug->GetInputMeter(ch));
    EXPECT_DOUBLE_EQ(mGui->GetControl(45 + ch)->GetValue(), mPlug->GetOutputMeter(ch));
  }
  EXPECT_GT(mPlug->GetInputMeter(0), mPlug->GetInputMeter(1));
  EXPECT_STRNE(Control<ICaptionHoldValueControl>(43)->GetValueString(), "-inf. \n");
}

TEST_F(EditorTest, AboutPageOpensFromItsButtonAndClosesOnAnyClick)
{
  auto* about = Control<IBitmapOverlayControl>(55);
  Click(20, 420); // nothing there
  EXPECT_DOUBLE_EQ(about->GetValue(), 0.0);
  Click(832, 18);
  mGui->Tick();
  EXPECT_DOUBLE_EQ(about->GetValue(), 1.0);
  Click(100, 400);
  mGui->Tick();
  EXPECT_DOUBLE_EQ(about->GetValue(), 0.0);
}
} // namespace
