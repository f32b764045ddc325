#include <climits>
#include <cstring>

#include <gtest/gtest.h>

#include "TestPlugin.h"

TEST(State, ThirtyNineParametersSerialiseTo312BytesAndRestore)
{
  TestPlugin a;
  a.GetParam(0)->Set(6.0);
  a.GetParam(38)->Set(100.0);
  ByteChunk c;
  ASSERT_TRUE(a.SerializeState(c));
  ASSERT_EQ(312, c.Size());

  TestPlugin b;
  b.mChanges.clear();
  EXPECT_EQ(312, b.UnserializeState(c, 0));
  EXPECT_EQ(a.Values(), b.Values());
  EXPECT_EQ(39u, b.mChanges.size());

  // From an offset: the bytes before are skipped.
  ByteChunk shifted;
  shifted.Put(1.0);
  shifted.PutChunk(&c);
  TestPlugin d;
  EXPECT_EQ(320, d.UnserializeParams(shifted, 8));
  EXPECT_EQ(a.Values(), d.Values());

  EXPECT_TRUE(d.CompareState(c.GetBytes(), 0));
  d.GetParam(0)->Set(5.0);
  EXPECT_FALSE(d.CompareState(c.GetBytes(), 0));
}

TEST(State, AShortChunkSetsWhatItHasAndTheMissingValueFromZero)
{
  TestPlugin src;
  for (int i = 0; i < 39; ++i)
    src.GetParam(i)->Set(src.GetParam(i)->GetMax());
  ByteChunk full;
  src.SerializeState(full);
  ByteChunk c;
  c.PutBytes(full.GetBytes(), 100);

  TestPlugin p;
  const auto before = p.Values();
  p.mChanges.clear();
  EXPECT_EQ(-1, p.UnserializeParams(c, 0));
  for (int i = 0; i < 12; ++i)
    EXPECT_EQ(src.GetParam(i)->Value(), p.GetParam(i)->Value()) << i;
  EXPECT_EQ(20.0, p.GetParam(12)->Value()); // 0.0 held to the frequency's minimum
  for (int i = 13; i < 39; ++i)
    EXPECT_EQ(before[i], p.GetParam(i)->Value()) << i;
  EXPECT_EQ(39u, p.mChanges.size());

  ByteChunk empty;
  TestPlugin q;
  q.GetParam(0)->Set(5.0);
  EXPECT_EQ(-1, q.UnserializeParams(empty, 0));
  EXPECT_EQ(0.0, q.GetParam(0)->Value());

  // Stored values outside the range are clamped.
  ByteChunk huge;
  for (int i = 0; i < 39; ++i)
    huge.Put(1e9);
  q.UnserializeParams(huge, 0);
  EXPECT_TRUE(q.GetParam(0)->Value() == 18.0 && q.GetParam(20)->Value() == 1.0 &&
              q.GetParam(38)->Value() == 100.0);
}

TEST(State, PresetBankRoundTrip)
{
  TestPlugin a;
  a.MakeDefaultPreset("first", 1);
  a.GetParam(0)->Set(-6.0);
  a.MakeDefaultPreset("second", 1);
  ByteChunk bank;
  ASSERT_TRUE(a.SerializePresets(bank));

  TestPlugin b;
  b.mPresetsChanged = 0;
  EXPECT_EQ(bank.Size(), b.UnserializePresets(bank, 0));
  for (int i = 0; i < a.NPresets(); ++i)
  {
    EXPECT_STREQ(a.GetPresetName(i), b.GetPresetName(i));
    EXPECT_EQ(a.GetPreset(i)->mInitialized, b.GetPreset(i)->mInitialized);
    EXPECT_TRUE(a.GetPreset(i)->mChunk.IsEqual(b.GetPreset(i)->mChunk));
  }
  // The live values end up as the current slot's.
  EXPECT_EQ(0.0, b.GetParam(0)->Value());
  EXPECT_EQ(1, b.mPresetsChanged);
}

TEST(State, GarbageBanksNeverReadOutsideTheChunk)
{
  TestPlugin p;
  ByteChunk c;
  c.Put(INT_MAX);
  c.PutBool(true);
  EXPECT_EQ(-1, p.UnserializePresets(c, 0));
  ByteChunk d;
  d.Put(-5);
  EXPECT_EQ(-1, p.UnserializePresets(d, 0));
  EXPECT_LT(p.UnserializePresets(d, -3), 0);
}
