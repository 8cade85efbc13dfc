// Follows the delivery status of sent messages until every recipient's status is final.
//
//   follow_status SECONDS ORDERID[:PHONE]...
//
// Each entry is an order ID that a send gave, alone (every recipient of the order) or with one
// recipient's number. The status list asks about each order ID once, so every round fills a
// fresh list. Account and gateway as in send_first_message.
#include <orvulink/orvulink.hpp>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

const char* StateName(orvulink::OrvuLink_StateNotify status) {
  switch (status) {
    case orvulink::ORVULINK_STATE_RESPINTO:
      return "RESPINTO";
    case orvulink::ORVULINK_STATE_ERROPERATOR:
      return "ERROPERATOR";
    case orvulink::ORVULINK_STATE_ERRGATEWAY:
      return "ERRGATEWAY";
    case orvulink::ORVULINK_STATE_TONOTIFY:
      return "TONOTIFY";
    case orvulink::ORVULINK_STATE_GETWAY:
      return "GETWAY";
    case orvulink::ORVULINK_STATE_OPERATOR:
      return "OPERATOR";
    case orvulink::ORVULINK_STATE_DELIVERED:
      return "DELIVERED";
  }
  return "other";  // the gateway's number is kept even when it has no name
}

bool IsFinal(orvulink::OrvuLink_StateNotify status) {
  return status == orvulink::ORVULINK_STATE_DELIVERED || status < 0;
}

// ORDERID or ORDERID:PHONE.
std::pair<std::string, std::string> SplitEntry(const std::string& entry) {
  const auto colon = entry.find(':');
  if (colon == std::string::npos) return {entry, ""};
  return {entry.substr(0, colon), entry.substr(colon + 1)};
}

// One query; prints every recipient and tells whether all of them are final.
bool QueryOnce(orvulink::OrvuNotifiedMessages& list, const std::vector<std::string>& entries) {
  list.Clear();
  for (const std::string& entry : entries) {
    const auto [orderId, phone] = SplitEntry(entry);
    list.AddMessage(orderId, phone);
  }
  list.GetStatusNotify();
  bool allFinal = true;
  for (const auto& order : list) {
    if (order->Status() == orvulink::ORVULINK_ORDERID_NOTCORRECTED) {
      std::cout << order->OrderID().utf8() << ": unknown to the gateway\n";
      continue;
    }
    for (const auto& recipient : *order) {
      std::cout << order->OrderID().utf8() << ' ' << recipient->PhoneGsm().utf8() << ' '
                << StateName(recipient->Status()) << " reason " << recipient->ReasonCode() << " at "
                << recipient->DateTime().FormatGeneral() << '\n';
      allFinal = allFinal && IsFinal(recipient->Status());
    }
  }
  return allFinal;
}

}  // namespace

int main(int argc, char** argv) {
  const char* user = std::getenv("ORVULINK_EXAMPLE_USER");
  const char* password = std::getenv("ORVULINK_EXAMPLE_PASSWORD");
  const int seconds = argc >= 3 ? std::atoi(argv[1]) : 0;
  if (seconds < 1 || user == nullptr || password == nullptr) {
    std::cerr << "usage: ORVULINK_EXAMPLE_USER=... ORVULINK_EXAMPLE_PASSWORD=... "
                 "follow_status SECONDS ORDERID[:PHONE]...\n";
    return 2;
  }
  const std::vector<std::string> entries(argv + 2, argv + argc);

  auto control = orvulink::OrvuLinkActiveX::Create();
  control->UserName(user);
  control->Password(password);
  auto list = control->MessagesToNotify();
  // The connection disconnects the handler when it goes out of scope.
  auto progress = list->ProgresNotify.Connect([](orvulink::OrvuLink_CodeProgress& step) {
    if (step == orvulink::ORVULINK_PROGRESS_REQUEST) std::cerr << "asking the gateway...\n";
  });

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  try {
    while (!QueryOnce(*list, entries)) {
      if (std::chrono::steady_clock::now() >= deadline) {
        std::cerr << "time is up; some statuses are not final\n";
        return 4;
      }
      std::this_thread::sleep_for(std::chrono::seconds(1));
      std::cout << '\n';
    }
  } catch (const orvulink::AutomationError& e) {
    std::cerr << "error " << e.Number() << ": " << e.Description().utf8() << '\n';
    return 1;
  }
  return 0;
}
