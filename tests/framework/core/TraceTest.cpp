#include "framework/core/Trace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "framework/core/MidiMsg.h"

namespace
{
std::vector<std::string> gLines;
void Capture(const char* tag, int line, const char* message)
{
  gLines.push_back(std::string(tag) + "@" + std::to_string(line) + " " + message);
}

std::tm Moment(int year, int yday, int hour, int minute)
{
  std::tm t{};
  t.tm_year = year, t.tm_yday = yday, t.tm_hour = hour, t.tm_min = minute;
  return t;
}
} // namespace

TEST(Trace, SilentUntilAHookIsInstalled)
{
  gLines.clear();
  ASSERT_EQ(SetTraceHook(nullptr), nullptr);
  Trace("SetParameterFromGUI", 12, "%d:%f", 3, 0.5);
  EXPECT_TRUE(gLines.empty());

  SetTraceHook(Capture);
  Trace("SetParameterFromGUI", 12, "%d:%f", 3, 0.5);
  IMidiMsg(0, 0x92, 60, 100).LogMsg();
  Trace("Long", 1, "%s", std::string(5000, 'a').c_str()); // cut, not overrun
  EXPECT_EQ(SetTraceHook(nullptr), Capture);
  ASSERT_EQ(gLines.size(), 3u);
  EXPECT_EQ(gLines[0], "SetParameterFromGUI@12 3:0.500000");
  EXPECT_NE(gLines[1].find("noteon"), std::string::npos);
  EXPECT_EQ(gLines[2].size(), std::string("Long@1 ").size() + 1023);
}

TEST(Trace, UtcOffsetCorrectsForTheDayAndTheYear)
{
  EXPECT_EQ(UtcOffsetMinutes(Moment(115, 100, 9, 0), Moment(115, 100, 14, 30)), -330);
  // Local already tomorrow: +2 h, not -22 h; and the other way round.
  EXPECT_EQ(UtcOffsetMinutes(Moment(115, 101, 1, 0), Moment(115, 100, 23, 0)), 120);
  EXPECT_EQ(UtcOffsetMinutes(Moment(115, 100, 20, 0), Moment(115, 101, 3, 0)), -420);
  // Across New Year the day of the year wraps.
  EXPECT_EQ(UtcOffsetMinutes(Moment(116, 0, 0, 30), Moment(115, 364, 23, 30)), 60);
  EXPECT_EQ(UtcOffsetMinutes(Moment(115, 364, 23, 30), Moment(116, 0, 0, 30)), -60);

  const char* old = std::getenv("TZ");
  const std::string saved = old ? old : "";
  setenv("TZ", "XYZ-5:30", 1); // POSIX sign: 5:30 east of UTC
  tzset();
  const std::string now = CurrentTime(); // "YYYYMMDD HH:MM +0530"
  old ? setenv("TZ", saved.c_str(), 1) : unsetenv("TZ");
  tzset();
  ASSERT_EQ(now.size(), 20u) << now;
  EXPECT_TRUE(now[8] == ' ' && now[11] == ':' && now.substr(14) == " +0530") << now;
}

TEST(Trace, Timestamps)
{
  char stamp[kCompileTimestampSize];
  CompileTimestamp("Dec 03 2015", "14:05:33", stamp);
  EXPECT_STREQ(stamp, "[Dec03 14:05]");
  CompileTimestamp("Dec", "", stamp); // short texts give a short stamp
  EXPECT_STREQ(stamp, "[Dec ]");
  EXPECT_STREQ(AppendTimestamp("Dec 03 2015", "14:05:33", "Tarvo"), "Tarvo [Dec03 14:05]");

  Timer timer;
  EXPECT_FALSE(timer.Every(1000.0));
  for (const std::clock_t start = std::clock(); std::clock() - start < 2000;) // 2 ms of CPU
  {
  }
  EXPECT_TRUE(timer.Every(0.001));
  EXPECT_FALSE(timer.Every(0.5)); // restarted
}

TEST(Trace, TextHelpers)
{
  EXPECT_TRUE(IsWhitespace('\r') && !IsWhitespace('\v'));
  char out[8];
  ToLower(out, "ABCDEFGH\xC4", sizeof out); // cut to 7; no undefined behaviour above 127
  EXPECT_STREQ(out, "abcdefg");
}
