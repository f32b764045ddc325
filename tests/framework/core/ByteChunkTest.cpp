#include <climits>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "common/StringBuf.h"
#include "framework/core/Base64.h"
#include "framework/core/ByteChunk.h"

TEST(ByteChunk, EmptyChunkHasNullDataAndFailsEveryRead)
{
  ByteChunk c;
  EXPECT_EQ(nullptr, c.GetBytes());
  int v = 7;
  EXPECT_EQ(-1, c.Get(&v, 0));
  EXPECT_EQ(7, v);
  bool b = true;
  EXPECT_EQ(-1, c.GetBool(&b, 0));
}

TEST(ByteChunk, TypedValuesRoundTripAndPositionsChain)
{
  ByteChunk c;
  EXPECT_EQ(4, c.Put(42));
  EXPECT_EQ(12, c.Put(-2.5));
  EXPECT_EQ(13, c.PutBool(true));
  EXPECT_EQ(22, c.PutStr("hello"));
  int i = 0;
  double d = 0;
  bool b = false;
  StringBuf s;
  int pos = c.Get(&i, 0);
  pos = c.Get(&d, pos);
  pos = c.GetBool(&b, pos);
  pos = c.GetStr(s, pos);
  EXPECT_EQ(22, pos);
  EXPECT_EQ(42, i);
  EXPECT_EQ(-2.5, d);
  EXPECT_TRUE(b);
  EXPECT_STREQ("hello", s.Get());
  // A failed read poisons every later one.
  EXPECT_EQ(-1, c.Get(&i, c.Get(&d, 20)));
  EXPECT_EQ(-1, c.Get(&i, -1));
}

TEST(ByteChunk, GrowsInLargeStepsAndKeepsContents)
{
  ByteChunk c;
  for (int i = 0; i < 20000; ++i)
    c.Put(i);
  ASSERT_EQ(80000, c.Size());
  for (int i = 0; i < 20000; i += 997)
  {
    int v = -1;
    EXPECT_EQ(i * 4 + 4, c.Get(&v, i * 4));
    EXPECT_EQ(i, v);
  }
  c.Resize(10);
  EXPECT_EQ(10, c.Size());
  c.Clear();
  EXPECT_EQ(nullptr, c.GetBytes());
}

TEST(ByteChunk, GetStrHandlesDamagedLengths)
{
  StringBuf s("keep");
  {
    ByteChunk c;
    c.Put(0);
    EXPECT_EQ(4, c.GetStr(s, 0));
    EXPECT_STREQ("keep", s.Get());
  }
  {
    // Runs past the end: position after the claimed text, text untouched, next read fails.
    ByteChunk c;
    c.Put(100);
    c.PutBytes("abc", 3);
    EXPECT_EQ(104, c.GetStr(s, 0));
    EXPECT_STREQ("keep", s.Get());
    int v;
    EXPECT_EQ(-1, c.Get(&v, 104));
  }
  {
    // A length near the int limit must not wrap the position around to something readable.
    ByteChunk c;
    c.PutBytes("xxxx", 4);
    c.Put(INT_MAX - 2);
    EXPECT_EQ(-1, c.GetStr(s, 4));
    ByteChunk neg;
    neg.Put(-8);
    EXPECT_EQ(-1, neg.GetStr(s, 0));
  }
  {
    // Text stops at the first zero byte inside the stored length.
    ByteChunk c;
    c.Put(5);
    c.PutBytes("ab\0cd", 5);
    EXPECT_EQ(9, c.GetStr(s, 0));
    EXPECT_STREQ("ab", s.Get());
    // ... and at the end of the chunk when there is none.
    ByteChunk end;
    end.Put(3);
    end.PutBytes("xyz", 3);
    EXPECT_EQ(7, end.GetStr(s, 0));
    EXPECT_STREQ("xyz", s.Get());
  }
}

TEST(ByteChunk, VersionHeader)
{
  ByteChunk c;
  c.Put(99);
  InitChunkWithFrameworkVer(c);
  ASSERT_EQ(8, c.Size());
  EXPECT_EQ(0, std::memcmp(c.GetBytes(), "tffp\0\0\x01\0", 8));
  int pos = 0;
  EXPECT_EQ(0x00010000, GetFrameworkVerFromChunk(c, pos));
  EXPECT_EQ(8, pos);
  ByteChunk other;
  other.Put(1.0);
  pos = 0;
  EXPECT_EQ(0, GetFrameworkVerFromChunk(other, pos));
  EXPECT_EQ(0, pos);
  ByteChunk cut;
  cut.Put(kFrameworkVerMagic);
  pos = 0;
  GetFrameworkVerFromChunk(cut, pos);
  EXPECT_EQ(-1, pos);
}

TEST(Base64, EncodesWithStandardFillAndDecodesBack)
{
  const uint8_t bytes[] = {0xFB, 0xFF, 0x00, 'M', 'a'};
  EXPECT_EQ("+/8ATWE=", Base64Encode(bytes, 5));
  EXPECT_EQ("TWFu", Base64Encode(reinterpret_cast<const uint8_t*>("Man"), 3));
  EXPECT_EQ("TQ==", Base64Encode(reinterpret_cast<const uint8_t*>("M"), 1));

  uint8_t out[8];
  EXPECT_EQ(5, Base64Decode("+/8ATWE=", out, 8));
  EXPECT_EQ(0, std::memcmp(out, bytes, 5));
  EXPECT_EQ(0, out[5]);
  uint8_t out2[8];
  Base64Decode("+/8ATWE", out2, 8);
  EXPECT_EQ(0, std::memcmp(out, out2, 8));
}

TEST(Base64, DecodingRespectsTheStatedSizeAndStopsAtForeignCharacters)
{
  uint8_t out[4] = {9, 9, 9, 9};
  EXPECT_EQ(2, Base64Decode("TWFu", out, 2));
  EXPECT_EQ('M', out[0]);
  EXPECT_EQ('a', out[1]);
  EXPECT_EQ(9, out[2]);
  uint8_t out3[6];
  EXPECT_EQ(1, Base64Decode("TW!u", out3, 6));
  EXPECT_EQ(0, out3[1]);
  EXPECT_EQ(0, Base64Decode(nullptr, out3, 6));
  EXPECT_EQ(0, Base64Decode("TWFu", nullptr, 6));
}
