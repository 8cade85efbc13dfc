// Lists of 3000 messages: adding (against the plain walk), composing the send data, applying
// the gateway's answer (against a scan of the refused list per recipient).
#include <benchmark/benchmark.h>

#include <orvulink/control.hpp>
#include <orvulink/send.hpp>

#include "platform/text.hpp"
#include "send/access.hpp"
#include "send/find_phone.hpp"
#include "send/send_command.hpp"
#include "send/send_list_state.hpp"
#include "walked_send_list.hpp"

#include <string>
#include <vector>

namespace orvulink {
namespace {

constexpr int kMessages = 3000;

std::string Phone(int i) {
  return "+39333" + std::to_string(1000000 + i);
}
std::string TextFor(int i, bool distinctTexts) {
  return distinctTexts ? "Reminder number " + std::to_string(i) : "One text for everyone";
}

std::shared_ptr<OrvuSendMessages> NewList() {
  static const auto control = OrvuLinkActiveX::Create();
  return control->MessagesToSend();
}

// The arguments of the adds as a host holds them: made once, outside what is measured.
struct AddArguments {
  std::vector<BStr> phones;
  std::vector<BStr> texts;
  BStr sender = "Mario";
  AddArguments(int messages, bool distinctTexts) {
    for (int i = 0; i < messages; ++i) {
      phones.emplace_back(Phone(i));
      texts.emplace_back(TextFor(i, distinctTexts));
    }
  }
};

// Arguments: distinct texts (0 or 1), how many messages.
void AddToList(benchmark::State& state) {
  const auto messages = static_cast<int>(state.range(1));
  const AddArguments args(messages, state.range(0) != 0);
  auto list = NewList();
  for (auto _ : state) {
    list->Clear();
    for (std::size_t i = 0; i < args.phones.size(); ++i)
      list->AddMessage(args.phones[i], args.texts[i], args.sender);
    benchmark::DoNotOptimize(list->CountMessageToSend());
  }
  state.SetItemsProcessed(state.iterations() * messages);
}

// One AddGroupMessage of 3000 numbers, the collection of them built first as a host does: the
// same messages as 3000 adds of one text.
void AddGroupToList(benchmark::State& state) {
  auto list = NewList();
  for (auto _ : state) {
    list->Clear();
    Collection phones;
    for (int i = 0; i < kMessages; ++i)
      phones.Add(Phone(i));
    list->AddGroupMessage(phones, TextFor(0, false), "Mario");
    benchmark::DoNotOptimize(list->CountMessageToSend());
  }
  state.SetItemsProcessed(state.iterations() * kMessages);
}

void AddByReferenceWalk(benchmark::State& state) {
  const AddArguments args(kMessages, state.range(0) != 0);
  for (auto _ : state) {
    testing::WalkedList walked;
    for (std::size_t i = 0; i < args.phones.size(); ++i)
      walked.Add(testing::WalkedList::Built(args.phones[i], args.texts[i], args.sender));
    benchmark::DoNotOptimize(walked.toSend);
  }
  state.SetItemsProcessed(state.iterations() * kMessages);
}

// One group of 3000 recipients, all waiting to be sent.
std::shared_ptr<OrvuSendMessages> FullGroup() {
  auto list = NewList();
  list->Clear();
  for (int i = 0; i < kMessages; ++i)
    list->AddMessage(Phone(i), TextFor(0, false), "Mario");
  return list;
}

void ComposeSendData(benchmark::State& state) {
  auto list = FullGroup();
  auto& listState = send::Access::State(*list);
  for (auto _ : state) {
    send::SendBatch batch = send::ComposeSendData(listState);
    benchmark::DoNotOptimize(batch.sendData.data());
    state.PauseTiming();
    send::ResetInSend(batch);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kMessages);
}

// Every other recipient refused.
std::u16string ResultList() {
  std::u16string refused;
  for (int i = 0; i < kMessages; i += 2) {
    refused += (refused.empty() ? u"" : u",") + platform::Utf8ToUtf16(Phone(i));
  }
  return u"0;ID-1,ID-2;" + refused;
}

void ApplyAnswer(benchmark::State& state) {
  auto list = FullGroup();
  auto& listState = send::Access::State(*list);
  const std::u16string results = ResultList();
  for (auto _ : state) {
    state.PauseTiming();
    send::SendBatch batch = send::ComposeSendData(listState);
    state.ResumeTiming();
    send::ApplyResultList(listState, batch, results);
    state.PauseTiming();
    for (const auto& message : *list)
      send::Access::Status(*message) = ORVULINK_MESSAGESEND_TOSEND;
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kMessages);
}

// The refused list scanned once per recipient, as a plain reading of it does.
void ApplyByReferenceScan(benchmark::State& state) {
  const std::u16string results = ResultList();
  const std::u16string refused = results.substr(results.find(u';', 2) + 1);
  std::vector<std::u16string> phones;
  for (int i = 0; i < kMessages; ++i)
    phones.push_back(platform::Utf8ToUtf16(Phone(i)));
  for (auto _ : state) {
    int accepted = 0;
    for (const auto& phone : phones)
      accepted += send::FindPhone(refused, phone) == 0 ? 1 : 0;
    benchmark::DoNotOptimize(accepted);
  }
  state.SetItemsProcessed(state.iterations() * kMessages);
}

BENCHMARK(AddToList)
    ->Args({0, kMessages})
    ->Args({1, kMessages})
    ->Args({0, kMessages / 10})
    ->ArgNames({"distinct_texts", "messages"})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)  // adds vary with the heap's state: the median of three is reported
    ->ReportAggregatesOnly(true);
BENCHMARK(AddGroupToList)->Unit(benchmark::kMillisecond);
BENCHMARK(AddByReferenceWalk)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("distinct_texts")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(ComposeSendData)->Unit(benchmark::kMillisecond);
BENCHMARK(ApplyAnswer)->Unit(benchmark::kMillisecond);
BENCHMARK(ApplyByReferenceScan)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace orvulink
