// The editor's layout: 1030 x 436 pixels, the band columns 95 pixels apart on the left, meters,
// in/out gains and the mix on the right, the preset browser and help along the top.

#include "controls/captionHoldValue.h"
#include "controls/help.h"
#include "controls/knobFaderControlText.h"
#include "controls/knobMultiControlText.h"
#include "controls/peakMeter.h"
#include "controls/presetDisplay.h"
#include "controls/presetFunctionsMenu.h"
#include "framework/gui/IGraphics.h"
#include "framework/gui/ISwitchControls.h"
#include "product/Tarvo.h"
#include "product/VendorInfo.h"

namespace
{
enum EImageId
{
  kBackgroundId = 102,
  kAboutId = 103,
  kNextId = 104,
  kPrevId = 105,
  kSaveId = 107,
  kUndoId = 108,
  kBandwidthId = 201,
  kSwitchId = 202,
  kBandGainId = 203,
  kFrequencyId = 204,
  kMixHandleId = 205,
  kInOutGainId = 206,
  kBandBypassId = 207,
};

constexpr int kEditorW = 1030;
constexpr int kEditorH = 436;
constexpr int kColumn = 95;
constexpr int kFrames = 201;
} // namespace

void Tarvo::MakeEditor(const GraphicsFactory& makeGraphics)
{
  IGraphics* gui = makeGraphics(this, kEditorW, kEditorH, 0);
  if (!gui) return;

  gui->AttachBackground(kBackgroundId, "resources/img/bg.png");
  IBitmap bandGain = gui->LoadIBitmap(kBandGainId, "resources/img/knob_s_w.png", kFrames);
  IBitmap inOutGain = gui->LoadIBitmap(kInOutGainId, "resources/img/knob_s_wb.png", kFrames);
  IBitmap frequency = gui->LoadIBitmap(kFrequencyId, "resources/img/knob_b_b.png", kFrames);
  IBitmap bandwidth = gui->LoadIBitmap(kBandwidthId, "resources/img/sw.png", 2);
  IBitmap bandBypass = gui->LoadIBitmap(kBandBypassId, "resources/img/swg.png", 2);
  IBitmap toggle = gui->LoadIBitmap(kSwitchId, "resources/img/switch.png", 2);
  IBitmap mixHandle = gui->LoadIBitmap(kMixHandleId, "resources/img/slider.png", 1);
  IBitmap prev = gui->LoadIBitmap(kPrevId, "resources/img/arrow_pt_left.png", 2);
  IBitmap next = gui->LoadIBitmap(kNextId, "resources/img/arrow_pt_right.png", 2);
  IBitmap save = gui->LoadIBitmap(kSaveId, "resources/img/pm_save.png", 2);
  IBitmap undo = gui->LoadIBitmap(kUndoId, "resources/img/pm_undo.png", 2);
  IBitmap about = gui->LoadIBitmap(kAboutId, "resources/img/about.png", 1);

  const IText knobText(14, &COLOR_WHITE, "Exo", IText::kTextRegular, IText::kAlignMiddle, 0,
                       IText::kQualitySmooth);
  const IText leftText(14, &COLOR_WHITE, "Exo", IText::kTextRegular, IText::kAlignLeft, 0,
                       IText::kQualitySmooth);
  const IText rightText(14, &COLOR_WHITE, "Exo", IText::kTextRegular, IText::kAlignRight, 0,
                        IText::kQualitySmooth);

  for (int k = 0; k < kNumBands; ++k)
    gui->AttachControl(
        new IKnobMultiControlText(this, IRECT(60 + kColumn * k, 73, 109 + kColumn * k, 144),
                                  kGain1 + k, &bandGain, &knobText, 0, 6));
  for (int k = 0; k < kNumBands; ++k)
    gui->AttachControl(
        new IKnobMultiControlText(this, IRECT(49 + kColumn * k, 173, 120 + kColumn * k, 267),
                                  kFrequency1 + k, &frequency, &knobText, 2, 0));
  for (int k = 0; k < kNumBands; ++k)
    gui->AttachControl(
        new ISwitchControl(this, 42 + kColumn * k, 283, kBandwidth1 + k, &bandwidth));
  for (int k = 0; k < kNumBands; ++k)
    gui->AttachControl(
        new ISwitchControl(this, 42 + kColumn * k, 323, kBandBypass1 + k, &bandBypass));

  gui->AttachControl(new ISwitchControl(this, 98, 386, kBypass, &toggle));
  gui->AttachControl(new ISwitchControl(this, 240, 386, kLeftBypass, &toggle));
  gui->AttachControl(new ISwitchControl(this, 342, 386, kRightBypass, &toggle));
  gui->AttachControl(new ISwitchControl(this, 696, 386, kPhase, &toggle));

  gui->AttachControl(new IKnobMultiControlText(this, IRECT(845, 278, 894, 349), kInputGain,
                                               &inOutGain, &knobText, 0, 6));
  gui->AttachControl(new IKnobMultiControlText(this, IRECT(941, 278, 990, 349), kOutputGain,
                                               &inOutGain, &knobText, 0, 6));

  // Input left and right, output left and right: the order the block routine sends its peaks.
  const IRECT meters[4] = {IRECT(848, 73, 868, 241), IRECT(870, 73, 890, 241),
                           IRECT(944, 73, 964, 241), IRECT(966, 73, 986, 241)};
  for (int i = 0; i < 4; ++i)
    mMeterControls[i] = gui->AttachControl(new IPeakMeterVert(this, meters[i], &COLOR_RED));
  const IRECT captions[4] = {IRECT(826, 56, 866, 74), IRECT(872, 56, 912, 74),
                             IRECT(922, 56, 962, 74), IRECT(968, 56, 1007, 74)};
  for (int i = 0; i < 4; ++i)
    mMeterControls[4 + i] = gui->AttachControl(
        new ICaptionHoldValueControl(this, captions[i], i % 2 == 0 ? &leftText : &rightText));

  gui->AttachControl(
      new IFaderControlText(this, 768, 379, 186, kMix, &mixHandle, &leftText, kDirHorizontal));

  gui->AttachControl(new PresetFunctionsMenu(this, IRECT(355, 6, 380, 30), &COLOR_BLUE));
  gui->AttachControl(new IPrevPreset(this, 390, 11, &prev));
  gui->AttachControl(new INextPreset(this, 405, 11, &next));
  gui->AttachControl(new IPresetMenu(this, IRECT(430, 3, 620, 28), 1, &COLOR_WHITE));
  gui->AttachControl(new ISavePreset(this, 630, 10, &save));
  gui->AttachControl(new IUndoPreset(this, 658, 10, &undo));
  const HelpLinks links = {TARVO_VENDOR_URL,     TARVO_SUPPORT_URL, TARVO_FACEBOOK_URL,
                           TARVO_SOUNDCLOUD_URL, TARVO_TWITTER_URL, TARVO_YOUTUBE_URL};
  gui->AttachControl(new HelpMenu(this, IRECT(793, 9, 816, 30), links, &COLOR_BLUE));
  gui->AttachControl(new IBitmapOverlayControl(this, 0, 0, &about, IRECT(820, 9, 845, 28)));

  AttachGraphics(gui);
}
