#include <gtest/gtest.h>

#include "common/HeapBuf.h"
#include "common/StringBuf.h"

TEST(HeapBuf, GrowthRuleAndEmptyState)
{
  HeapBuf b(4096);
  EXPECT_EQ(nullptr, b.Get());
  ASSERT_NE(nullptr, b.Resize(312));
  // Half the request rounded down to the granularity, at least one granule, plus slack.
  EXPECT_EQ(4096 - 96, b.GetAllocated());
  b.Resize(100000);
  EXPECT_EQ((100000 + 49152 + 96) / 4096 * 4096 - 96, b.GetAllocated());
  b.Resize(90000); // most of it still used: no shrink
  EXPECT_EQ((100000 + 49152 + 96) / 4096 * 4096 - 96, b.GetAllocated());
  b.Resize(10);
  EXPECT_EQ(10, b.GetAllocated());
  b.Resize(0);
  EXPECT_EQ(nullptr, b.Get());
  EXPECT_EQ(0, b.GetAllocated());
}

TEST(HeapBuf, AFailedGrowthKeepsTheOldBuffer)
{
  TypedBuf<double> t;
  ASSERT_NE(nullptr, t.Resize(4));
  t.Get()[3] = 1.5;
  EXPECT_EQ(nullptr, t.Resize(0x7FFFFFFF)); // more bytes than an int can count
  EXPECT_EQ(nullptr, t.Resize(-1));
  EXPECT_EQ(4, t.GetSize());
  EXPECT_EQ(1.5, t.Get()[3]);
}

TEST(StringBuf, FormattingIsCutToTheLimit)
{
  StringBuf s;
  EXPECT_STREQ("", s.Get());
  s.SetFormatted(5, "%s %d", "user preset", 2);
  EXPECT_STREQ("user ", s.Get());
  s.Set(nullptr);
  EXPECT_STREQ("", s.Get());
  char fixed[4];
  CopyCString(fixed, "abcdef", sizeof fixed);
  EXPECT_STREQ("abc", fixed);
}
