#include <cmath>

#include <gtest/gtest.h>

#include "framework/core/IParam.h"

TEST(IParam, BoolShowsWordsWithoutUnit)
{
  IParam p;
  p.InitBool("Phase", false, "unit");
  EXPECT_EQ(0.0, p.Value());
  char out[IParam::kDisplayLen];
  p.GetDisplayForHost(1.0, true, out, true);
  EXPECT_STREQ("on", out);
  EXPECT_STREQ("", p.GetLabelForHost());
  int key = -1;
  EXPECT_FALSE(p.MapDisplayText("ON", &key));
  EXPECT_TRUE(p.MapDisplayText("on", &key));
  EXPECT_EQ(1, key);
  p.Set(0.5);
  EXPECT_TRUE(p.Bool());
}

TEST(IParam, RangesAreWidenedToAtLeastOneStep)
{
  IParam i;
  i.InitInt("i", 5, 3, 3);
  EXPECT_EQ(4.0, i.GetMax());
  IParam e;
  e.InitEnum("e", 0, 1);
  EXPECT_EQ(1.0, e.GetMax());
  IParam d;
  d.InitDouble("d", 0, 10, 5, 0.5);
  EXPECT_EQ(10.5, d.GetMax());
}

TEST(IParam, DisplayPrecisionFollowsTheStepAndTruncates)
{
  char out[IParam::kDisplayLen];
  IParam tenth;
  tenth.InitDouble("x", 0, -10, 10, 0.1);
  EXPECT_EQ(1, tenth.GetPrecision());
  tenth.GetDisplayForHost(-3.26, false, out);
  EXPECT_STREQ("-3.3", out);
  IParam whole;
  whole.InitDouble("x", 0, -10, 10, 1);
  whole.GetDisplayForHost(-3.26, false, out);
  EXPECT_STREQ("-3", out);
  IParam hundredth;
  hundredth.InitDouble("x", 0, -10, 10, 0.01);
  EXPECT_EQ(2, hundredth.GetPrecision());
  IParam odd;
  odd.InitDouble("x", 0, 0, 1, 1.0 / 3.0);
  EXPECT_EQ(6, odd.GetPrecision());
  // Huge values print without overflowing the buffer or the int conversion.
  whole.GetDisplayForHost(1e300, false, out);
  EXPECT_STREQ("2147483647", out);
}

TEST(IParam, DisplayTextOnlyAtItsExactKey)
{
  IParam gain;
  gain.InitDouble("Input Gain", 0, -72, 6, 0.01, "dB", "Amp", 0.115);
  gain.SetDisplayText(-72, "-inf.");
  char out[IParam::kDisplayLen];
  gain.GetDisplayForHost(-72.0, false, out);
  EXPECT_STREQ("-inf.", out);
  gain.GetDisplayForHost(-71.9, false, out);
  EXPECT_STREQ("-71.90", out);
  gain.SetDisplayText(-72, "other");
  gain.GetDisplayForHost(-72.0, false, out);
  EXPECT_STREQ("-inf.", out);
  int key = 0;
  EXPECT_TRUE(gain.MapDisplayText("other", &key));
  EXPECT_EQ(-72, key);
}

TEST(IParam, NormalisationCurves)
{
  IParam i;
  i.InitInt("i", 0, 0, 10);
  i.SetNormalized(0.5);
  EXPECT_EQ(5.0, i.Value());
  i.SetNormalized(0.46);
  EXPECT_EQ(5.0, i.Value());

  IParam f;
  f.InitDouble("Frequency", 20000, 20, 20000, 1, "Hz", "", 2.3);
  f.SetNormalized(0.5);
  EXPECT_DOUBLE_EQ(20 + std::pow(0.5, 2.3) * 19980, f.Value());
  EXPECT_NEAR(0.5, f.GetNormalized(), 1e-12);
  EXPECT_EQ(0.0, f.GetNormalized(-5));
  EXPECT_EQ(1.0, f.GetNormalized(1e9));

  f.SetShape(0);
  EXPECT_EQ(2.3, f.GetShape());

  // Whatever a host sends stays inside the range.
  f.SetNormalized(std::nan(""));
  EXPECT_EQ(20.0, f.Value());
  f.SetNormalized(7.0);
  EXPECT_EQ(20000.0, f.Value());
  f.Set(std::nan(""));
  EXPECT_EQ(20.0, f.Value());
}

TEST(IParam, NamesAreCutToFit)
{
  IParam p;
  p.InitBool("a name that is far longer than thirty-one characters", false);
  EXPECT_EQ(31u, std::strlen(p.GetNameForHost()));
}

TEST(IParam, TypedTextBecomesAValue)
{
  IParam b;
  b.InitBool("b", false);
  EXPECT_EQ(1.0, b.ValueFromText("on"));
  EXPECT_EQ(0.0, b.ValueFromText("yes"));
  IParam d;
  d.InitDouble("d", 0, -18, 18, 0.01);
  EXPECT_EQ(-3.5, d.ValueFromText("-3.5 dB"));
  EXPECT_EQ(0.0, d.ValueFromText("loud"));
  d.NegateDisplay();
  EXPECT_EQ(3.5, d.ValueFromText("-3.5"));
}
