#include "platform/pump.hpp"

#include <orvulink/platform.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace orvulink::platform {
namespace {

// Each test starts and ends with an empty queue and no hook on this thread.
class PumpTest : public testing::Test {
 protected:
  void SetUp() override { Drain(); }
  void TearDown() override { Drain(); }
  static void Drain() {
    SetMessagePump(nullptr);
    PumpMessages();
  }
  std::vector<std::string> log_;
};

TEST_F(PumpTest, SourcesThenMessagesThenHook) {
  PostThreadMessage([&] { log_.push_back("message 1"); });
  PostThreadMessage([&] { log_.push_back("message 2"); });
  auto source = AddPumpSource([&] { log_.push_back("poll"); });
  SetMessagePump([&] { log_.push_back("hook"); });
  PumpMessages();
  EXPECT_EQ(log_, (std::vector<std::string>{"poll", "message 1", "message 2", "hook"}));
}

TEST_F(PumpTest, MessagesArriveOnceAndOnlyOnTheirThread) {
  int delivered = 0;
  PostThreadMessage([&] { ++delivered; });
  std::thread other([] { PumpMessages(); });
  other.join();
  EXPECT_EQ(delivered, 0);
  PumpMessages();
  PumpMessages();
  EXPECT_EQ(delivered, 1);
}

TEST_F(PumpTest, MessagePostedByAPollArrivesInTheSamePump) {
  auto source = AddPumpSource([&] { PostThreadMessage([&] { log_.push_back("event"); }); });
  PumpMessages();
  EXPECT_EQ(log_, (std::vector<std::string>{"event"}));
}

TEST_F(PumpTest, MessagePostedDuringDeliveryWaitsForTheNextPump) {
  PostThreadMessage([&] {
    log_.push_back("first");
    PostThreadMessage([&] { log_.push_back("follow-up"); });
  });
  PumpMessages();
  EXPECT_EQ(log_, (std::vector<std::string>{"first"}));
  PumpMessages();
  EXPECT_EQ(log_, (std::vector<std::string>{"first", "follow-up"}));
}

TEST_F(PumpTest, ReentrantPumpDeliversEachMessageOnce) {
  PostThreadMessage([&] {
    log_.push_back("a");
    PostThreadMessage([&] { log_.push_back("posted by a"); });
    PumpMessages();
  });
  PostThreadMessage([&] { log_.push_back("b"); });
  PostThreadMessage([&] { log_.push_back("c"); });
  PumpMessages();
  PumpMessages();
  EXPECT_EQ(log_, (std::vector<std::string>{"a", "b", "c", "posted by a"}));
}

TEST_F(PumpTest, SourceEndsWhenItsHandleIsDestroyed) {
  int polls = 0;
  auto source = AddPumpSource([&] { ++polls; });
  PumpMessages();
  source.reset();
  PumpMessages();
  EXPECT_EQ(polls, 1);
}

TEST_F(PumpTest, SourceMayRemoveItselfFromInsideItsPoll) {
  int polls = 0;
  std::unique_ptr<PumpSource> source;
  source = AddPumpSource([&, keep = std::string(64, 'x')] {
    ++polls;
    EXPECT_EQ(keep.size(), 64u);  // its captures stay alive while it runs
    source.reset();
    EXPECT_EQ(keep.size(), 64u);
  });
  PumpMessages();
  PumpMessages();
  EXPECT_EQ(polls, 1);
}

TEST_F(PumpTest, PollIsNotReenteredByAPumpInsideIt) {
  int depth = 0;
  int maxDepth = 0;
  auto source = AddPumpSource([&] {
    ++depth;
    maxDepth = std::max(maxDepth, depth);
    if (depth == 1) PumpMessages();
    --depth;
  });
  PumpMessages();
  EXPECT_EQ(maxDepth, 1);
}

TEST_F(PumpTest, SetMessagePumpReturnsThePreviousHook) {
  int firstCalls = 0;
  SetMessagePump([&] { ++firstCalls; });
  PumpHook previous = SetMessagePump([&] { log_.push_back("second"); });
  ASSERT_TRUE(previous);
  previous();
  EXPECT_EQ(firstCalls, 1);
  PumpMessages();
  EXPECT_EQ(firstCalls, 1);
  EXPECT_EQ(log_, (std::vector<std::string>{"second"}));
}

TEST_F(PumpTest, HookMayReplaceItselfWhileRunning) {
  int calls = 0;
  SetMessagePump([&, marker = std::string(64, 'h')] {
    ++calls;
    SetMessagePump(nullptr);
    EXPECT_EQ(marker.size(), 64u);
  });
  PumpMessages();
  PumpMessages();
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace orvulink::platform
