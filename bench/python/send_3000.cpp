// The C++ half of bench/python/overhead.py: the same 3000-recipient send the Python half
// makes, against the gateway named by ORVULINK_GATEWAY_HOST. Prints the median seconds per
// round.
//
//   orvulink_py_send_3000 ROUNDS group|single
#include <orvulink/orvulink.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kRecipients = 3000;

std::string Number(int i) {
  return "+39333" + std::to_string(1000000 + i);
}

bool SendRound(orvulink::OrvuSendMessages& list, bool group) {
  list.Clear();
  if (group) {
    orvulink::Collection numbers;
    for (int i = 0; i < kRecipients; ++i)
      numbers.Add(Number(i));
    list.AddGroupMessage(numbers, "Sale starts Monday", "OrvuShop");
  } else {
    for (int i = 0; i < kRecipients; ++i)
      list.AddMessage(Number(i), "Sale starts Monday", "OrvuShop");
  }
  return list.SendMessage().IsTrue() && list.CountMessageForward() == kRecipients;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const int rounds = std::atoi(argv[1]);
  const bool group = std::strcmp(argv[2], "group") == 0;
  auto control = orvulink::OrvuLinkActiveX::Create();
  control->UserName("demo");
  control->Password("demo-password");
  control->EncryptSSL(true);
  control->AutomaticProxy(false);
  auto list = control->MessagesToSend();
  std::vector<double> seconds;
  for (int r = 0; r < rounds; ++r) {
    const auto start = std::chrono::steady_clock::now();
    if (!SendRound(*list, group)) return 1;
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  std::nth_element(seconds.begin(), seconds.begin() + rounds / 2, seconds.end());
  std::printf("%.6f\n", seconds[static_cast<std::size_t>(rounds / 2)]);
  return 0;
}
