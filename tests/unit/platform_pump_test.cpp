// The thread's message pump and the events delivered through handlers.
#include <gtest/gtest.h>

#include <orvulink/automation.hpp>
#include <orvulink/platform.hpp>

#include "platform/pump.hpp"

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
  void Post(std::string name) {
    PostThreadMessage([this, name] { log_.push_back(name); });
  }
};

// A message posted during delivery waits for the next pump, unless a nested pump delivers it
// after the rest of the batch; each message arrives once.
TEST_F(PumpTest, PostedDuringDeliveryWaitsForTheNextPumpOrANestedOne) {
  PostThreadMessage([&] {
    log_.push_back("first");
    Post("follow-up");
  });
  PumpMessages();
  EXPECT_EQ(log_, (std::vector<std::string>{"first"}));
  PostThreadMessage([&] {
    log_.push_back("a");
    Post("posted by a");
    PumpMessages();
  });
  Post("b");
  PumpMessages();
  PumpMessages();
  EXPECT_EQ(log_, (std::vector<std::string>{"first", "follow-up", "a", "b", "posted by a"}));
}

TEST_F(PumpTest, MessagesArriveOnlyOnTheirThread) {
  Post("here");
  std::thread([] { PumpMessages(); }).join();
  EXPECT_TRUE(log_.empty());
  PumpMessages();
  EXPECT_EQ(log_.size(), 1u);
}

// A source or hook may end itself while it runs (its captures stay alive until it returns), and a
// poll is not re-entered by a pump inside it.
TEST_F(PumpTest, SourcesAndHookMayEndThemselvesAndAreNotReentered) {
  int polls = 0, depth = 0, maxDepth = 0, hookCalls = 0;
  std::unique_ptr<PumpSource> source;
  source = AddPumpSource([&, keep = std::string(64, 'x')] {
    ++polls;
    maxDepth = std::max(maxDepth, ++depth);
    if (depth == 1) PumpMessages();
    source.reset();
    EXPECT_EQ(keep.size(), 64u);
    --depth;
  });
  SetMessagePump([&, marker = std::string(64, 'h')] {
    ++hookCalls;
    SetMessagePump(nullptr);
    EXPECT_EQ(marker.size(), 64u);
  });
  PumpMessages();
  PumpMessages();
  EXPECT_EQ(polls, 1);
  EXPECT_EQ(maxDepth, 1);
  EXPECT_EQ(hookCalls, 1);
}

}  // namespace
}  // namespace orvulink::platform

namespace orvulink {
namespace {

// During a firing a handler may disconnect itself or destroy a later one (which then is not
// called); one connected during the firing runs from the next.
TEST(EventTest, HandlersMayChangeTheListDuringFire) {
  Event<> event;
  int selfCalls = 0, lateCalls = 0;
  auto owner = std::make_unique<int>(0);
  Event<>::Connection self, later;
  std::vector<Event<>::Connection> added;
  self = event.Connect([&] {
    ++selfCalls;
    self.Disconnect();
    later = Event<>::Connection();
    owner.reset();
    added.push_back(event.Connect([&] { ++lateCalls; }));
  });
  later = event.Connect([&] { ++*owner; });  // would touch freed memory if still called
  event.Fire();
  EXPECT_EQ(lateCalls, 0);
  event.Fire();
  EXPECT_EQ(selfCalls, 1);
  EXPECT_EQ(lateCalls, 1);
  EXPECT_FALSE(self.Connected());
}

}  // namespace
}  // namespace orvulink
