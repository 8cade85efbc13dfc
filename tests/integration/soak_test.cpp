// Fault soak: send, status and receive against the simulator over HTTPS while its fault board
// mixes empty and garbage answers, delays past the time-out, refusals, HTTP errors and dropped
// connections. After every step: the error is the one the exchange rules give, no accepted
// message is put into a later command, no message leaves the list, and every injected SMS is
// eventually downloaded. Bounded by ORVULINK_SOAK_STEPS and ORVULINK_SOAK_SECONDS; the seed is
// ORVULINK_SOAK_SEED. Leaks are LeakSanitizer's to find in the sanitizer build.
#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/notify.hpp>
#include <orvulink/receive.hpp>
#include <orvulink/send.hpp>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "integration/integration_support.hpp"
#include "platform/curl_http_client.hpp"
#include "sim/command_parser.hpp"

namespace orvulink::integration {
namespace {

using namespace std::chrono_literals;

constexpr int kTimeScale = 40;             // 20 s / 60 s time-outs become 500 ms / 1500 ms
constexpr int kDelayPastTimeoutMs = 1700;  // beyond both scaled time-outs
constexpr std::int32_t kNetworkError = 28379;

long EnvNumber(const char* name, long fallback) {
  const char* text = std::getenv(name);
  return text ? std::strtol(text, nullptr, 10) : fallback;
}

// The real libcurl client with every time-out divided by kTimeScale, so a delay past the
// time-out costs a second instead of a minute.
class QuickTimeoutClient : public platform::HttpClient {
 public:
  void SetProxy(const BStr& hostPort) override { inner_->SetProxy(hostPort); }
  void SetProxyUserName(const BStr& name) override { inner_->SetProxyUserName(name); }
  void SetProxyPassword(const BStr& password) override { inner_->SetProxyPassword(password); }
  void UseTls(bool on) override { inner_->UseTls(on); }
  void SetAddress(const BStr& url) override { inner_->SetAddress(url); }
  void Reset() override { inner_->Reset(); }
  void SetTimeout(std::chrono::milliseconds timeout) override {
    inner_->SetTimeout(timeout / kTimeScale);
  }
  BStr Send(const BStr& body) override { return inner_->Send(body); }
  BStr StatusText() override { return inner_->StatusText(); }
  std::int32_t StatusCode() override { return inner_->StatusCode(); }

 private:
  std::unique_ptr<platform::HttpClient> inner_ = platform::MakeCurlHttpClient();
};

class ScopedQuickTimeouts {
 public:
  ScopedQuickTimeouts()
      : previous_(
            platform::SetHttpClientFactory([] { return std::make_unique<QuickTimeoutClient>(); })) {
  }
  ~ScopedQuickTimeouts() { platform::SetHttpClientFactory(previous_); }
  ScopedQuickTimeouts(const ScopedQuickTimeouts&) = delete;
  ScopedQuickTimeouts& operator=(const ScopedQuickTimeouts&) = delete;

 private:
  platform::HttpClientFactory previous_;
};

// One fault for the step's first exchange, and the error the rules give for it: an empty,
// garbage, dropped or late answer is tried again (three tries in all), an HTTP error is not,
// and a refusal code is decoded.
struct FaultPlan {
  std::string text;  // "" for a clean step
  std::int32_t error = 0;
};

FaultPlan PickFault(std::mt19937& random) {
  const int retries = std::uniform_int_distribution<int>(1, 3)(random);
  const std::int32_t afterRetries = retries == 3 ? kNetworkError : 0;
  const auto times = "x" + std::to_string(retries);
  switch (std::uniform_int_distribution<int>(0, 9)(random)) {
    case 0:
      return {"empty" + times, afterRetries};
    case 1:
      return {"garbage" + times, afterRetries};
    case 2:
      return {"drop" + times, afterRetries};
    case 3:
      return {"delay=" + std::to_string(kDelayPastTimeoutMs) + (retries == 3 ? "x2" : times), 0};
    case 4:
      return {"http=500x1", kNetworkError};
    case 5:
      return {std::vector<std::string>{"code=97x1", "code=96x1", "code=99x1"}[retries - 1],
              std::vector<std::int32_t>{28377, 28383, 28375}[retries - 1]};
    default:
      return {};
  }
}

// The decoded SENDDATA of a send command, "" for any other command.
std::string SendData(const std::string& command) {
  if (command.rfind("CMD=14&", 0) != 0) return {};
  const auto start = command.find("&SENDDATA=");
  const auto end = command.find('&', start + 1);
  return sim::PercentDecode(command.substr(start + 10, end - start - 10)).value_or("");
}

struct Tally {
  std::map<std::string, int> outcomes;  // "send/empty x2 -> 0"
  int steps = 0;
};

class FaultSoak : public ::testing::Test {
 protected:
  FaultSoak() : env(Scheme::kHttps, Config()) {}

  static sim::SimulatorConfig Config() {
    return DemoAccountWith({{"reception_keys", {"K1"}}, {"credit", 1e9}});
  }

  // The number of the automation error the operation raised, 0 when it raised none; ErrCode
  // must agree either way.
  std::int32_t Run(const std::function<void()>& operation) {
    const std::int32_t raised = testing::RaisedNumber(operation);
    EXPECT_EQ(env.control().ErrCode(), raised);
    return raised;
  }

  void Inject(const FaultPlan& plan) {
    if (!plan.text.empty()) env.AddFault(plan.text);
  }

  void SendStep(const FaultPlan& plan) {
    std::set<std::string> forwarded;
    for (const auto& message : *sendList) {
      if (message->Status() == ORVULINK_MESSAGESEND_FORWARD)
        forwarded.insert(Utf8(message->PhoneGsm()));
    }
    const int fresh = std::uniform_int_distribution<int>(1, 4)(random);
    for (int i = 0; i < fresh; ++i) {
      char phone[sizeof "+39333-2147483648"];
      std::snprintf(phone, sizeof phone, "+39333%07d", ++phonesMade);
      sendList->AddMessage(phone, "Soak " + std::to_string(phonesMade), "Orvu", {});
    }
    const auto commandsBefore = env.Commands().size();
    const auto inDoubtBefore = inDoubt;
    Inject(plan);
    EXPECT_EQ(Run([&] { sendList->SendMessage(); }), plan.error) << plan.text;
    // Three tries without an answer: the gateway may or may not hold these, so they stay in
    // flight and are never put into a command again.
    if (plan.error == kNetworkError && plan.text.find("x3") != std::string::npos) {
      for (const auto& message : *sendList) {
        if (message->Status() == ORVULINK_MESSAGESEND_INSEND)
          inDoubt.insert(Utf8(message->PhoneGsm()));
      }
    }

    const auto commands = env.Commands();
    for (auto i = commandsBefore; i < commands.size(); ++i) {
      const auto data = SendData(commands[i]);
      for (const auto& phone : forwarded)
        EXPECT_EQ(data.find(phone), std::string::npos) << phone << " accepted, then resent";
      for (const auto& phone : inDoubtBefore)
        EXPECT_EQ(data.find(phone), std::string::npos) << phone << " in flight, then resent";
    }
    CheckSendList(forwarded);
  }

  void CheckSendList(const std::set<std::string>& forwardedBefore) {
    ASSERT_EQ(sendList->Count(), phonesMade) << "a message left the list";
    for (const auto& message : *sendList) {
      const auto status = message->Status();
      const auto phone = Utf8(message->PhoneGsm());
      EXPECT_TRUE(status == ORVULINK_MESSAGESEND_TOSEND || status == ORVULINK_MESSAGESEND_FORWARD ||
                  (status == ORVULINK_MESSAGESEND_INSEND && inDoubt.count(phone)))
          << phone << " " << status;
      if (forwardedBefore.count(phone)) {
        EXPECT_EQ(status, ORVULINK_MESSAGESEND_FORWARD) << phone;
      }
      if (status == ORVULINK_MESSAGESEND_FORWARD) {
        auto ids = message->OrderID();
        ASSERT_NE(ids, nullptr) << phone;
        EXPECT_GE(ids->Count(), 1) << phone;
      }
    }
  }

  void StatusStep(const FaultPlan& plan) {
    std::vector<std::string> orderIds;
    for (const auto& message : *sendList) {
      if (message->Status() == ORVULINK_MESSAGESEND_FORWARD && orderIds.size() < 20)
        orderIds.push_back(Utf8(message->OrderID()->Item(1)));
    }
    if (orderIds.empty()) return;
    auto notify = env.control().MessagesToNotify();
    notify->Clear();
    for (const auto& id : orderIds)
      notify->AddMessage(id);
    const auto listed = notify->Count();
    env.simulator().state().gateway.AdvanceClock(1500ms);
    Inject(plan);
    EXPECT_EQ(Run([&] { notify->GetStatusNotify(); }), plan.error) << plan.text;
    ASSERT_EQ(notify->Count(), listed) << "an order ID left the list";
    if (plan.error != 0) return;
    for (const auto& id : orderIds)
      EXPECT_GE(notify->ItemOrderID(id)->Count(), 1) << id << " got no status";
  }

  void ReceiveStep(const FaultPlan& plan) {
    const std::string text = "Inbox " + std::to_string(++smsInjected);
    ASSERT_TRUE(env.simulator().state().gateway.ReceiveSms(
        "K1", sim::IncomingSms{"", "+39347000" + std::to_string(smsInjected), text}));
    Inject(plan);
    EXPECT_EQ(Run([&] { key->GetIncomingMessages(); }), plan.error) << plan.text;
    if (plan.error == 0) CollectReceived();
  }

  void CollectReceived() {
    if (auto messages = key->ReceivedMessages()) {
      for (const auto& message : *messages)
        received.insert(Utf8(message->Text()));
    }
  }

  // Faults off: whatever a refusal left waiting goes out now; only the messages in doubt stay
  // in flight.
  void Drain() {
    env.simulator().state().faults.Clear();
    Run([&] { sendList->SendMessage(); });
    for (const auto& message : *sendList) {
      const auto phone = Utf8(message->PhoneGsm());
      EXPECT_EQ(message->Status(),
                inDoubt.count(phone) ? ORVULINK_MESSAGESEND_INSEND : ORVULINK_MESSAGESEND_FORWARD)
          << phone;
    }
    EXPECT_EQ(Run([&] { key->GetIncomingMessages(); }), 0);
    CollectReceived();
  }

  GatewayEnvironment env;
  ScopedQuickTimeouts quickTimeouts;
  std::mt19937 random{static_cast<std::mt19937::result_type>(EnvNumber("ORVULINK_SOAK_SEED", 8))};
  std::shared_ptr<OrvuSendMessages> sendList;
  std::shared_ptr<OrvuReceptionKey> key;
  int phonesMade = 0;
  int smsInjected = 0;
  std::set<std::string> received;
  std::set<std::string> inDoubt;
};

TEST_F(FaultSoak, NothingAcceptedIsResentNothingIsLostAndEachErrorIsTheRulesOne) {
  sendList = env.control().MessagesToSend();
  ASSERT_EQ(env.control().FillReceptionKeys(), VariantBool(true));
  key = env.control().ReceptionKeys()->ItemReceptionKey("K1");
  ASSERT_NE(key, nullptr);

  const long maxSteps = EnvNumber("ORVULINK_SOAK_STEPS", 150);
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::seconds(EnvNumber("ORVULINK_SOAK_SECONDS", 40));
  Tally tally;
  static const char* const kOperations[] = {"send", "status", "receive"};
  while (tally.steps < maxSteps && std::chrono::steady_clock::now() < deadline) {
    const int operation = std::uniform_int_distribution<int>(0, 2)(random);
    const FaultPlan plan = PickFault(random);
    if (operation == 0) SendStep(plan);
    if (operation == 1) StatusStep(plan);
    if (operation == 2) ReceiveStep(plan);
    const auto kind = plan.text.substr(0, plan.text.find_first_of("=x"));
    ++tally.outcomes[std::string(kOperations[operation]) + "/" + (kind.empty() ? "clean" : kind)];
    ++tally.steps;
    if (HasFatalFailure() || HasFailure()) break;
  }
  Drain();

  for (int i = 1; i <= smsInjected; ++i)
    EXPECT_EQ(received.count("Inbox " + std::to_string(i)), 1U) << "SMS " << i << " was lost";
  EXPECT_GE(tally.steps, 30) << "too few steps to mean anything";
  std::cout << "soak: " << tally.steps << " steps, " << phonesMade << " messages sent, "
            << smsInjected << " SMS received, " << inDoubt.size() << " messages in doubt, "
            << env.Commands().size() << " requests\n";
  for (const auto& [name, count] : tally.outcomes)
    std::cout << "  " << name << ": " << count << "\n";
}

}  // namespace
}  // namespace orvulink::integration
