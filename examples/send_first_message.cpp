// Sends one SMS and prints what the gateway made of it.
//
//   send_first_message NUMBER SENDER TEXT
//
// The account comes from ORVULINK_EXAMPLE_USER and ORVULINK_EXAMPLE_PASSWORD (this program's own
// variables). The library itself reads ORVULINK_GATEWAY_HOST (which gateway) and
// ORVULINK_CA_FILE (a private CA, e.g. the simulator's).
#include <orvulink/orvulink.hpp>

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
  const char* user = std::getenv("ORVULINK_EXAMPLE_USER");
  const char* password = std::getenv("ORVULINK_EXAMPLE_PASSWORD");
  if (argc != 4 || user == nullptr || password == nullptr) {
    std::cerr << "usage: ORVULINK_EXAMPLE_USER=... ORVULINK_EXAMPLE_PASSWORD=... "
                 "send_first_message NUMBER SENDER TEXT\n";
    return 2;
  }

  auto control = orvulink::OrvuLinkActiveX::Create();
  control->UserName(user);  // only its MD5 digest travels to the gateway
  control->Password(password);

  auto list = control->MessagesToSend();
  try {
    list->AddMessage(argv[1], argv[3], argv[2]);  // number, text, sender; no date: send at once
    auto message = list->Item(1);
    if (message->Status() != orvulink::ORVULINK_MESSAGESEND_TOSEND) {
      // A bad number, sender or date is not an exception: the message's status tells.
      std::cerr << "not sent, status " << message->Status() << '\n';
      return 1;
    }
    list->SendMessage();  // one gateway command for the whole list
    std::cout << message->PhoneGsm().utf8() << ": status " << message->Status() << ", "
              << message->NumSMS() << " SMS\n";
    if (message->Status() != orvulink::ORVULINK_MESSAGESEND_FORWARD) return 1;
    for (const orvulink::BStr& id : *message->OrderID())
      std::cout << "order ID " << id.utf8() << '\n';
  } catch (const orvulink::AutomationError& e) {
    std::cerr << "error " << e.Number() << ": " << e.Description().utf8() << '\n';
    return 1;
  }
  return 0;
}
