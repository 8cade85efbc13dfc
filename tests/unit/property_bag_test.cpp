#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/property_bag.hpp>

#include "test_support.hpp"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace orvulink {
namespace {

namespace fs = std::filesystem;
using testing::CatchAutomationError;

using testing::TempFolder;

std::set<std::string> Names(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename());
  return names;
}

std::string ReadText(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(MemoryPropertyBag, KeepsEveryValueInFirstWrittenOrder) {
  MemoryPropertyBag bag;
  bag.WriteProperty("B", "b", "b");
  bag.WriteProperty("A", true, true);
  bag.WriteProperty("B", std::int16_t{2}, "b");
  const std::vector<std::pair<BStr, Variant>> expected = {{"B", std::int16_t{2}}, {"A", true}};
  EXPECT_EQ(bag.Entries(), expected);
  EXPECT_EQ(bag.ReadProperty("a", "missing"), Variant("missing"));
}

TEST(FilePropertyBag, SavesPrivateTextLinesAtomicallyAndReadsThemBack) {
  TempFolder folder;
  const fs::path file = folder.path() / "new" / "settings.cfg";
  const std::string unicode = "p\xC3\xA4ss \xE2\x82\xAC \xF0\x9D\x84\x9E";  // "päss € 𝄞"
  FilePropertyBag bag(file);
  bag.WriteProperty("Password", unicode, "");
  bag.WriteProperty("TestMode", true, false);
  bag.WriteProperty("ProxyPort", std::int32_t{3128}, "");
  bag.WriteProperty("Proxy", " a=b ", "");
  bag.Save();
  EXPECT_EQ(ReadText(file),
            "Password=" + unicode + "\nTestMode=True\nProxyPort=3128\nProxy= a=b \n");
  EXPECT_EQ(Names(file.parent_path()), std::set<std::string>{"settings.cfg"});

  fs::permissions(file, fs::perms::all);  // the next save must not inherit this
  bag.Save();
  struct stat info {};
  ASSERT_EQ(stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  FilePropertyBag loaded(file);
  loaded.Load();
  EXPECT_EQ(loaded.ReadProperty("Password", "").ToText().utf8(), unicode);
  EXPECT_EQ(loaded.ReadProperty("TestMode", false), Variant("True"));
  EXPECT_EQ(loaded.ReadProperty("Proxy", ""), Variant(" a=b "));
  EXPECT_EQ(loaded.ReadProperty("UserName", "none"), Variant("none"));
}

TEST(FilePropertyBag, AFailedSaveRaisesAndLeavesNothingBehind) {
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
  EXPECT_EQ(Names(folder.path()), std::set<std::string>{"settings.cfg"});
  EXPECT_TRUE(fs::is_empty(target));
}

TEST(FilePropertyBag, LoadSkipsMalformedLinesAndNumbersThem) {
  TempFolder folder;
  const fs::path file = folder.path() / "settings.cfg";
  WriteText(file,
            "# c\n; c\r\n  UserName = anna  \r\nnovalue\n\n   \n  =orphan\nProxy=gw=1\r\n"
            "UserName=bruno");
  FilePropertyBag bag(file);
  bag.Load();
  const std::vector<std::pair<int, std::string>> skipped = {{4, "novalue"}, {7, "  =orphan"}};
  EXPECT_EQ(bag.SkippedLines(), skipped);
  EXPECT_EQ(bag.ReadProperty("UserName", ""), Variant("bruno"));
  EXPECT_EQ(bag.ReadProperty("Proxy", ""), Variant("gw=1"));

  WriteText(file, "UserName= anna \r\n");
  bag.Load();
  EXPECT_EQ(bag.ReadProperty("UserName", ""), Variant(" anna "));
  EXPECT_EQ(bag.ReadProperty("Proxy", "none"), Variant("none"));
  EXPECT_TRUE(bag.SkippedLines().empty());
}

TEST(FilePropertyBag, LoadOfAMissingFileIsEmptyAndOfAFolderFails) {
  TempFolder folder;
  FilePropertyBag missing(folder.path() / "none.cfg");
  EXPECT_NO_THROW(missing.Load());
  FilePropertyBag notAFile(folder.path());
  auto error = CatchAutomationError([&] { notAFile.Load(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), 75);
}

TEST(FilePropertyBag, RefusesWhatALineCannotHold) {
  const std::pair<const char*, const char*> cases[] = {
      {"Proxy", "a\nb"}, {"Proxy", "a\rb"}, {"Pro=xy", "a"}, {" Proxy", "a"}, {"#Proxy", "a"}};
  FilePropertyBag bag("unused.cfg");
  for (const auto& [key, value] : cases) {
    auto error = CatchAutomationError([&bag, k = key, v = value] { bag.WriteProperty(k, v, ""); });
    ASSERT_TRUE(error) << key;
    EXPECT_EQ(error->Number(), 5) << key;
    EXPECT_EQ(bag.ReadProperty(key, "none"), Variant("none")) << key;
  }
}

TEST(FilePropertyBag, CarriesTheControlSettingsToTheNextRun) {
  TempFolder folder;
  const fs::path file = folder.path() / "control.cfg";
  auto control = OrvuLinkActiveX::Create();
  control->UserName("anna");
  control->TestMode(true);
  control->EncryptSSL(false);
  control->ProxyPassword("line\r\nbreak");  // cannot be written: skipped
  FilePropertyBag saved(file);
  control->WriteProperties(saved);
  saved.Save();

  control = OrvuLinkActiveX::Create();
  FilePropertyBag loaded(file);
  loaded.Load();
  control->ReadProperties(loaded);
  EXPECT_EQ(control->UserName(), BStr("anna"));
  EXPECT_EQ(control->TestMode(), VariantBool(true));
  EXPECT_EQ(control->EncryptSSL(), VariantBool(false));
  EXPECT_EQ(control->ProxyPassword(), BStr(""));
}

}  // namespace
}  // namespace orvulink
