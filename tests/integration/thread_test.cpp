// Thread isolation: several host threads, each with its own control and lists, exchange with
// one simulator over HTTPS at the same time. Each thread must see only its own error state, last
// request and lists, and an object handed to another thread must refuse to be used there. Built
// once more under ThreadSanitizer in CI, where a shared, unguarded state would show up as a race.
#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/notify.hpp>
#include <orvulink/receive.hpp>
#include <orvulink/send.hpp>

#include <barrier>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "integration/integration_support.hpp"

namespace orvulink::integration {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 3;
constexpr int kIntruder = kThreads - 1;  // signs in with a wrong password
constexpr std::int32_t kAuthenticationError = 28375;
constexpr std::int32_t kInvalidCall = 5;

std::string User(int thread) {
  return "user" + std::to_string(thread);
}
std::string Key(int thread) {
  return "K" + std::to_string(thread);
}

sim::SimulatorConfig Accounts() {
  auto accounts = nlohmann::json::array();
  for (int thread = 0; thread < kThreads; ++thread) {
    accounts.push_back({{"user", User(thread)},
                        {"password", "secret"},
                        {"credit", 1000.0},
                        {"reception_keys", {Key(thread)}}});
  }
  sim::SimulatorConfig config;
  config.accounts = sim::ParseFixture({{"accounts", accounts}});
  return config;
}

// The machine's interfaces are not under test; safe to ask from every thread.
struct AlwaysOnline : platform::OnlineCheck {
  bool IsOnline() override { return true; }
};

// What one thread saw, checked on the main thread once all are done.
struct ThreadReport {
  std::vector<std::int32_t> errors;  // ErrCode after each command
  std::int32_t errCodeAfterBarrier = -1;
  bool lastRequestsOwn = true;  // every LastRequest carried this thread's own user digest
  int forwarded = 0;
  int statusRecipients = 0;
  int received = 0;
};

class ThreadIsolation : public ::testing::Test {
 protected:
  void Host(int thread, ThreadReport& report) {
    auto control = OrvuLinkActiveX::Create();
    control->UserName(BStr(User(thread)));
    control->Password(BStr(thread == kIntruder ? "wrong" : "secret"));
    control->EncryptSSL(VariantBool(true));
    control->AutomaticProxy(VariantBool(false));
    const std::string ownDigest = "UID=" + PercentEveryByte(Md5Hex(User(thread)));
    const auto record = [&](const std::function<void()>& command) {
      testing::RaisedNumber(command);
      report.errors.push_back(control->ErrCode());
      report.lastRequestsOwn &= Utf8(control->LastRequest()).find(ownDigest) != std::string::npos;
    };

    auto sendList = control->MessagesToSend();
    for (int round = 0; round < kRounds; ++round) {
      sendList->AddMessage(BStr("+3933" + std::to_string(thread) + "00000" + std::to_string(round)),
                           BStr("Round " + std::to_string(round)), "Orvu", {});
      record([&] { sendList->SendMessage(); });
    }
    if (thread == 0) HandOver(sendList);
    // Every thread holds the outcome of one more command while all the others hold theirs.
    testing::RaisedNumber([&] { control->GetCredit(); });
    allFailedOrSent.arrive_and_wait();
    report.errCodeAfterBarrier = control->ErrCode();

    for (const auto& message : *sendList) {
      if (message->Status() == ORVULINK_MESSAGESEND_FORWARD) ++report.forwarded;
    }
    auto notify = control->MessagesToNotify();
    for (const auto& message : *sendList) {
      if (message->Status() == ORVULINK_MESSAGESEND_FORWARD)
        notify->AddMessage(message->OrderID()->Item(1));
    }
    if (report.forwarded > 0) record([&] { notify->GetStatusNotify(); });
    for (const auto& orderId : *notify)
      report.statusRecipients += orderId->Count();

    simulator->state().gateway.ReceiveSms(Key(thread), {"", "+39347", "For " + User(thread)});
    record([&] { control->FillReceptionKeys(); });
    if (auto keys = control->ReceptionKeys()) {
      auto key = keys->ItemReceptionKey(BStr(Key(thread)));
      record([&] { key->GetIncomingMessages(); });
      if (auto messages = key->ReceivedMessages()) {
        for (const auto& message : *messages)
          report.received += Utf8(message->Text()) == "For " + User(thread);
      }
    }
    if (thread == 0) handedBack.get_future().wait();  // keep the list's owner alive meanwhile
  }

  void HandOver(const std::shared_ptr<OrvuSendMessages>& list) { handed.set_value(list); }

  TempDir temp;
  std::filesystem::path caFile = temp.path() / "ca.pem";
  std::unique_ptr<sim::SimulatorThread> simulator = Started(caFile);
  ScopedEnv gatewayHost{"ORVULINK_GATEWAY_HOST", "127.0.0.1:" + std::to_string(simulator->port())};
  ScopedEnv ca{"ORVULINK_CA_FILE", caFile.string()};
  testing::ScopedOnlineCheck online{std::make_shared<AlwaysOnline>()};
  std::barrier<> allFailedOrSent{kThreads};
  std::promise<std::shared_ptr<OrvuSendMessages>> handed;
  std::promise<void> handedBack;

 private:
  static std::unique_ptr<sim::SimulatorThread> Started(const std::filesystem::path& caFile) {
    auto config = Accounts();
    config.tls = std::make_shared<sim::TlsIdentity>(sim::GenerateSelfSignedIdentity());
    sim::WriteCertificatePem(*config.tls, caFile);
    return std::make_unique<sim::SimulatorThread>(std::move(config));
  }
};

TEST_F(ThreadIsolation, EachThreadKeepsItsOwnStateAndRefusesForeignCalls) {
  std::vector<ThreadReport> reports(kThreads);
  std::vector<std::thread> hosts;
  for (int thread = 0; thread < kThreads; ++thread)
    hosts.emplace_back([this, thread, &reports] { Host(thread, reports[thread]); });

  // A list made on thread 0, used here: refused with the clear error, its owner unharmed.
  const auto foreign = handed.get_future().get();
  const auto refused = testing::CatchAutomationError([&] { foreign->Count(); });
  const auto refusedWalk = testing::CatchAutomationError([&] { (void)foreign->begin(); });
  handedBack.set_value();
  for (auto& running : hosts)
    running.join();

  ASSERT_TRUE(refused && refusedWalk);
  EXPECT_EQ(refused->Number(), kInvalidCall);
  EXPECT_EQ(refused->Description().utf8(),
            "OrvuLink: the object was used from a thread other than the one that created it");
  EXPECT_EQ(refusedWalk->Number(), kInvalidCall);

  for (int thread = 0; thread < kThreads; ++thread) {
    SCOPED_TRACE("thread " + std::to_string(thread));
    const auto& report = reports[thread];
    const std::int32_t expected = thread == kIntruder ? kAuthenticationError : 0;
    EXPECT_EQ(report.errCodeAfterBarrier, expected);
    EXPECT_TRUE(report.lastRequestsOwn);
    for (const auto error : report.errors)
      EXPECT_EQ(error, expected);
    EXPECT_EQ(report.forwarded, thread == kIntruder ? 0 : kRounds);
    EXPECT_EQ(report.statusRecipients, thread == kIntruder ? 0 : kRounds);
    EXPECT_EQ(report.received, thread == kIntruder ? 0 : 1);
  }
}

}  // namespace
}  // namespace orvulink::integration
