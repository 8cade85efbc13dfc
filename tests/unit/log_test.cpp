#include <gtest/gtest.h>

#include "gateway/log.hpp"
#include "gateway/startup.hpp"
#include "test_support.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace orvulink::gateway {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::stringstream content;
  content << std::ifstream(path, std::ios::binary).rdbuf();
  return content.str();
}

// Each run opens with a blank line and the separator; lines go out in the gateway's code page.
// Switched off or unwritable, the writer creates nothing and raises nothing.
TEST(LogFile, EachRunOpensWithASeparatorAndLinesAppendInTheCodePage) {
  testing::TempFolder dir;
  const auto path = dir.path() / "OrvuLinkLog.txt";
  {
    LogWriter writer(true, path);
    writer.Write(u"getUrl: CONTROLLO CONNETIVIT\u00e0 \u20ac\u4e2d");
    writer.Close();
    writer.Write(u"two");
  }
  const std::string separator = "\r\n" + std::string(kLogSeparator) + "\r\n";
  EXPECT_EQ(Read(path),
            separator + "getUrl: CONTROLLO CONNETIVIT\xE0 \x80?\r\n" + separator + "two\r\n");
  LogWriter(false, dir.path() / "off.txt").Write(u"x");
  std::ofstream(dir.path() / "blocker") << "not a folder";
  LogWriter(true, dir.path() / "blocker" / "log.txt").Write(u"x");
  EXPECT_FALSE(fs::exists(dir.path() / "off.txt"));
  EXPECT_FALSE(fs::exists(dir.path() / "blocker" / "log.txt"));
}

// The trace sits beside the component's own file; each start drops the old one.
TEST(StartRoutine, DeletesAnOldTraceWhateverTheSwitchSays) {
  const auto path = LogPath();
  std::ofstream(path) << "old run";
  ASSERT_TRUE(fs::exists(path));
  Main();
  CloseLog();
  EXPECT_EQ(fs::exists(path), kLogEnabled);
  if (kLogEnabled) {
    EXPECT_EQ(Read(path).find("old run"), std::string::npos);
  }
  fs::remove(path);
}

}  // namespace
}  // namespace orvulink::gateway
