#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/notify.hpp>

#include "fake_network.hpp"
#include "test_support.hpp"

namespace orvulink {
namespace {

using testing::RaisesError;

class NotifyList : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = OrvuLinkActiveX::Create();
    list_ = control_->MessagesToNotify();
  }
  // The numbers an order ID follows, in order.
  std::vector<std::string> Phones(const char* orderId) const {
    std::vector<std::string> phones;
    for (const auto& recipient : *list_->ItemOrderID(orderId)) {
      phones.push_back(recipient->PhoneGsm().utf8());
    }
    return phones;
  }

  std::shared_ptr<OrvuLinkActiveX> control_;
  std::shared_ptr<OrvuNotifiedMessages> list_;
};

TEST_F(NotifyList, AddingFollowsAnOrderOrItsNamedRecipients) {
  const struct {
    const char* orderId;
    const char* phone;
    bool changed;
    std::vector<std::string> phonesOf123;
  } steps[] = {
      {"1;2:3", "0039333111", true, {"+39333111"}},
      {"123", "+39333111", false, {"+39333111"}},
      {"123", "333222", true, {"+39333111", "+333222"}},
      {"123", "", true, {}},  // now every recipient of the order
      {"123", "0039333111", false, {}},
      {"123", "", false, {}},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(list_->AddMessage(step.orderId, step.phone), VariantBool(step.changed))
        << step.orderId << " " << step.phone;
    EXPECT_EQ(Phones("123"), step.phonesOf123) << step.orderId << " " << step.phone;
  }
  EXPECT_EQ(list_->Count(), 1);
  EXPECT_EQ(list_->ItemOrderID("1;2:3"), nullptr);  // lookups take the key as given
  EXPECT_NE(list_->ItemOrderID("123"), nullptr);
  EXPECT_EQ(list_->ItemOrderID("123")->NewEnum(), nullptr);
}

TEST_F(NotifyList, KeysIgnoreCaseAndRemovalKeepsTheRest) {
  list_->AddMessage("abc", "+39333111");
  EXPECT_EQ(list_->AddMessage("ABC", "+39333111"), VariantBool(false));
  list_->AddMessage("def");
  list_->AddMessage("ghi");
  EXPECT_EQ(list_->Count(), 3);

  EXPECT_EQ(list_->RemoveMessage("ABC", "0039333111"), VariantBool(true));
  EXPECT_EQ(list_->ItemOrderID("abc")->Count(), 0);  // the order ID itself stays
  EXPECT_EQ(list_->RemoveMessage("abc", "+39333111"), VariantBool(false));
  EXPECT_EQ(list_->RemoveMessage("def"), VariantBool(true));
  EXPECT_EQ(list_->Item(2)->OrderID(), BStr("ghi"));
  EXPECT_EQ(list_->ItemOrderID("GHI"), list_->Item(2));
  list_->RemoveMessage("abc");
  list_->RemoveMessage("ghi");
  EXPECT_TRUE(RaisesError(91, [&] { list_->NewEnum(); }));  // the last removal drops the store
}

TEST_F(NotifyList, CapacityRefusesOrEmpties) {
  list_->MaxListToNotify(2);
  list_->AddMessage("1");
  list_->AddMessage("2");
  EXPECT_TRUE(RaisesError(28378, [&] { list_->AddMessage("3"); }));
  EXPECT_EQ(list_->Count(), 2);
  EXPECT_EQ(control_->ErrCode(), 28378);
  for (std::int16_t bad : {0, 3001}) {
    EXPECT_TRUE(RaisesError(28378, [&] { list_->MaxListToNotify(bad); }));
    EXPECT_EQ(list_->MaxListToNotify(), 2);
    EXPECT_EQ(list_->Count(), 2);
  }
  list_->MaxListToNotify(3000);
  EXPECT_EQ(list_->Count(), 0);
}

}  // namespace
}  // namespace orvulink
