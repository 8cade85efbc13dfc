// Reading a download of 3000 received messages (against splitting the same payload into its
// fields, the floor any reader pays), and the component's MD5 against OpenSSL's.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <orvulink/receive.hpp>

#include "control/md5.hpp"
#include "platform/text.hpp"
#include "receive/incoming_payload.hpp"

#include <array>
#include <string>

namespace orvulink {
namespace {

constexpr int kMessages = 3000;

std::u16string DownloadOf3000() {
  std::u16string messages;
  for (int i = 0; i < kMessages; ++i) {
    if (i > 0) messages += u'\x1F';
    messages += u"2026-12-06\t10:15:00\t+39333" + platform::Utf8ToUtf16(std::to_string(i)) +
                u"\tThanks for the reminder, see you on Monday at ten";
  }
  return messages;
}

void ReadDownload(benchmark::State& state) {
  const auto messages = DownloadOf3000();
  for (auto _ : state)
    benchmark::DoNotOptimize(receive::ReadMessageList(messages));
  state.SetItemsProcessed(state.iterations() * kMessages);
}

void SplitDownloadFields(benchmark::State& state) {
  const auto messages = DownloadOf3000();
  for (auto _ : state) {
    std::size_t fields = 0;
    for (const auto& part : platform::Split(messages, u"\x1F"))
      fields += platform::Split(part, u"\t").size();
    benchmark::DoNotOptimize(fields);
  }
  state.SetItemsProcessed(state.iterations() * kMessages);
}

// A user name, the length the component digests on every command.
const std::u16string kCredential = u"mario.rossi@example.it";

void Md5Component(benchmark::State& state) {
  const control::CMD5 md5;
  for (auto _ : state)
    benchmark::DoNotOptimize(md5.MD5(kCredential));
}

void Md5OpenSsl(benchmark::State& state) {
  std::string bytes(kCredential.begin(), kCredential.end());
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  static constexpr char kHex[] = "0123456789abcdef";
  for (auto _ : state) {
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_md5(), nullptr);
    std::u16string text;
    for (unsigned int i = 0; i < length; ++i) {
      text += static_cast<char16_t>(kHex[digest[i] >> 4]);
      text += static_cast<char16_t>(kHex[digest[i] & 0x0F]);
    }
    benchmark::DoNotOptimize(text);
  }
}

BENCHMARK(ReadDownload)->Unit(benchmark::kMillisecond);
BENCHMARK(SplitDownloadFields)->Unit(benchmark::kMillisecond);
BENCHMARK(Md5Component);
BENCHMARK(Md5OpenSsl);

}  // namespace
}  // namespace orvulink
