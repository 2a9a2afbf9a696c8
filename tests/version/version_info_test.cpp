// Version information of fixture DLLs, of files without a version resource and (on Windows) of
// this test executable, which carries the program's own version resource. On Windows the PE
// parser used by the host build must agree with the system's version services on every fixture.
#include "widgets/version_info.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/path.h"
#include "widgets/version_info_parser.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using widgets::ExtractVersionResource;
using widgets::QueryVersionValue;
using widgets::RunningExecutablePath;
using widgets::TVersionInfo;
using widgets::TVersionValue;

using TTable = std::vector<std::string>;

const TTable kNotAvailable(TVersionInfo::KeyCount, "Value Not Available");
const TTable kEmpty(TVersionInfo::KeyCount, "");
const TTable kProgram = {"Hashtally developers",
                         "",
                         "0.2.1.10",
                         "",
                         "Copyright (C) 2026 Hashtally developers",
                         "",
                         "",
                         "",
                         "0.1",
                         ""};

// The folder of this executable, where the build puts the fixture DLLs, with a backslash.
std::string FixtureFolder() {
  const std::string self = RunningExecutablePath();
  return self.substr(0, self.find_last_of('\\') + 1);
}

std::string Fixture(const std::string& name) { return FixtureFolder() + "vfix_" + name + ".dll"; }

TTable TableOf(const TVersionInfo& info) {
  TTable table;
  for (int i = 0; i < TVersionInfo::KeyCount; ++i) table.push_back(info.VersionString(i));
  return table;
}

std::string ReadFile(const std::string& corePath) {
  std::ifstream in(platform::NativePath(corePath), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& corePath, const std::string& bytes) {
  std::ofstream out(platform::NativePath(corePath), std::ios::binary | std::ios::trunc);
  out << bytes;
}

TEST(VersionInfo, ReadsTheTextsOfEachFixture) {
  struct TCase {
    std::string file;
    TTable expected;
  };
  const TCase cases[] = {
      {Fixture("own"), kProgram},
      {Fixture("no_translation"), kEmpty},
      {Fixture("two_translations"), {"German table", "", "2.0-de", "", "", "", "", "", "2", ""}},
      {Fixture("language_neutral"),
       {"Seven", "neutral German", "7.0.0.1", "", "", "", "", "", "", "中文"}},
      {Fixture("no_file_version"), {"Versionless", "", "", "nofv", "", "", "", "", "3.1", ""}},
      {Fixture("no_resource"), kNotAvailable},
      {FixtureFolder() + "vfix_missing.dll", kNotAvailable},
      {FixtureFolder() + "CTestTestfile.cmake", kNotAvailable},
  };
  TVersionInfo info;
  for (const TCase& c : cases) {
    info.SetFilePath(c.file);
    EXPECT_EQ(info.FilePath(), c.file);
    EXPECT_EQ(TableOf(info), c.expected) << c.file;
  }
}

TEST(VersionInfo, ReadsTheRunningProgramWithoutAPath) {
  TVersionInfo info;
  EXPECT_EQ(info.FilePath(), RunningExecutablePath());
  EXPECT_NE(info.FilePath().find("version_tests"), std::string::npos) << info.FilePath();
#ifdef _WIN32
  EXPECT_EQ(TableOf(info), kProgram);
#else
  EXPECT_EQ(TableOf(info), kNotAvailable);  // an ELF file has no version resource
#endif
}

TEST(VersionInfo, ReReadsOnlyWhenThePathChanges) {
  const std::string copy = FixtureFolder() + "vfix_copy.dll";
  WriteFile(copy, ReadFile(Fixture("no_file_version")));
  TVersionInfo info;
  info.SetFilePath(copy);
  EXPECT_EQ(info.VersionString(0), "Versionless");

  WriteFile(copy, ReadFile(Fixture("two_translations")));
  info.SetFilePath(copy);  // the same path: nothing is read
  EXPECT_EQ(info.VersionString(0), "Versionless");
  info.SetFilePath(Fixture("no_resource"));
  info.SetFilePath(copy);
  EXPECT_EQ(info.VersionString(0), "German table");
  std::remove(platform::NativePath(copy).c_str());
}

TEST(VersionInfo, IndexOutsideTheTableIsAnError) {
  TVersionInfo info;
  for (int index : {-1, 10, 1000}) {
    try {
      info.VersionString(index);
      ADD_FAILURE() << index;
    } catch (const std::out_of_range& error) {
      EXPECT_EQ(std::string(error.what()),
                "List index out of bounds (" + std::to_string(index) + ")");
    }
  }
}

// A block or an image cut short loses what lay behind the cut and is read without touching bytes
// outside it (the sanitizer build checks this; the fuzz target tries damaged bytes at large).
TEST(VersionResourceParser, CutInputIsNotRead) {
  const std::string image = ReadFile(Fixture("own"));
  std::string block;
  ASSERT_TRUE(ExtractVersionResource(image, block));
  const std::size_t blockStart = image.find(block);
  ASSERT_NE(blockStart, std::string::npos);

  const auto queryAll = [](const std::string& b) {
    TVersionValue value;
    int found = QueryVersionValue(b, "\\VarFileInfo\\Translation", value);
    found += QueryVersionValue(b, "\\", value);
    for (const char* key : TVersionInfo::Keys) {
      found += QueryVersionValue(b, std::string("StringFileInfo\\040904E4\\") + key, value);
    }
    return found;
  };
  EXPECT_EQ(queryAll(block), 12);
  // The root's length covers the whole block, so a block cut anywhere answers no lookup.
  for (std::size_t length = 0; length < block.size(); ++length)
    EXPECT_EQ(queryAll(block.substr(0, length)), 0) << length;
  // Cutting the image anywhere from its headers to the end of the resource loses the resource.
  std::string cutBlock;
  for (std::size_t length = 0; length < blockStart + block.size(); length += 61) {
    EXPECT_FALSE(ExtractVersionResource(image.substr(0, length), cutBlock)) << length;
  }
}

TEST(VersionResourceParser, FindsKeysLikeTheSystemLookup) {
  std::string block;
  ASSERT_TRUE(ExtractVersionResource(ReadFile(Fixture("own")), block));
  TVersionValue value;
  ASSERT_TRUE(QueryVersionValue(block, "stringfileinfo\\\\040904e4\\FILEVERSION", value));
  EXPECT_TRUE(value.IsText);
  EXPECT_EQ(value.Text, u"0.2.1.10");
  ASSERT_TRUE(QueryVersionValue(block, "\\VarFileInfo\\Translation", value));
  EXPECT_EQ(value.Bytes, std::string("\x09\x04\xe4\x04", 4));
  ASSERT_TRUE(QueryVersionValue(block, "\\", value));
  EXPECT_EQ(value.Bytes.size(), 52u);  // the fixed-size part
  EXPECT_FALSE(QueryVersionValue(block, "StringFileInfo\\040904E4\\FileVersio", value));
  EXPECT_FALSE(QueryVersionValue(block, "StringFileInfo\\\\FileVersion", value));
}

#ifdef _WIN32
// The system's lookup and ours, path by path, on every fixture and on this executable.
TEST(VersionResourceParser, AgreesWithTheSystemOnEveryFixture) {
  const std::string files[] = {Fixture("own"),
                               Fixture("no_translation"),
                               Fixture("two_translations"),
                               Fixture("language_neutral"),
                               Fixture("no_file_version"),
                               RunningExecutablePath()};
  const std::string tables[] = {"040904E4", "040704E4", "000704B0", "", "040904b0"};
  for (const std::string& file : files) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    ASSERT_GT(size, 0u) << file;
    std::vector<char> system(size);
    ASSERT_TRUE(GetFileVersionInfoA(file.c_str(), 0, size, system.data()));
    std::string ours;
    ASSERT_TRUE(ExtractVersionResource(ReadFile(file), ours)) << file;

    std::vector<std::string> paths = {"\\", "\\VarFileInfo\\Translation"};
    for (const std::string& table : tables) {
      for (const char* key : TVersionInfo::Keys) {
        paths.push_back("StringFileInfo\\" + table + "\\" + key);
      }
    }
    for (const std::string& path : paths) {
      void* found = nullptr;
      UINT length = 0;
      const bool systemFound = VerQueryValueA(system.data(), path.c_str(), &found, &length) != 0;
      TVersionValue value;
      ASSERT_EQ(QueryVersionValue(ours, path, value), systemFound) << file << " " << path;
      if (!systemFound) continue;
      if (value.IsText) {
        const char* text = static_cast<const char*>(found);
        std::string expected = length > 0 ? std::string(text, strnlen(text, length)) : "";
        char converted[512] = "";
        WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(value.Text.c_str()), -1,
                            converted, sizeof converted, nullptr, nullptr);
        EXPECT_EQ(std::string(converted), expected) << file << " " << path;
      } else {
        EXPECT_EQ(value.Bytes, std::string(static_cast<const char*>(found), length))
            << file << " " << path;
      }
    }
  }
}
#endif

}  // namespace
