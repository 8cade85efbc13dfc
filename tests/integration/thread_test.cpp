// Thread isolation: several host threads, each with its own control and lists, exchange with
// one simulator over HTTPS at the same time. Each thread must see only its own error state, last
// request and lists, and an object handed to another thread must refuse to be used there. Built
// once more under ThreadSanitizer in CI, where a shared, unguarded state would show up as a race.
// GoogleTest's assertions are safe to use from every thread.
#include <orvulink/notify.hpp>
#include <orvulink/receive.hpp>
#include <orvulink/send.hpp>

#include <barrier>
#include <future>

#include "integration/integration_support.hpp"

namespace orvulink::integration {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 3;
constexpr int kIntruder = kThreads - 1;  // signs in with a wrong password

class ThreadIsolation : public ::testing::Test {
 protected:
  static sim::SimulatorConfig Accounts() {
    auto accounts = nlohmann::json::array();
    for (int thread = 0; thread < kThreads; ++thread) {
      accounts.push_back({{"user", "user" + std::to_string(thread)},
                          {"password", "secret"},
                          {"credit", 1000.0},
                          {"reception_keys", {"K" + std::to_string(thread)}}});
    }
    sim::SimulatorConfig config;
    config.accounts = sim::ParseFixture({{"accounts", accounts}});
    return config;
  }

  void Host(int thread) {
    SCOPED_TRACE("thread " + std::to_string(thread));
    const std::string user = "user" + std::to_string(thread);
    const std::int32_t expected = thread == kIntruder ? ORVULINK_ERROR_AUTHENTICATION : 0;
    const int accepted = thread == kIntruder ? 0 : kRounds;
    auto control = OrvuLinkActiveX::Create();
    control->UserName(BStr(user));
    control->Password(BStr(thread == kIntruder ? "wrong" : "secret"));
    control->EncryptSSL(VariantBool(true));
    control->AutomaticProxy(VariantBool(false));
    // Every command leaves this thread's own error and its own request, whatever the others do.
    const std::string ownDigest = "UID=" + testing::PercentEncoded(testing::OpenSslMd5Hex(user));
    const auto run = [&](const std::function<void()>& command) {
      testing::RaisedNumber(command);
      EXPECT_EQ(control->ErrCode(), expected);
      EXPECT_NE(control->LastRequest().utf8().find(ownDigest), std::string::npos);
    };

    auto sendList = control->MessagesToSend();
    for (int round = 0; round < kRounds; ++round) {
      sendList->AddMessage(BStr("+3933" + std::to_string(thread) + "00000" + std::to_string(round)),
                           BStr("Round " + std::to_string(round)), "Orvu", {});
      run([&] { sendList->SendMessage(); });
    }
    if (thread == 0) handed.set_value(sendList);
    // Every thread holds the outcome of one more command while all the others hold theirs.
    testing::RaisedNumber([&] { control->GetCredit(); });
    allFailedOrSent.arrive_and_wait();
    EXPECT_EQ(control->ErrCode(), expected);

    auto notify = control->MessagesToNotify();
    for (const auto& message : *sendList) {
      if (message->Status() == ORVULINK_MESSAGESEND_FORWARD)
        notify->AddMessage(message->OrderID()->Item(1));
    }
    if (accepted > 0) run([&] { notify->GetStatusNotify(); });
    int statusRecipients = 0;
    for (const auto& orderId : *notify)
      statusRecipients += orderId->Count();
    EXPECT_EQ(statusRecipients, accepted);

    const std::string key = "K" + std::to_string(thread);
    env.simulator.state().gateway.ReceiveSms(key, {"", "+39347", "For " + user});
    run([&] { control->FillReceptionKeys(); });
    int received = 0;
    if (auto keys = control->ReceptionKeys()) {
      auto reception = keys->ItemReceptionKey(BStr(key));
      run([&] { reception->GetIncomingMessages(); });
      if (auto messages = reception->ReceivedMessages()) {
        for (const auto& message : *messages)
          received += message->Text().utf8() == "For " + user;
      }
    }
    EXPECT_EQ(received, thread == kIntruder ? 0 : 1);
    if (thread == 0) handedBack.get_future().wait();  // keep the list's owner alive meanwhile
  }

  GatewayEnvironment env{Scheme::kHttps, Accounts()};  // its own control stays unused
  std::barrier<> allFailedOrSent{kThreads};
  std::promise<std::shared_ptr<OrvuSendMessages>> handed;
  std::promise<void> handedBack;
};

TEST_F(ThreadIsolation, EachThreadKeepsItsOwnStateAndRefusesForeignCalls) {
  std::vector<std::thread> hosts;
  for (int thread = 0; thread < kThreads; ++thread)
    hosts.emplace_back([this, thread] { Host(thread); });

  // A list made on thread 0, used here: refused with the clear error, its owner unharmed.
  const auto foreign = handed.get_future().get();
  const auto refused = testing::CatchAutomationError([&] { foreign->Count(); });
  const auto refusedWalk = testing::CatchAutomationError([&] { (void)foreign->begin(); });
  handedBack.set_value();
  for (auto& running : hosts)
    running.join();

  ASSERT_TRUE(refused && refusedWalk);
  EXPECT_EQ(refused->Number(), 5);
  EXPECT_EQ(refused->Description().utf8(),
            "OrvuLink: the object was used from a thread other than the one that created it");
  EXPECT_EQ(refusedWalk->Number(), 5);
}

}  // namespace
}  // namespace orvulink::integration
