// Lists the account's reception keys, downloads the SMS waiting on them, and optionally sets a
// key's automatic reply.
//
//   receive_messages                 every key
//   receive_messages KEY             one key
//   receive_messages KEY REPLY       one key, then set its automatic reply to REPLY
//
// Account and gateway as in send_first_message.
#include <orvulink/orvulink.hpp>

#include <cstdlib>
#include <iostream>
#include <string>

namespace {

void Show(const orvulink::OrvuReceptionKey& key) {
  std::cout << key.KeyReceived().utf8() << " (" << key.MessageFromRecive()
            << " waiting, automatic reply \"" << key.TextAutoResponder().utf8() << "\")\n";
}

void Download(orvulink::OrvuReceptionKey& key) {
  key.GetIncomingMessages();
  // None when nothing new was waiting or the gateway did not confirm the download.
  const auto messages = key.ReceivedMessages();
  if (!messages || messages->Count() == 0) {
    std::cout << "  no new messages\n";
    return;
  }
  for (const auto& message : *messages) {
    std::cout << "  " << message->DateTime().FormatGeneral() << "  " << message->PhoneGsm().utf8()
              << "  " << message->Text().utf8() << '\n';
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* user = std::getenv("ORVULINK_EXAMPLE_USER");
  const char* password = std::getenv("ORVULINK_EXAMPLE_PASSWORD");
  if (argc > 3 || user == nullptr || password == nullptr) {
    std::cerr << "usage: ORVULINK_EXAMPLE_USER=... ORVULINK_EXAMPLE_PASSWORD=... "
                 "receive_messages [KEY [REPLY]]\n";
    return 2;
  }

  auto control = orvulink::OrvuLinkActiveX::Create();
  control->UserName(user);
  control->Password(password);
  try {
    control->FillReceptionKeys();  // asks the gateway for the keys, then each key's values
    auto keys = control->ReceptionKeys();
    if (argc >= 2) {
      auto key = keys->ItemReceptionKey(argv[1]);  // letter case does not matter
      if (!key) {
        std::cerr << "no reception key " << argv[1] << '\n';
        return 1;
      }
      Show(*key);
      Download(*key);
      if (argc == 3) {
        key->SetAutoResponder(argv[2]);
        std::cout << "automatic reply of " << key->KeyReceived().utf8() << ": "
                  << key->TextAutoResponder().utf8() << '\n';
      }
      return 0;
    }
    for (const auto& key : *keys) {
      Show(*key);
      if (key->MessageFromRecive() > 0) Download(*key);
    }
  } catch (const orvulink::AutomationError& e) {
    std::cerr << "error " << e.Number() << ": " << e.Description().utf8() << '\n';
    return 1;
  }
  return 0;
}
