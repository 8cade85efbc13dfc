#include <gtest/gtest.h>

#include "gateway/log.hpp"
#include "gateway/startup.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace orvulink::gateway {
namespace {

namespace fs = std::filesystem;

class LogFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("orvulink-log-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
  }

  fs::path dir_;
};

const std::string kSeparatorLine = std::string(kLogSeparator) + "\r\n";

// Each run opens with a blank line and the separator; lines go out in the gateway's code page.
TEST_F(LogFileTest, EachRunOpensWithASeparatorAndLinesAppendInTheCodePage) {
  const auto path = dir_ / "OrvuLinkLog.txt";
  {
    LogWriter writer(true, path);
    writer.Write(u"one");
    writer.Write(u"getUrl: CONTROLLO CONNETIVIT\u00e0 \u20ac\u4e2d");
    writer.Close();
    writer.Write(u"two");
  }
  EXPECT_EQ(Read(path), "\r\n" + kSeparatorLine +
                            "one\r\ngetUrl: CONTROLLO CONNETIVIT\xE0 \x80?\r\n" + "\r\n" +
                            kSeparatorLine + "two\r\n");
}

TEST_F(LogFileTest, SwitchedOffOrUnwritableCreatesNothingAndRaisesNothing) {
  LogWriter off(false, dir_ / "OrvuLinkLog.txt");
  off.Write(u"x");
  EXPECT_FALSE(fs::exists(dir_ / "OrvuLinkLog.txt"));
  // A regular file where the folder should be: nothing can be created below it.
  std::ofstream(dir_ / "blocker") << "not a folder";
  LogWriter writer(true, dir_ / "blocker" / "OrvuLinkLog.txt");
  EXPECT_NO_THROW(writer.Write(u"x"));
  EXPECT_FALSE(fs::exists(dir_ / "blocker" / "OrvuLinkLog.txt"));
}

TEST_F(LogFileTest, FileExistsSeesOnlyNormalVisibleFiles) {
  std::ofstream(dir_ / "visible.txt") << "v";
  std::ofstream(dir_ / ".hidden") << "h";
  fs::create_directories(dir_ / "folder");
  EXPECT_TRUE(FileExists(dir_ / "visible.txt"));
  EXPECT_FALSE(FileExists(dir_ / ".hidden"));
  EXPECT_FALSE(FileExists(dir_ / "folder"));
  EXPECT_FALSE(FileExists(dir_ / "missing.txt"));
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(FileExists(std::string(5000, 'a')));
}

// The trace sits beside the component's own file.
TEST(StartRoutine, DeletesAnOldTraceWhateverTheSwitchSays) {
  const auto path = LogPath();
  EXPECT_EQ(path.filename(), "OrvuLinkLog.txt");
  ASSERT_TRUE(fs::is_directory(path.parent_path()));
  std::ofstream(path) << "old run";
  ASSERT_TRUE(fs::exists(path));
  Main();
  // With the switch on, Main writes its own line into a fresh file.
  if (kLogEnabled) {
    std::ifstream in(path);
    std::string content((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(content.find("old run"), std::string::npos);
    CloseLog();
    fs::remove(path);
  } else {
    EXPECT_FALSE(fs::exists(path));
  }
}

}  // namespace
}  // namespace orvulink::gateway
