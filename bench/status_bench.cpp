// Reading a status answer for 3000 order IDs of two recipients each, against splitting the
// same payload into its fields and nothing more (the floor any reader pays).
#include <benchmark/benchmark.h>

#include <orvulink/control.hpp>
#include <orvulink/notify.hpp>

#include "notify/access.hpp"
#include "notify/status_query.hpp"
#include "platform/text.hpp"

#include <string>

namespace orvulink {
namespace {

constexpr int kOrderIds = 3000;

std::u16string OrderId(int i) {
  return u"ORD-" + platform::ToDecimal(100000 + i);
}

std::u16string Payload() {
  std::u16string payload;
  for (int i = 0; i < kOrderIds; ++i) {
    if (i > 0) payload += u"\r\n";
    const std::u16string phone = u"+39333" + platform::ToDecimal(1000000 + i);
    payload += OrderId(i) + u"\t2026-12-06,10:15:00," + phone + u"1,3,0;2026-12-06,10:16:00," +
               phone + u"2,-2,103";
  }
  return payload;
}

std::shared_ptr<OrvuNotifiedMessages> FilledList() {
  static const auto control = OrvuLinkActiveX::Create();
  auto list = control->MessagesToNotify();
  list->Clear();
  for (int i = 0; i < kOrderIds; ++i)
    list->AddMessage(OrderId(i));
  return list;
}

void ReadStatusAnswer(benchmark::State& state) {
  const std::u16string payload = Payload();
  for (auto _ : state) {
    state.PauseTiming();
    auto list = FilledList();
    auto& listState = notify::Access::State(*list);
    state.ResumeTiming();
    const notify::AskedOrderIds asked(listState.orderIds);
    notify::ApplyStatusLines(asked, payload);
    notify::FinaliseOrderIDs(asked);
    benchmark::DoNotOptimize(list->Count());
  }
  state.SetItemsProcessed(state.iterations() * kOrderIds);
}

void SplitStatusAnswerOnly(benchmark::State& state) {
  const std::u16string payload = Payload();
  for (auto _ : state) {
    std::size_t fields = 0;
    for (const auto& line : platform::Split(payload, u"\r\n")) {
      const auto parts = platform::Split(line, u"\t");
      for (const auto& entry : platform::Split(parts[1], u";")) {
        fields += platform::Split(entry, u",").size();
      }
    }
    benchmark::DoNotOptimize(fields);
  }
  state.SetItemsProcessed(state.iterations() * kOrderIds);
}

BENCHMARK(ReadStatusAnswer)->Unit(benchmark::kMillisecond);
BENCHMARK(SplitStatusAnswerOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvulink
