// The thread's message pump and the events delivered through handlers.
#include <gtest/gtest.h>

#include <orvulink/automation.hpp>
#include <orvulink/platform.hpp>

#include "platform/pump.hpp"

#include <algorithm>
#include <memory>
#include <optional>
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

namespace orvulink {
namespace {

TEST(EventTest, HandlersRunInTheOrderConnected) {
  Event<int> event;
  std::vector<std::string> calls;
  auto first = event.Connect([&](int v) { calls.push_back("first " + std::to_string(v)); });
  auto second = event.Connect([&](int v) { calls.push_back("second " + std::to_string(v)); });
  event.Fire(7);
  EXPECT_EQ(calls, (std::vector<std::string>{"first 7", "second 7"}));
  EXPECT_EQ(event.HandlerCount(), 2u);
}

TEST(EventTest, DestroyedConnectionDisconnects) {
  Event<> event;
  int calls = 0;
  {
    auto connection = event.Connect([&] { ++calls; });
    event.Fire();
  }
  event.Fire();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(event.HandlerCount(), 0u);
}

TEST(EventTest, MovedConnectionStaysConnectedUntilItsOwnerEnds) {
  Event<> event;
  int calls = 0;
  std::optional<Event<>::Connection> kept;
  {
    auto connection = event.Connect([&] { ++calls; });
    kept.emplace(std::move(connection));
  }
  event.Fire();
  EXPECT_TRUE(kept->Connected());
  kept.reset();
  event.Fire();
  EXPECT_EQ(calls, 1);
}

TEST(EventTest, HandlerMayDisconnectItselfDuringFire) {
  Event<> event;
  int calls = 0;
  Event<>::Connection self;
  self = event.Connect([&] {
    ++calls;
    self.Disconnect();
  });
  event.Fire();
  event.Fire();
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(self.Connected());
}

TEST(EventTest, HandlerDestroyedByAnEarlierOneIsNotCalled) {
  Event<> event;
  auto owner = std::make_unique<int>(0);
  Event<>::Connection later;
  auto earlier = event.Connect([&] {
    later = Event<>::Connection();
    owner.reset();
  });
  later = event.Connect([&] { ++*owner; });  // would touch freed memory if still called
  event.Fire();
  EXPECT_EQ(owner, nullptr);
  EXPECT_EQ(event.HandlerCount(), 1u);
}

TEST(EventTest, HandlerConnectedDuringFireRunsFromTheNextFiring) {
  Event<> event;
  int lateCalls = 0;
  std::vector<Event<>::Connection> added;
  auto adder = event.Connect([&] { added.push_back(event.Connect([&] { ++lateCalls; })); });
  event.Fire();
  EXPECT_EQ(lateCalls, 0);
  event.Fire();
  EXPECT_EQ(lateCalls, 1);
}

}  // namespace
}  // namespace orvulink
