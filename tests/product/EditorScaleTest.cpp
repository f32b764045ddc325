// The product's editor at the device scales hosts hand over: its size in device pixels, every
// control answering where it is drawn, golden pictures at 1.5 and 2 within a tolerance, and a
// 2x picture that is drawn at 2x rather than the 1x one enlarged.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "framework/core/IParam.h"
#include "framework/gui/IControl.h"
#include "framework/gui/IGraphicsCaches.h"
#include "framework/platform/headless/IGraphicsHeadless.h"
#include "product/Tarvo.h"
#include "raster/Raster.h"

namespace
{
constexpr float kScales[] = {1.0f, 1.25f, 1.5f, 1.75f, 2.0f, 2.5f, 3.0f};

class EditorScale : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mPlug = new Tarvo(IInstanceInfo(), HeadlessGraphicsFactory(TARVO_SKIN_DIR));
    mGui = dynamic_cast<IGraphicsHeadless*>(mPlug->GetGUI());
    ASSERT_NE(mGui, nullptr);
  }
  void TearDown() override
  {
    if (mPlug) mPlug->release();
  }

  void DrawAt(float scale)
  {
    mGui->SetContentScale(scale);
    mGui->DrawAll();
  }
  // A copy of the device pixels of logical area r.
  std::unique_ptr<RasterMemBitmap> Crop(const IRECT& r)
  {
    const IRECT d = mGui->DeviceRect(r);
    auto out = std::make_unique<RasterMemBitmap>(d.W(), d.H(), 4);
    RasterBlit(out.get(), mGui->GetDrawBitmap(), 0, 0, d.L, d.T, d.W(), d.H(), 1.0f, 0);
    return out;
  }

  Tarvo* mPlug = nullptr;
  IGraphicsHeadless* mGui = nullptr;
};

// The smallest device rectangle holding every pixel that differs between two surfaces.
IRECT ChangedArea(RasterBitmap& a, RasterBitmap& b)
{
  IRECT box(1 << 30, 1 << 30, -1, -1);
  const size_t w = static_cast<size_t>(a.getWidth());
  for (int y = 0; y < a.getHeight(); ++y)
  {
    const RasterPixel* ra = a.getBits() + static_cast<size_t>(y) * a.getRowSpan();
    const RasterPixel* rb = b.getBits() + static_cast<size_t>(y) * b.getRowSpan();
    if (std::memcmp(ra, rb, w * sizeof(RasterPixel)) == 0) continue;
    for (int x = 0; x < a.getWidth(); ++x)
      if (ra[x] != rb[x])
      {
        box.L = std::min(box.L, x);
        box.T = std::min(box.T, y);
        box.R = std::max(box.R, x + 1);
        box.B = std::max(box.B, y + 1);
      }
  }
  return box.R < 0 ? IRECT() : box;
}

TEST_F(EditorScale, EveryScaleHasItsDeviceSizeAndControlsAnswerWhereTheyAreDrawn)
{
  // Parameter, and the control index it is drawn by: knobs, switches, the fader.
  const struct
  {
    int mParam, mControl;
    double mValue;
  } probes[] = {{0, 1, 0.9},   {15, 16, 0.1}, {19, 20, 1.0}, {28, 29, 1.0},
                {37, 36, 1.0}, {32, 37, 0.2}, {38, 47, 0.3}};
  for (const float s : kScales)
  {
    SCOPED_TRACE(s);
    DrawAt(s);
    int w = 0, h = 0;
    mGui->GetDeviceSize(&w, &h);
    EXPECT_EQ(std::lround(1030 * s), w);
    EXPECT_EQ(std::lround(436 * s), h);
    ASSERT_EQ(w, mGui->GetDrawBitmap()->getWidth());
    ASSERT_EQ(h, mGui->GetDrawBitmap()->getHeight());
    RasterMemBitmap before(w, h, 4);
    for (const auto& p : probes)
    {
      SCOPED_TRACE(p.mParam);
      RasterCopy(&before, mGui->GetDrawBitmap());
      mGui->SetParameterFromPlug(p.mParam, p.mValue, true);
      ASSERT_TRUE(mGui->Tick());
      const IRECT changed = ChangedArea(before, *mGui->GetDrawBitmap());
      ASSERT_FALSE(changed.Empty());
      // Drawn inside the control's own device area...
      const IRECT own = mGui->DeviceRect(*mGui->GetControl(p.mControl)->GetRECT());
      EXPECT_EQ(own, own.Union(changed));
      // ...and a press at the middle of what changed, a device position as a window reports it,
      // reaches that control's parameter.
      const int x = mGui->LogicalCoord((changed.L + changed.R) / 2);
      const int y = mGui->LogicalCoord((changed.T + changed.B) / 2);
      EXPECT_EQ(p.mParam, mGui->GetParamIdxForPTAutomation(x, y));
      mGui->SetParameterFromPlug(
          p.mParam, mPlug->GetParam(p.mParam)->GetNormalized(mPlug->GetParam(p.mParam)->Value()),
          true);
      mGui->Tick();
    }
  }
}

// Compares with a checked-in picture (TARVO_UPDATE_GOLDEN=1 writes it instead). Text and
// resampled edges may move by a shade between font and compiler versions; shapes may not.
::testing::AssertionResult NearGolden(const RasterBitmap& actual, const std::string& name)
{
  const std::string path = std::string(TARVO_GOLDEN_DIR) + "/" + name + ".png";
  const char* update = std::getenv("TARVO_UPDATE_GOLDEN");
  if (update && std::string(update) == "1")
  {
    if (RasterWritePNG(&actual, path.c_str())) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "cannot write " << path;
  }
  std::unique_ptr<RasterMemBitmap> expected(RasterLoadPNG(path.c_str()));
  if (!expected) return ::testing::AssertionFailure() << "missing " << path;
  if (expected->getWidth() != actual.getWidth() || expected->getHeight() != actual.getHeight())
    return ::testing::AssertionFailure() << name << ": size differs";
  long total = 0, far = 0;
  const long n = static_cast<long>(actual.getWidth()) * actual.getHeight();
  for (int y = 0; y < actual.getHeight(); ++y)
    for (int x = 0; x < actual.getWidth(); ++x)
    {
      const RasterPixel a = RasterGetPixel(&actual, x, y), e = RasterGetPixel(expected.get(), x, y);
      int worst = 0;
      for (int shift = 8; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(int(a >> shift & 0xFF) - int(e >> shift & 0xFF)));
      total += worst;
      far += worst > 24 ? 1 : 0;
    }
  const std::string out = std::string(TARVO_TEST_OUT_DIR) + "/" + name + ".actual.png";
  if (total > n || far * 200 > n)
  {
    RasterWritePNG(&actual, out.c_str());
    return ::testing::AssertionFailure() << name << ": mean difference " << double(total) / n
                                         << ", " << far << " pixels far off; see " << out;
  }
  return ::testing::AssertionSuccess();
}

TEST_F(EditorScale, BandAndMeterPicturesMatchTheGoldensAtOneAndAHalfAndTwo)
{
  // Band 1 (gain knob and value, frequency knob, both switches) and the input meters with their
  // readouts, after a preset with varied values.
  ASSERT_TRUE(mPlug->RestorePreset("Bombada"));
  for (const float s : {1.5f, 2.0f})
  {
    DrawAt(s);
    const std::string tag = s == 1.5f ? "1_5" : "2";
    EXPECT_TRUE(NearGolden(*Crop(IRECT(40, 60, 136, 360)), "band1_" + tag));
    EXPECT_TRUE(NearGolden(*Crop(IRECT(824, 52, 915, 352)), "input_" + tag));
  }
}

// 2 x 2 blocks (at even device positions) whose pixels are not all alike: none in a picture
// that is the 1x one with its pixels doubled.
int UnevenBlocks(const RasterBitmap& b)
{
  int n = 0;
  for (int y = 0; y + 1 < b.getHeight(); y += 2)
    for (int x = 0; x + 1 < b.getWidth(); x += 2)
    {
      const RasterPixel p = RasterGetPixel(&b, x, y);
      n += (RasterGetPixel(&b, x + 1, y) != p || RasterGetPixel(&b, x, y + 1) != p ||
            RasterGetPixel(&b, x + 1, y + 1) != p)
               ? 1
               : 0;
    }
  return n;
}

TEST_F(EditorScale, TwoTimesIsDrawnAtTwoTimesNotEnlarged)
{
  DrawAt(1.0f);
  const std::unique_ptr<RasterMemBitmap> one = Crop(IRECT(0, 0, 1030, 436));
  DrawAt(2.0f);
  // The band 1 gain knob's outline, and its value text.
  const IRECT knob(60, 73, 109, 128), text(54, 128, 115, 144);
  const std::unique_ptr<RasterMemBitmap> knob2 = Crop(knob), text2 = Crop(text);
  EXPECT_GT(UnevenBlocks(*knob2), knob.W() * knob.H() / 10);
  EXPECT_GT(UnevenBlocks(*text2), 40);
  // Against the 1x picture doubled: edges differ wherever they fall inside a 1x pixel.
  int differ = 0;
  for (int y = 0; y < text2->getHeight(); ++y)
    for (int x = 0; x < text2->getWidth(); ++x)
      differ += RasterGetPixel(text2.get(), x, y) !=
                        RasterGetPixel(one.get(), text.L + x / 2, text.T + y / 2)
                    ? 1
                    : 0;
  EXPECT_GT(differ, 100);
}

// A user stepping through zooms keeps only the images of the scale the editor draws at now, and
// closing the editor lets those go too.
TEST_F(EditorScale, ZoomStepsKeepOnlyTheImagesOfTheScaleDrawnAt)
{
  for (const float s : {1.25f, 1.5f, 1.75f, 2.0f})
  {
    DrawAt(s);
    EXPECT_GT(s_deviceBitmapCache.GetSize(s), 0) << "scale " << s;
    EXPECT_EQ(s_deviceBitmapCache.GetSize(s), s_deviceBitmapCache.GetSize()) << "scale " << s;
  }
  mGui->DetachFromParent();
  EXPECT_EQ(0u, s_deviceBitmapCache.GetBytes());
  DrawAt(2.0f);
  EXPECT_GT(s_deviceBitmapCache.GetSize(2.0f), 0);
  mPlug->release();
  mPlug = nullptr;
  EXPECT_EQ(0u, s_deviceBitmapCache.GetBytes());
}
} // namespace
