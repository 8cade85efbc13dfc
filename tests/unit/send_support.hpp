// A signed-in control with a fake network and clock, for the send and status-query tests.
#pragma once

#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/send.hpp>

#include "fake_network.hpp"
#include "gateway/command.hpp"
#include "test_support.hpp"

#include <memory>
#include <string>
#include <vector>

namespace orvulink::testing {

// The head of a command as the gateway receives it, and the serial field.
inline std::string Head(int command, const char* user = "mario", const char* password = "segreto") {
  return "CMD=" + std::to_string(command) + "&UID=" + PercentEncoded(OpenSslMd5Hex(user)) +
         "&PWD=" + PercentEncoded(OpenSslMd5Hex(password));
}
inline std::string SerialField() {
  return "&SERIAL=" + PercentEncoded(BStr(gateway::SerialToken()).utf8());
}

class SignedInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = OrvuLinkActiveX::Create();
    control_->AutomaticProxy(false);
    control_->UserName("mario");
    control_->Password("segreto");
  }
  // The gateway's answer text; the fake wraps it in a page frame.
  void Answer(const std::string& answerText) {
    http_.script->Queue({HttpScript::Framed(answerText)});
  }
  const std::vector<std::string>& Sent() const { return http_.script->sentBodies; }

  ScopedFakeHttp http_;
  ScopedOnlineCheck scopedOnline_{std::make_shared<SwitchableOnlineCheck>()};
  std::shared_ptr<FakeClock> clock_ = std::make_shared<FakeClock>();
  ScopedClock scopedClock_{clock_};
  std::shared_ptr<OrvuLinkActiveX> control_;
};

class SendListTest : public SignedInTest {
 protected:
  void SetUp() override {
    SignedInTest::SetUp();
    list_ = control_->MessagesToSend();
  }
  std::vector<OrvuLink_StatusMessage> Statuses() const {
    std::vector<OrvuLink_StatusMessage> statuses;
    for (const auto& message : *list_)
      statuses.push_back(message->Status());
    return statuses;
  }

  std::shared_ptr<OrvuSendMessages> list_;
};

}  // namespace orvulink::testing
