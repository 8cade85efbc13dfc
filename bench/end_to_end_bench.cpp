// End to end on loopback: one SendMessage of 3000 recipients and one GetStatusNotify of 3000
// order IDs, each beside a bare libcurl POST of the same command bytes in the same run, against
// the gateway simulator and against a server that answers the simulator's answer, prepared,
// without work. The ratio is what the component adds to the wire time. Also the heap a full
// list of 3000 messages holds.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <malloc.h>

#include <orvulink/control.hpp>
#include <orvulink/notify.hpp>
#include <orvulink/platform.hpp>
#include <orvulink/send.hpp>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gateway/address.hpp"
#include "prepared_answer_server.hpp"
#include "sim/accounts.hpp"
#include "sim/simulator_thread.hpp"

namespace orvulink {
namespace {

constexpr int kMessages = 3000;

struct AlwaysOnline : platform::OnlineCheck {
  bool IsOnline() override { return true; }
};

// One simulator over plain HTTP for the whole run, and the component pointed at it.
struct Loopback {
  Loopback() : simulator(Config()) {
    ::setenv("ORVULINK_GATEWAY_HOST", ("127.0.0.1:" + std::to_string(simulator.port())).c_str(), 1);
    platform::SetOnlineCheck(std::make_shared<AlwaysOnline>());
    control = OrvuLinkActiveX::Create();
    control->UserName("demo");
    control->Password("demo-password");
    control->EncryptSSL(VariantBool(false));
    control->AutomaticProxy(VariantBool(false));
    url = "http://" + BStr(gateway::GatewayAddress()).utf8();
  }
  static sim::SimulatorConfig Config() {
    sim::SimulatorConfig config;
    config.accounts.accounts.front().credit = 1e12;
    return config;
  }

  sim::SimulatorThread simulator;
  std::shared_ptr<OrvuLinkActiveX> control;
  std::string url;
};

Loopback& Gateway() {
  static Loopback loopback;
  return loopback;
}

std::string Phone(int i) {
  return "+39333" + std::to_string(1000000 + i);
}

void FillList(OrvuSendMessages& list, bool distinctTexts) {
  list.Clear();
  for (int i = 0; i < kMessages; ++i) {
    list.AddMessage(Phone(i), distinctTexts ? "Reminder " + std::to_string(i) : "One for all",
                    "Orvu");
  }
}

// Runs a command; a failure is printed with the gateway's last answer, not thrown at the
// benchmark library.
template <class Command>
bool Succeeds(Command command) {
  try {
    return command() == VariantBool(true);
  } catch (const AutomationError& error) {
    std::fprintf(stderr, "%s (last answer: %s)\n", error.what(),
                 Gateway().control->LastRespose().utf8().substr(0, 200).c_str());
    return false;
  }
}

std::size_t Discard(char*, std::size_t size, std::size_t count, void*) {
  return size * count;
}

std::size_t Keep(char* data, std::size_t size, std::size_t count, void* answer) {
  static_cast<std::string*>(answer)->append(data, size * count);
  return size * count;
}

struct Answer {
  std::string contentType;
  std::string body;
};

// A fresh easy handle per POST, as the component makes a fresh client per exchange.
void BarePost(const std::string& url, const std::string& body, Answer* answer = nullptr) {
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, answer ? Keep : Discard);
  if (answer) curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer->body);
  if (curl_easy_perform(curl) != CURLE_OK) std::abort();
  char* type = nullptr;
  if (answer && curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
    answer->contentType = type;
  curl_easy_cleanup(curl);
}

// While it lives, the component's gateway is a server answering `body`'s answer from the
// simulator, prepared once, without work.
class NoWorkGateway {
 public:
  explicit NoWorkGateway(const std::string& body) : server_(Prepared(body)) {
    url_ = "http://127.0.0.1:" + std::to_string(server_->port()) + "/";
    ::setenv("ORVULINK_GATEWAY_HOST", ("127.0.0.1:" + std::to_string(server_->port())).c_str(), 1);
  }
  ~NoWorkGateway() {
    ::setenv("ORVULINK_GATEWAY_HOST",
             ("127.0.0.1:" + std::to_string(Gateway().simulator.port())).c_str(), 1);
  }
  const std::string& url() const { return url_; }

 private:
  static std::unique_ptr<bench::PreparedAnswerServer> Prepared(const std::string& body) {
    Answer answer;
    BarePost(Gateway().url, body, &answer);
    return std::make_unique<bench::PreparedAnswerServer>(answer.contentType, answer.body);
  }
  std::unique_ptr<bench::PreparedAnswerServer> server_;
  std::string url_;
};

std::string LastSendCommand() {
  auto list = Gateway().control->MessagesToSend();
  FillList(*list, false);
  Succeeds([&] { return list->SendMessage(); });
  return Gateway().control->LastRequest().utf8();
}

void SendMessage3000(benchmark::State& state) {
  std::unique_ptr<NoWorkGateway> noWork;
  if (state.range(0) != 0) noWork = std::make_unique<NoWorkGateway>(LastSendCommand());
  auto list = Gateway().control->MessagesToSend();
  for (auto _ : state) {
    state.PauseTiming();
    FillList(*list, false);
    state.ResumeTiming();
    if (!Succeeds([&] { return list->SendMessage(); })) state.SkipWithError("send failed");
  }
  state.SetItemsProcessed(state.iterations() * kMessages);
}

void BarePostOfSendCommand(benchmark::State& state) {
  const std::string body = LastSendCommand();
  std::unique_ptr<NoWorkGateway> noWork;
  if (state.range(0) != 0) noWork = std::make_unique<NoWorkGateway>(body);
  const std::string url = noWork ? noWork->url() : Gateway().url;
  for (auto _ : state)
    BarePost(url, body);
  state.SetItemsProcessed(state.iterations() * kMessages);
}

// 3000 order IDs the simulator knows: one send of 3000 distinct texts, one order ID each.
std::vector<BStr> OrderIds3000() {
  auto list = Gateway().control->MessagesToSend();
  FillList(*list, true);
  Succeeds([&] { return list->SendMessage(); });
  std::vector<BStr> ids;
  for (const auto& message : *list)
    ids.push_back(message->OrderID()->Item(1));
  return ids;
}

// A query settles what it reads, so each one starts from a freshly filled list.
std::shared_ptr<OrvuNotifiedMessages> NotifyListOf(const std::vector<BStr>& ids) {
  auto notify = Gateway().control->MessagesToNotify();
  notify->Clear();
  for (const auto& id : ids)
    notify->AddMessage(id);
  return notify;
}

std::string LastStatusCommand(const std::vector<BStr>& ids) {
  auto notify = NotifyListOf(ids);
  Succeeds([&] { return notify->GetStatusNotify(); });
  return Gateway().control->LastRequest().utf8();
}

void GetStatusNotify3000(benchmark::State& state) {
  const auto ids = OrderIds3000();
  std::unique_ptr<NoWorkGateway> noWork;
  if (state.range(0) != 0) noWork = std::make_unique<NoWorkGateway>(LastStatusCommand(ids));
  for (auto _ : state) {
    state.PauseTiming();
    auto notify = NotifyListOf(ids);
    state.ResumeTiming();
    if (!Succeeds([&] { return notify->GetStatusNotify(); })) state.SkipWithError("query failed");
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(ids.size()));
}

void BarePostOfStatusCommand(benchmark::State& state) {
  const auto ids = OrderIds3000();
  const std::string body = LastStatusCommand(ids);
  std::unique_ptr<NoWorkGateway> noWork;
  if (state.range(0) != 0) noWork = std::make_unique<NoWorkGateway>(body);
  const std::string url = noWork ? noWork->url() : Gateway().url;
  for (auto _ : state)
    BarePost(url, body);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(ids.size()));
}

// Heap held by a list of 3000 messages with distinct texts (glibc's count of bytes in use).
void FullListHeap(benchmark::State& state) {
  auto list = Gateway().control->MessagesToSend();
  list->Clear();
  const auto before = mallinfo2().uordblks;
  std::size_t held = 0;
  for (auto _ : state) {
    FillList(*list, true);
    held = mallinfo2().uordblks - before;
  }
  list->Clear();
  state.counters["heap_bytes"] = static_cast<double>(held);
  state.counters["bytes_per_message"] = static_cast<double>(held) / kMessages;
}

// Argument no_work: 0 against the simulator, 1 against the prepared-answer server. Reported as
// the median of three runs: a loopback exchange varies more from run to run than list work.
#define ORVULINK_END_TO_END(name)     \
  BENCHMARK(name)                     \
      ->ArgName("no_work")            \
      ->Arg(0)                        \
      ->Arg(1)                        \
      ->Unit(benchmark::kMillisecond) \
      ->UseRealTime()                 \
      ->MinTime(1.0)                  \
      ->Repetitions(3)                \
      ->ReportAggregatesOnly(true)
ORVULINK_END_TO_END(SendMessage3000);
ORVULINK_END_TO_END(BarePostOfSendCommand);
ORVULINK_END_TO_END(GetStatusNotify3000);
ORVULINK_END_TO_END(BarePostOfStatusCommand);
BENCHMARK(FullListHeap)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace orvulink
