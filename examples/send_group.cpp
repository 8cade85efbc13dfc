// Sends one text to a group of recipients, now or at a given local time, follows the send's
// progress events and prints what became of each recipient.
//
//   send_group SENDER TEXT NUMBER... [--at "YYYY-MM-DD HH:MM"]
//
// Account and gateway as in send_first_message.
#include <orvulink/orvulink.hpp>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

namespace {

const char* StatusName(orvulink::OrvuLink_StatusMessage status) {
  switch (status) {
    case orvulink::ORVULINK_MESSAGESEND_CANCELLED:
      return "CANCELLED";
    case orvulink::ORVULINK_MESSAGESEND_ERRSENDER:
      return "ERRSENDER";
    case orvulink::ORVULINK_MESSAGESEND_ERRPHONEGSM:
      return "ERRPHONEGSM";
    case orvulink::ORVULINK_MESSAGESEND_ERRDATETIME:
      return "ERRDATETIME";
    case orvulink::ORVULINK_MESSAGESEND_ERRDOUBLE:
      return "ERRDOUBLE";
    case orvulink::ORVULINK_MESSAGESEND_ERRGATEWAY:
      return "ERRGATEWAY";
    case orvulink::ORVULINK_MESSAGESEND_INCOMPLETE:
      return "INCOMPLETE";
    case orvulink::ORVULINK_MESSAGESEND_TOSEND:
      return "TOSEND";
    case orvulink::ORVULINK_MESSAGESEND_INSEND:
      return "INSEND";
    case orvulink::ORVULINK_MESSAGESEND_FORWARD:
      return "FORWARD";
  }
  return "?";
}

// "YYYY-MM-DD HH:MM", local time.
std::optional<orvulink::Date> ParseSendTime(const char* text) {
  orvulink::DateParts parts;
  char end = '\0';
  if (std::sscanf(text, "%4d-%2d-%2d %2d:%2d%c", &parts.year, &parts.month, &parts.day, &parts.hour,
                  &parts.minute, &end) != 5) {
    return std::nullopt;
  }
  parts.second = 0;
  try {
    return orvulink::Date::FromParts(parts);  // raises error 5 for a day that does not exist
  } catch (const orvulink::AutomationError&) {
    return std::nullopt;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* user = std::getenv("ORVULINK_EXAMPLE_USER");
  const char* password = std::getenv("ORVULINK_EXAMPLE_PASSWORD");
  orvulink::Date sendAt;  // the zero date: send at once
  if (argc >= 3 && std::strcmp(argv[argc - 2], "--at") == 0) {
    const auto parsed = ParseSendTime(argv[argc - 1]);
    if (!parsed) {
      std::cerr << "--at wants \"YYYY-MM-DD HH:MM\"\n";
      return 2;
    }
    sendAt = *parsed;
    argc -= 2;
  }
  if (argc < 4 || user == nullptr || password == nullptr) {
    std::cerr << "usage: ORVULINK_EXAMPLE_USER=... ORVULINK_EXAMPLE_PASSWORD=... "
                 "send_group SENDER TEXT NUMBER... [--at \"YYYY-MM-DD HH:MM\"]\n";
    return 2;
  }

  auto control = orvulink::OrvuLinkActiveX::Create();
  control->UserName(user);
  control->Password(password);
  auto list = control->MessagesToSend();
  auto progress = list->ProgresSend.Connect([](orvulink::OrvuLink_CodeProgress& step) {
    static const char* const kSteps[] = {"composing", "sending", "reading the answer", "done"};
    std::cerr << "[" << kSteps[step] << "]\n";
  });

  orvulink::Collection recipients;  // the host's collection, 1-based
  for (int i = 3; i < argc; ++i)
    recipients.Add(argv[i]);
  try {
    list->AddGroupMessage(recipients, argv[2], argv[1], sendAt);
    if (!list->SendMessage().IsTrue()) std::cerr << "nothing valid to send\n";
  } catch (const orvulink::AutomationError& e) {
    std::cerr << "error " << e.Number() << ": " << e.Description().utf8() << '\n';
    return 1;
  }

  for (const auto& message : *list) {
    std::cout << message->PhoneGsm().utf8() << ' ' << StatusName(message->Status()) << " at "
              << message->DateTime().FormatGeneral();
    if (message->OrderID()) {
      for (const orvulink::BStr& id : *message->OrderID())
        std::cout << ' ' << id.utf8();
    }
    std::cout << '\n';
  }
  std::cout << list->CountMessageForward() << " accepted, " << list->CountMessageError()
            << " refused or invalid\n";
  return list->CountMessageError() == 0 ? 0 : 3;
}
