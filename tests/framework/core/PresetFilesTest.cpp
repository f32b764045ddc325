#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestPlugin.h"

namespace
{
std::vector<uint8_t> ReadBytes(const std::string& path)
{
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb"))
  {
    int c;
    while ((c = std::fgetc(f)) != EOF)
      bytes.push_back(static_cast<uint8_t>(c));
    std::fclose(f);
  }
  return bytes;
}
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}
StringBuf TempPath(const char* name)
{
  return StringBuf((std::string(testing::TempDir()) + name).c_str());
}
void Shape(TestPlugin& p)
{
  p.GetParam(0)->Set(-10.0);
  p.GetParam(9)->Set(1000.0);
  p.GetParam(17)->Set(1.0);
  p.GetParam(38)->Set(76.6);
}
} // namespace

TEST(PresetFiles, ChunkProgramFileLayout)
{
  TestPlugin p;
  p.MakeDefaultPreset("A program name of thirty chars", 1);
  const StringBuf path = TempPath("p.fxp");
  ASSERT_TRUE(p.SaveProgramAsFXP(path));
  const auto b = ReadBytes(path.Get());
  ASSERT_EQ(380u, b.size());
  EXPECT_EQ(std::vector<uint8_t>({'C', 'c', 'n', 'K', 0,   0, 1, 0x7C, 'F',  'P', 'C', 'h', 0, 0, 0,
                                  1,   'T', 'r', 'v', 'o', 0, 0, 0x4E, 0x20, 0,   0,   0,   39}),
            std::vector<uint8_t>(b.begin(), b.begin() + 28));
  // The 30-character name keeps its first 28 bytes, no terminator.
  EXPECT_EQ("A program name of thirty cha", std::string(b.begin() + 28, b.begin() + 56));
  EXPECT_EQ(std::vector<uint8_t>({0, 0, 1, 0x40, 't', 'f', 'f', 'p', 0, 0, 1, 0}),
            std::vector<uint8_t>(b.begin() + 56, b.begin() + 68));
}

TEST(PresetFiles, ProgramRoundTripsInBothForms)
{
  for (bool chunks : {true, false})
  {
    TestPlugin a(FourCC("Trvo"), chunks);
    a.MakeDefaultPreset("Saved", 1);
    Shape(a);
    const StringBuf path = TempPath(chunks ? "c.fxp" : "p.fxp");
    ASSERT_TRUE(a.SaveProgramAsFXP(path));
    EXPECT_EQ(chunks ? 380u : 56u + 4 * 39, ReadBytes(path.Get()).size());

    TestPlugin b(FourCC("Trvo"), chunks);
    b.MakeDefaultPreset("Other", 2);
    b.RestorePreset(1);
    b.mProgramChanges = 0;
    ASSERT_TRUE(b.LoadProgramFromFXP(path));
    EXPECT_EQ(1, b.mProgramChanges);
    EXPECT_STREQ("Saved", b.GetPresetName(1));
    EXPECT_STREQ("Other", b.GetPresetName(0));
    for (int i = 0; i < 39; ++i)
      EXPECT_NEAR(a.GetParam(i)->Value(), b.GetParam(i)->Value(), chunks ? 0.0 : 0.01) << i;
    // Loading overwrote the current slot, so recalling it gives the loaded sound.
    b.RestorePreset(0);
    b.RestorePreset(1);
    EXPECT_NEAR(-10.0, b.GetParam(0)->Value(), 1e-4);
  }
}

TEST(PresetFiles, BankRoundTripsInBothForms)
{
  for (bool chunks : {true, false})
  {
    TestPlugin a(FourCC("Trvo"), chunks, 0, "1-1 2-2", 4);
    a.MakeDefaultPreset("one", 1);
    Shape(a);
    a.MakeDefaultPreset("two", 1);
    a.RestorePreset(1);
    const StringBuf path = TempPath(chunks ? "c.fxb" : "p.fxb");
    ASSERT_TRUE(a.SaveBankAsFXB(path));

    TestPlugin b(FourCC("Trvo"), chunks, 0, "1-1 2-2", 4);
    b.MakeDefaultPreset("x", 4);
    b.RestorePreset(chunks ? 3 : 1);
    ASSERT_TRUE(b.LoadBankFromFXB(path));
    for (int i = 0; i < 2; ++i)
    {
      EXPECT_STREQ(a.GetPresetName(i), b.GetPresetName(i));
      EXPECT_TRUE(b.GetPreset(i)->mInitialized);
    }
    // Chunk banks keep our current slot; parameter banks select the file's.
    EXPECT_EQ(chunks ? 3 : 1, b.GetCurrentPresetIdx());
    b.RestorePreset(1);
    EXPECT_NEAR(-10.0, b.GetParam(0)->Value(), 1e-4);
    EXPECT_NEAR(1000.0, b.GetParam(9)->Value(), chunks ? 0.0 : 0.05);
  }
}

TEST(PresetFiles, ForeignDamagedAndMissingFilesChangeNothing)
{
  TestPlugin other(FourCC("Othr")), a;
  a.MakeDefaultPreset("mine", 32);
  Shape(other);
  Shape(a);
  const StringBuf foreignProgram = TempPath("foreign.fxp"), foreignBank = TempPath("foreign.fxb"),
                  good = TempPath("good.fxp"), goodBank = TempPath("good.fxb");
  other.SaveProgramAsFXP(foreignProgram);
  other.SaveBankAsFXB(foreignBank);
  a.SaveProgramAsFXP(good);
  a.SaveBankAsFXB(goodBank);
  const auto program = ReadBytes(good.Get()), bank = ReadBytes(goodBank.Get());

  TestPlugin p;
  p.MakeDefaultPreset("untouched", 32);
  const auto values = p.Values();
  auto unchanged = [&]
  {
    EXPECT_EQ(values, p.Values());
    EXPECT_STREQ("untouched", p.GetPresetName(0));
    EXPECT_EQ(0, p.mProgramChanges);
  };
  EXPECT_FALSE(p.LoadProgramFromFXP(foreignProgram));
  EXPECT_FALSE(p.LoadBankFromFXB(foreignBank));
  EXPECT_FALSE(p.LoadProgramFromFXP(StringBuf("")));
  EXPECT_FALSE(p.LoadProgramFromFXP(TempPath("does-not-exist.fxp")));
  unchanged();

  const StringBuf damaged = TempPath("damaged");
  auto refused = [&](const std::vector<uint8_t>& bytes, size_t cut, bool isBank)
  {
    WriteBytes(damaged.Get(), std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(cut)));
    EXPECT_FALSE(isBank ? p.LoadBankFromFXB(damaged) : p.LoadProgramFromFXP(damaged)) << cut;
    unchanged();
  };
  for (size_t cut : {0ul, 20ul, 56ul, 64ul, 100ul, program.size() - 1})
    refused(program, cut, false);
  for (size_t cut : {100ul, 160ul, 170ul, bank.size() / 2, bank.size() - 1})
    refused(bank, cut, true);
  auto badVersion = program, badMagic = program, hugeName = bank;
  badVersion[15] = 2;
  badMagic[8] = 'X';
  std::memcpy(&hugeName[168], "\xFA\xFF\xFF\x7F", 4); // a slot name of almost 2 GiB
  refused(badVersion, badVersion.size(), false);
  refused(badMagic, badMagic.size(), false);
  refused(hugeName, hugeName.size(), true);
}
