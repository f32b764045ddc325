#include <climits>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "common/StringBuf.h"
#include "framework/core/Base64.h"
#include "framework/core/ByteChunk.h"

TEST(ByteChunk, TypedValuesRoundTripPositionsChainAndFailuresPoison)
{
  ByteChunk c;
  int i = 7;
  bool b = false;
  EXPECT_EQ(nullptr, c.GetBytes());
  EXPECT_EQ(-1, c.Get(&i, 0)); // an empty chunk fails every read and writes nothing
  EXPECT_EQ(-1, c.GetBool(&b, 0));
  EXPECT_EQ(7, i);
  EXPECT_EQ(4, c.Put(42));
  EXPECT_EQ(12, c.Put(-2.5));
  EXPECT_EQ(13, c.PutBool(true));
  EXPECT_EQ(22, c.PutStr("hello"));
  double d = 0;
  StringBuf s;
  EXPECT_EQ(22, c.GetStr(s, c.GetBool(&b, c.Get(&d, c.Get(&i, 0)))));
  EXPECT_TRUE(i == 42 && d == -2.5 && b);
  EXPECT_STREQ("hello", s.Get());
  EXPECT_EQ(-1, c.Get(&i, c.Get(&d, 20))); // a failed read poisons every later one
  EXPECT_EQ(-1, c.Get(&i, -1));

  ByteChunk big; // grows in large steps and keeps its contents
  for (int k = 0; k < 20000; ++k)
    big.Put(k);
  ASSERT_EQ(80000, big.Size());
  for (int k = 0; k < 20000; k += 997)
  {
    EXPECT_EQ(k * 4 + 4, big.Get(&i, k * 4));
    EXPECT_EQ(k, i);
  }
  big.Resize(10);
  EXPECT_EQ(10, big.Size());
  big.Clear();
  EXPECT_EQ(nullptr, big.GetBytes());
}

TEST(ByteChunk, GetStrHandlesDamagedLengths)
{
  auto chunk = [](int length, const char* bytes, int n)
  {
    ByteChunk c;
    c.Put(length);
    c.PutBytes(bytes, n);
    return c;
  };
  StringBuf s("keep");
  EXPECT_EQ(4, chunk(0, "", 0).GetStr(s, 0));
  EXPECT_STREQ("keep", s.Get());
  // Runs past the end: position after the claimed text, text untouched, next read fails.
  const ByteChunk past = chunk(100, "abc", 3);
  EXPECT_EQ(104, past.GetStr(s, 0));
  EXPECT_STREQ("keep", s.Get());
  int v;
  EXPECT_EQ(-1, past.Get(&v, 104));
  // A length near the int limit must not wrap the position around to something readable.
  ByteChunk c;
  c.PutBytes("xxxx", 4);
  c.Put(INT_MAX - 2);
  EXPECT_EQ(-1, c.GetStr(s, 4));
  EXPECT_EQ(-1, chunk(-8, "", 0).GetStr(s, 0));
  // Text stops at the first zero byte inside the stored length, or at the end of the chunk.
  EXPECT_EQ(9, chunk(5, "ab\0cd", 5).GetStr(s, 0));
  EXPECT_STREQ("ab", s.Get());
  EXPECT_EQ(7, chunk(3, "xyz", 3).GetStr(s, 0));
  EXPECT_STREQ("xyz", s.Get());
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
  GetFrameworkVerFromChunk(cut, pos);
  EXPECT_EQ(-1, pos);
}

TEST(Base64, StandardAlphabetAndFillDecodingWithinTheStatedSize)
{
  const uint8_t bytes[] = {0xFB, 0xFF, 0x00, 'M', 'a'};
  EXPECT_EQ("+/8ATWE=", Base64Encode(bytes, 5));
  EXPECT_EQ("TWFu", Base64Encode(reinterpret_cast<const uint8_t*>("Man"), 3));
  EXPECT_EQ("TQ==", Base64Encode(reinterpret_cast<const uint8_t*>("M"), 1));
  uint8_t out[8], unfilled[8];
  EXPECT_EQ(5, Base64Decode("+/8ATWE=", out, 8));
  EXPECT_EQ(0, std::memcmp(out, bytes, 5));
  EXPECT_EQ(0, out[5]);
  Base64Decode("+/8ATWE", unfilled, 8);
  EXPECT_EQ(0, std::memcmp(out, unfilled, 8));

  uint8_t four[4] = {9, 9, 9, 9};
  EXPECT_EQ(2, Base64Decode("TWFu", four, 2));
  EXPECT_TRUE(four[0] == 'M' && four[1] == 'a' && four[2] == 9);
  EXPECT_EQ(1, Base64Decode("TW!u", out, 6)); // stops at a foreign character
  EXPECT_EQ(0, out[1]);
  EXPECT_EQ(0, Base64Decode(nullptr, out, 6));
  EXPECT_EQ(0, Base64Decode("TWFu", nullptr, 6));
}
