// Fault soak: send, status and receive against the simulator over HTTPS while its fault board
// mixes empty and garbage answers, delays past the time-out, refusals, HTTP errors and dropped
// connections. After every step: the error is the one the exchange rules give, no accepted
// message is put into a later command, no message leaves the list, and every injected SMS is
// eventually downloaded. Bounded by ORVULINK_SOAK_STEPS and ORVULINK_SOAK_SECONDS; the seed is
// ORVULINK_SOAK_SEED. Leaks are LeakSanitizer's to find in the sanitizer build.
#include <orvulink/notify.hpp>
#include <orvulink/receive.hpp>
#include <orvulink/send.hpp>

#include <random>
#include <set>

#include "integration/integration_support.hpp"
#include "platform/posix/curl_http_client.hpp"
#include "sim/command_parser.hpp"

namespace orvulink::integration {
namespace {

constexpr int kTimeScale = 40;             // 20 s / 60 s time-outs become 500 ms / 1500 ms
constexpr int kDelayPastTimeoutMs = 1700;  // beyond both scaled time-outs
constexpr std::int32_t kNetworkError = 28379;

long EnvNumber(const char* name, long fallback) {
  const char* text = std::getenv(name);
  return text ? std::strtol(text, nullptr, 10) : fallback;
}

// The real libcurl client with every time-out divided by kTimeScale, so that a delay past the
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
  const std::string times = "x" + std::to_string(retries);
  const FaultPlan plans[] = {
      {"empty" + times, afterRetries},
      {"garbage" + times, afterRetries},
      {"drop" + times, afterRetries},
      {"delay=" + std::to_string(kDelayPastTimeoutMs) + (retries == 3 ? "x2" : times), 0},
      {"http=500x1", kNetworkError},
      {std::vector<std::string>{"code=97x1", "code=96x1", "code=99x1"}[retries - 1],
       std::vector<std::int32_t>{28377, 28383, 28375}[retries - 1]}};
  const int pick = std::uniform_int_distribution<int>(0, 9)(random);
  return pick < 6 ? plans[pick] : FaultPlan{};  // four clean steps in ten
}

class FaultSoak : public ::testing::Test {
 protected:
  GatewayEnvironment env{Scheme::kHttps,
                         DemoAccountWith({{"reception_keys", {"K1"}}, {"credit", 1e9}})};
  platform::HttpClientFactory realClients =
      platform::SetHttpClientFactory([] { return std::make_unique<QuickTimeoutClient>(); });
  ~FaultSoak() override { platform::SetHttpClientFactory(realClients); }
};

TEST_F(FaultSoak, NothingAcceptedIsResentNothingIsLostAndEachErrorIsTheRulesOne) {
  std::mt19937 random(static_cast<std::mt19937::result_type>(EnvNumber("ORVULINK_SOAK_SEED", 8)));
  const auto sendList = env.control->MessagesToSend();
  const auto notify = env.control->MessagesToNotify();
  ASSERT_EQ(env.control->FillReceptionKeys(), VariantBool(true));
  const auto key = env.control->ReceptionKeys()->ItemReceptionKey("K1");
  ASSERT_NE(key, nullptr);
  std::set<std::string> accepted, inDoubt, received;
  const auto collect = [&] {
    if (auto messages = key->ReceivedMessages()) {
      for (const auto& message : *messages)
        received.insert(message->Text().utf8());
    }
  };

  const long maxSteps = EnvNumber("ORVULINK_SOAK_STEPS", 150);
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::seconds(EnvNumber("ORVULINK_SOAK_SECONDS", 40));
  int steps = 0, phonesMade = 0, smsInjected = 0;
  for (; steps < maxSteps && std::chrono::steady_clock::now() < deadline && !HasFailure();
       ++steps) {
    const int operation = std::uniform_int_distribution<int>(0, 2)(random);
    const FaultPlan plan = PickFault(random);
    const auto commandsBefore = env.Commands().size();

    std::function<void()> command = [&] { sendList->SendMessage(); };
    if (operation == 0) {
      for (int i = std::uniform_int_distribution<int>(1, 4)(random); i > 0; --i, ++phonesMade) {
        sendList->AddMessage(BStr("+39333" + std::to_string(1000000 + phonesMade)),
                             BStr("Soak " + std::to_string(phonesMade)), "Orvu", {});
      }
    } else if (operation == 1) {
      notify->Clear();
      for (const auto& message : *sendList) {
        if (message->Status() == ORVULINK_MESSAGESEND_FORWARD && notify->Count() < 20)
          notify->AddMessage(message->OrderID()->Item(1));
      }
      if (notify->Count() == 0) continue;
      env.simulator.state().gateway.AdvanceClock(std::chrono::milliseconds(1500));
      command = [&] { notify->GetStatusNotify(); };
    } else {
      ++smsInjected;
      ASSERT_TRUE(env.simulator.state().gateway.ReceiveSms(
          "K1",
          {"", "+39347000" + std::to_string(smsInjected), "Inbox " + std::to_string(smsInjected)}));
      command = [&] { key->GetIncomingMessages(); };
    }
    const auto listed = notify->Count();
    if (!plan.text.empty()) env.simulator.state().faults.Add(sim::ParseFault(plan.text));
    const std::int32_t raised = testing::RaisedNumber(command);
    EXPECT_EQ(raised, plan.error) << plan.text;
    EXPECT_EQ(env.control->ErrCode(), raised);

    // Nothing accepted or in doubt before this step went out again.
    const auto commands = env.Commands();
    for (auto i = commandsBefore; i < commands.size(); ++i) {
      const auto parsed = sim::ParseCommand(commands[i]);
      const auto* sendData = parsed.command ? parsed.command->Find("SENDDATA") : nullptr;
      for (const auto* phones : {&accepted, &inDoubt}) {
        for (const auto& phone : *phones)
          EXPECT_TRUE(!sendData || sendData->text.find(phone) == std::string::npos) << phone;
      }
    }
    // Three tries without an answer: the gateway may or may not hold these, so they stay in
    // flight and are never put into a command again.
    if (operation == 0 && raised == kNetworkError && plan.text.find("x3") != std::string::npos) {
      for (const auto& message : *sendList) {
        EXPECT_NE(message->Status(), ORVULINK_MESSAGESEND_TOSEND) << "in doubt, yet to send again";
        if (message->Status() == ORVULINK_MESSAGESEND_INSEND)
          inDoubt.insert(message->PhoneGsm().utf8());
      }
    }
    ASSERT_EQ(sendList->Count(), phonesMade) << "a message left the list";
    for (const auto& message : *sendList) {
      const auto status = message->Status();
      const auto phone = message->PhoneGsm().utf8();
      EXPECT_TRUE(status == ORVULINK_MESSAGESEND_TOSEND || status == ORVULINK_MESSAGESEND_FORWARD ||
                  (status == ORVULINK_MESSAGESEND_INSEND && inDoubt.count(phone)))
          << phone << " " << status;
      if (accepted.count(phone)) {
        EXPECT_EQ(status, ORVULINK_MESSAGESEND_FORWARD) << phone;
      }
      if (status != ORVULINK_MESSAGESEND_FORWARD) continue;
      ASSERT_NE(message->OrderID(), nullptr) << phone;
      EXPECT_GE(message->OrderID()->Count(), 1) << phone;
      accepted.insert(phone);
    }
    if (operation == 1) {
      ASSERT_EQ(notify->Count(), listed) << "an order ID left the list";
    }
    for (const auto& orderId : *notify)
      EXPECT_TRUE(operation != 1 || raised != 0 || orderId->Count() >= 1) << "no status";
    if (operation == 2 && raised == 0) collect();
  }

  // Faults off: whatever a refusal left waiting goes out now; only the messages in doubt stay
  // in flight, and every SMS is downloaded.
  env.simulator.state().faults.Clear();
  testing::RaisedNumber([&] { sendList->SendMessage(); });
  for (const auto& message : *sendList) {
    const auto phone = message->PhoneGsm().utf8();
    EXPECT_EQ(message->Status(),
              inDoubt.count(phone) ? ORVULINK_MESSAGESEND_INSEND : ORVULINK_MESSAGESEND_FORWARD)
        << phone;
  }
  EXPECT_EQ(testing::RaisedNumber([&] { key->GetIncomingMessages(); }), 0);
  collect();
  for (int i = 1; i <= smsInjected; ++i)
    EXPECT_EQ(received.count("Inbox " + std::to_string(i)), 1U) << "SMS " << i << " was lost";
  EXPECT_GE(steps, 30) << "too few steps to mean anything";
}

}  // namespace
}  // namespace orvulink::integration
