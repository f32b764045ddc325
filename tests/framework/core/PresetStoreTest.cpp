#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "TestPlugin.h"

namespace
{
std::string ReadText(const std::string& path)
{
  std::ifstream f(path);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}
std::string TempPath(const char* name)
{
  return std::string(testing::TempDir()) + name;
}
} // namespace

TEST(PresetStore, RecallingAFreeSlotCapturesANumberedUserPreset)
{
  TestPlugin p(FourCC("Trvo"), true, 0, "1-1 2-2", 3);
  p.MakeDefaultPreset("user preset 1", 1);
  p.MakeDefaultPreset("User Preset", 1);
  p.GetParam(0)->Set(3.0);
  EXPECT_TRUE(p.RestorePreset(2));
  EXPECT_STREQ("user preset 2", p.GetPresetName(2));
  EXPECT_EQ(2, p.GetCurrentPresetIdx());
  EXPECT_TRUE(p.RestorePreset(0));
  EXPECT_EQ(0.0, p.GetParam(0)->Value());
  EXPECT_TRUE(p.RestorePreset(2));
  EXPECT_EQ(3.0, p.GetParam(0)->Value());

  EXPECT_FALSE(p.RestorePreset(3));
  EXPECT_FALSE(p.RestorePreset(-1));
  EXPECT_EQ(2, p.GetCurrentPresetIdx());
  EXPECT_STREQ("", p.GetPresetName(3));
}

TEST(PresetStore, FillingOperationsTakeTheNextFreeSlot)
{
  TestPlugin p(FourCC("Trvo"), true, 0, "1-1 2-2", 4);
  p.GetParam(0)->Set(1.0);
  EXPECT_TRUE(p.MakePresetFromNamedParams("x", 2, 3, 1.5, 24, 1));
  ByteChunk& c = const_cast<ByteChunk&>(p.GetPreset(0)->mChunk);
  ASSERT_EQ(312, c.Size());
  double v = 0;
  c.Get(&v, 3 * 8);
  EXPECT_EQ(1.5, v);
  c.Get(&v, 24 * 8);
  EXPECT_EQ(1.0, v);
  c.Get(&v, 0);
  EXPECT_EQ(1.0, v); // not named: the current value

  EXPECT_TRUE(p.MakeDefaultPreset(nullptr, 3));
  EXPECT_STREQ("Empty", p.GetPresetName(3));
  EXPECT_FALSE(p.MakeDefaultPreset("more", 1));
  EXPECT_FALSE(p.MakePresetFromBlob("none", "AAAA", 312));
}

TEST(PresetStore, ModifyAndRestoreByName)
{
  TestPlugin p(FourCC("Trvo"), true, 0, "1-1 2-2", 2);
  p.MakeDefaultPreset("Piano", 1);
  p.MakeDefaultPreset("Piano", 1);
  p.RestorePreset(1);
  p.GetParam(0)->Set(9.0);
  p.ModifyCurrentPreset("");
  EXPECT_STREQ("Piano", p.GetPresetName(1));
  p.ModifyCurrentPreset("Organ");
  EXPECT_STREQ("Organ", p.GetPresetName(1));
  EXPECT_TRUE(p.RestorePreset("Piano"));
  EXPECT_EQ(0, p.GetCurrentPresetIdx());
  EXPECT_FALSE(p.RestorePreset("piano"));
  EXPECT_FALSE(p.RestorePreset(""));
  EXPECT_TRUE(p.RestorePreset("Organ"));
  EXPECT_EQ(9.0, p.GetParam(0)->Value());
}

TEST(PresetStore, BlobDumpRestoresTheSameSound)
{
  TestPlugin a;
  a.GetParam(5)->Set(-7.25);
  a.GetParam(38)->Set(76.62);
  a.MakeDefaultPreset("Syn Fi", 1);
  const std::string path = TempPath("blob.txt");
  ASSERT_TRUE(a.DumpPresetBlob(path.c_str()));
  const std::string line = ReadText(path);
  ASSERT_EQ(0u, line.find("MakePresetFromBlob(\"Syn Fi\", \""));
  const size_t start = line.find(", \"") + 3;
  const std::string blob = line.substr(start, line.find('"', start) - start);
  EXPECT_EQ(416u, blob.size());
  EXPECT_NE(std::string::npos, line.find("\", 312);\n"));

  TestPlugin b;
  ASSERT_TRUE(b.MakePresetFromBlob("Syn Fi", blob.c_str(), 312));
  ASSERT_TRUE(b.RestorePreset(0));
  EXPECT_EQ(a.Values(), b.Values());
}

TEST(PresetStore, SourceDumpWritesAMakePresetCall)
{
  TestPlugin p(FourCC("Trvo"), true, 0, "1-1 2-2", 1);
  p.MakeDefaultPreset("Dump", 1);
  p.GetParam(0)->Set(2.5);
  p.GetParam(16)->Set(1.0);
  std::vector<std::string> names(39);
  std::vector<const char*> ptrs;
  for (int i = 0; i < 39; ++i)
    ptrs.push_back((names[size_t(i)] = "kP" + std::to_string(i)).c_str());
  const std::string path = TempPath("src.txt");
  ASSERT_TRUE(p.DumpPresetSrcCode(path.c_str(), ptrs.data()));
  const std::string text = ReadText(path);
  EXPECT_EQ(0u, text.find("  MakePresetFromNamedParams(\"Dump\", 39,\n    kP0, 2.500000,"));
  EXPECT_NE(std::string::npos, text.find("kP16, true,"));
  EXPECT_NE(std::string::npos, text.find("kP17, false,"));
  EXPECT_EQ(text.size() - 3, text.rfind(");\n"));
}

TEST(PresetStore, PruneKeepsOrderAndAValidCurrentSlot)
{
  TestPlugin p(FourCC("Trvo"), true, 0, "1-1 2-2", 5);
  p.MakeDefaultPreset("a", 1);
  p.RestorePreset(3); // captured as a user preset; 1, 2 and 4 stay free
  p.PruneUninitializedPresets();
  ASSERT_EQ(2, p.NPresets());
  EXPECT_STREQ("a", p.GetPresetName(0));
  EXPECT_STREQ("user preset 1", p.GetPresetName(1));
  EXPECT_LT(p.GetCurrentPresetIdx(), p.NPresets());
}
