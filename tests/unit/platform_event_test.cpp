#include <orvulink/automation.hpp>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

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
