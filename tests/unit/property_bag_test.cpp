#include <gtest/gtest.h>

#include <orvulink/property_bag.hpp>

#include "test_support.hpp"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace orvulink {
namespace {

namespace fs = std::filesystem;
using testing::CatchAutomationError;
using testing::TempFolder;

std::string ReadText(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// A key written again keeps its place and takes the new value.
TEST(MemoryPropertyBag, KeepsEveryValueInFirstWrittenOrder) {
  MemoryPropertyBag bag;
  bag.WriteProperty("B", "b", "b");
  bag.WriteProperty("A", true, true);
  bag.WriteProperty("B", std::int16_t{2}, "b");
  const std::vector<std::pair<BStr, Variant>> expected = {{"B", std::int16_t{2}}, {"A", true}};
  EXPECT_EQ(bag.Entries(), expected);
}

// Saved as private text lines through a new file, whatever the old one's mode; read back exactly.
TEST(FilePropertyBag, SavesPrivateTextLinesAtomicallyAndReadsThemBack) {
  TempFolder folder;
  const fs::path file = folder.path() / "new" / "settings.cfg";
  const std::string unicode = "p\xC3\xA4ss \xE2\x82\xAC \xF0\x9D\x84\x9E";
  FilePropertyBag bag(file);
  bag.WriteProperty("Password", unicode, "");
  bag.WriteProperty("TestMode", true, false);
  bag.WriteProperty("Proxy", " a=b ", "");
  bag.Save();
  EXPECT_EQ(ReadText(file), "Password=" + unicode + "\nTestMode=True\nProxy= a=b \n");
  fs::permissions(file, fs::perms::all);
  bag.Save();
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), {}), 1);

  FilePropertyBag loaded(file);
  loaded.Load();
  EXPECT_EQ(loaded.ReadProperty("Password", "").ToText().utf8(), unicode);
  EXPECT_EQ(loaded.ReadProperty("Proxy", ""), Variant(" a=b "));
  EXPECT_EQ(loaded.ReadProperty("UserName", "none"), Variant("none"));
}

TEST(FilePropertyBag, AFailedSaveOrLoadRaisesPathFileAccessAndLeavesNothingBehind) {
  TempFolder folder;
  const fs::path target = folder.path() / "settings.cfg";
  fs::create_directory(target);
  FilePropertyBag bag(target);
  bag.WriteProperty("UserName", "anna", "");
  auto error = CatchAutomationError([&] { bag.Save(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), 75);
  EXPECT_TRUE(
      error->Description().utf8().starts_with("Path/File access error: " + target.string() + ": "));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 1);
  EXPECT_TRUE(fs::is_empty(target));
  EXPECT_EQ(testing::RaisedNumber([&] { bag.Load(); }), 75);
  FilePropertyBag missing(folder.path() / "none.cfg");
  missing.Load();
  EXPECT_TRUE(missing.SkippedLines().empty());
}

TEST(FilePropertyBag, LoadSkipsMalformedLinesAndNumbersThem) {
  TempFolder folder;
  const fs::path file = folder.path() / "settings.cfg";
  std::ofstream(file, std::ios::binary) << "# c\n; c\r\n  UserName = anna  \r\nnovalue\n\n   \n  "
                                           "=orphan\nProxy=gw=1\r\r\nUserName=bruno";
  FilePropertyBag bag(file);
  bag.Load();
  const std::vector<std::pair<int, std::string>> skipped = {{4, "novalue"}, {7, "  =orphan"}};
  EXPECT_EQ(bag.SkippedLines(), skipped);
  EXPECT_EQ(bag.ReadProperty("UserName", ""), Variant("bruno"));
  EXPECT_EQ(bag.ReadProperty("Proxy", ""), Variant("gw=1"));
}

TEST(FilePropertyBag, RefusesWhatALineCannotHold) {
  const std::pair<const char*, const char*> cases[] = {
      {"Proxy", "a\nb"}, {"Proxy", "a\rb"}, {"Pro=xy", "a"}, {"#Proxy", "a"}};
  FilePropertyBag bag("unused.cfg");
  for (const auto& [key, value] : cases) {
    EXPECT_EQ(testing::RaisedNumber([&bag, k = key, v = value] { bag.WriteProperty(k, v, ""); }), 5)
        << key;
    EXPECT_EQ(bag.ReadProperty(key, "none"), Variant("none")) << key;
  }
}

}  // namespace
}  // namespace orvulink
