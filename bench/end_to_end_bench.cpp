// End to end on loopback: one SendMessage of 3000 recipients and one GetStatusNotify of 3000
// order IDs against the gateway simulator, each beside a bare libcurl POST of the same command
// bytes to the same simulator in the same run. The ratio is what the component adds to the wire
// time. Also the heap a full list of 3000 messages holds.
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

// A fresh easy handle per POST, as the component makes a fresh client per exchange.
void BarePost(const std::string& url, const std::string& body) {
  CURL* curl = curl_easy_init();
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(body.size()));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
  if (curl_easy_perform(curl) != CURLE_OK) std::abort();
  curl_easy_cleanup(curl);
}

std::string LastSendCommand() {
  auto list = Gateway().control->MessagesToSend();
  FillList(*list, false);
  Succeeds([&] { return list->SendMessage(); });
  return Gateway().control->LastRequest().utf8();
}

void SendMessage3000(benchmark::State& state) {
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
  for (auto _ : state)
    BarePost(Gateway().url, body);
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

void GetStatusNotify3000(benchmark::State& state) {
  const auto ids = OrderIds3000();
  for (auto _ : state) {
    state.PauseTiming();
    auto notify = NotifyListOf(ids);
    state.ResumeTiming();
    if (!Succeeds([&] { return notify->GetStatusNotify(); })) state.SkipWithError("query failed");
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(ids.size()));
}

void BarePostOfStatusCommand(benchmark::State& state) {
  auto notify = NotifyListOf(OrderIds3000());
  Succeeds([&] { return notify->GetStatusNotify(); });
  const std::string body = Gateway().control->LastRequest().utf8();
  for (auto _ : state)
    BarePost(Gateway().url, body);
  state.SetItemsProcessed(state.iterations() * notify->Count());
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

BENCHMARK(SendMessage3000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BarePostOfSendCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(GetStatusNotify3000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BarePostOfStatusCommand)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(FullListHeap)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace orvulink
