#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "framework/core/IParam.h"

namespace
{
std::string Show(const IParam& p, double value, bool normalized = false)
{
  char out[IParam::kDisplayLen];
  p.GetDisplayForHost(value, normalized, out);
  return out;
}
// A double parameter (parameters are not copied: their value is atomic).
struct Double : IParam
{
  explicit Double(double step, double lo = -10, double hi = 10)
  {
    InitDouble("x", 0, lo, hi, step);
  }
};
} // namespace

TEST(IParam, BoolShowsWordsWithoutUnitAndNamesAreCut)
{
  IParam p;
  p.InitBool("a name that is far longer than thirty-one characters", false, "unit");
  EXPECT_EQ(31u, std::strlen(p.GetNameForHost()));
  EXPECT_EQ(0.0, p.Value());
  EXPECT_EQ("on", Show(p, 1.0, true));
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
  IParam i, e;
  i.InitInt("i", 5, 3, 3);
  e.InitEnum("e", 0, 1);
  EXPECT_EQ(4.0, i.GetMax());
  EXPECT_EQ(1.0, e.GetMax());
  EXPECT_EQ(10.5, Double(0.5, 10, 5).GetMax()); // an inverted range too
}

TEST(IParam, DisplayPrecisionFollowsTheStepAndRounds)
{
  EXPECT_EQ(1, Double(0.1).GetPrecision());
  EXPECT_EQ(2, Double(0.01).GetPrecision());
  EXPECT_EQ(6, Double(1.0 / 3.0).GetPrecision());
  EXPECT_EQ("-3.3", Show(Double(0.1), -3.26));
  EXPECT_EQ("-3", Show(Double(1), -3.26));
  // Values a float round trip leaves just below a whole number show as that number.
  IParam hz;
  hz.InitDouble("Frequency", 1000, 20, 20000, 1, "Hz", "", 2.3);
  EXPECT_EQ("65", Show(hz, 64.99999));
  EXPECT_EQ("380", Show(hz, 379.99999999999994));
  EXPECT_EQ("16000", Show(hz, hz.GetNormalized(15999.9999), true));
  EXPECT_EQ("-4", Show(Double(1), -3.5));        // halves away from zero
  EXPECT_EQ("0.00", Show(Double(0.01), -0.001)); // never "-0.00"
  // Huge values print without overflowing the buffer or the int conversion.
  EXPECT_EQ("2147483647", Show(Double(1), 1e300));
}

TEST(IParam, DisplayTextWhereTheShownValueIsItsKey)
{
  IParam gain;
  gain.InitDouble("Input Gain", 0, -72, 6, 0.01, "dB", "Amp", 0.115);
  gain.SetDisplayText(-72, "-inf.");
  EXPECT_EQ("-inf.", Show(gain, -72.0));
  EXPECT_EQ("-71.90", Show(gain, -71.9));
  EXPECT_EQ("-71.99", Show(gain, -71.99));
  EXPECT_EQ("-inf.", Show(gain, -71.999999)); // what the display rounds to -72 is -72
  EXPECT_STREQ("dB", gain.GetLabelForHost());
  gain.Set(-71.9999999);
  EXPECT_STREQ("", gain.GetLabelForHost());
  IParam mix;
  mix.InitDouble("Mix", 50, 0, 100, 0.1, "%");
  mix.SetDisplayText(0, "Dry");
  EXPECT_EQ("0.5", Show(mix, 0.5)); // shown as 0.5, not as "Dry"
  EXPECT_EQ("Dry", Show(mix, 0.04));
  IParam on;
  on.InitBool("b", false);
  EXPECT_EQ("on", Show(on, 0.9999999));
  gain.SetDisplayText(-72, "other"); // a second text for the key is found but not shown
  EXPECT_EQ("-inf.", Show(gain, -72.0));
  int key = 0;
  EXPECT_TRUE(gain.MapDisplayText("other", &key));
  EXPECT_EQ(-72, key);
}

TEST(IParam, NormalisationCurvesHoldEveryValueInRange)
{
  IParam i;
  i.InitInt("i", 0, 0, 10);
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
  f.SetNormalized(7.0);
  EXPECT_EQ(20000.0, f.Value());
  f.SetNormalized(std::nan(""));
  EXPECT_EQ(20.0, f.Value());
  f.Set(20000.0);
  f.Set(std::nan(""));
  EXPECT_EQ(20.0, f.Value());
}

TEST(IParam, TypedTextBecomesAValue)
{
  IParam b;
  b.InitBool("b", false);
  EXPECT_EQ(1.0, b.ValueFromText("on"));
  EXPECT_EQ(0.0, b.ValueFromText("yes"));
  Double d(0.01, -18, 18);
  EXPECT_EQ(-3.5, d.ValueFromText("-3.5 dB"));
  EXPECT_EQ(0.0, d.ValueFromText("loud"));
  d.NegateDisplay();
  EXPECT_EQ(3.5, d.ValueFromText("-3.5"));
}
