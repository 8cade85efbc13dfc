#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/design.hpp>

#include "core/control_state.hpp"
#include "test_support.hpp"

#include <memory>
#include <thread>
#include <vector>

namespace orvulink {
namespace {

using Field = OrvuLinkProperty::Field;
using testing::OpenSslMd5Hex;

constexpr Field kProxyFields[] = {Field::txtProxy, Field::txtProxyPort, Field::txtProxyUsername,
                                  Field::txtProxyPassword};

OrvuLinkProperty PageOn(const std::shared_ptr<OrvuLinkActiveX>& control) {
  OrvuLinkProperty page;
  page.Initialize();
  page.SelectionChanged({control});
  return page;
}

// A control of another thread: every property call from this thread fails.
std::shared_ptr<OrvuLinkActiveX> ForeignControl() {
  std::shared_ptr<OrvuLinkActiveX> control;
  std::thread([&] { control = OrvuLinkActiveX::Create(); }).join();
  return control;
}

TEST(PropertyPage, LoadShowsEachPropertyInItsOwnField) {
  auto control = OrvuLinkActiveX::Create();
  control->UserName("user");
  control->Password("pass");
  control->VAPcode("ABCDEFGHIJ");
  control->TestMode(true);
  control->EncryptSSL(false);
  control->AutomaticProxy(false);
  control->Proxy("proxy.example");
  control->ProxyPort("3128");
  control->ProxyUsername("proxy-user");
  control->ProxyPassword("proxy-pass");
  auto page = PageOn(control);
  const std::pair<Field, const char*> texts[] = {
      {Field::txtUserName, "user"},           {Field::txtPassword, "pass"},
      {Field::txtVAPCode, "ABCDEFGHIJ"},      {Field::txtProxy, "proxy.example"},
      {Field::txtProxyPort, "3128"},          {Field::txtProxyUsername, "proxy-user"},
      {Field::txtProxyPassword, "proxy-pass"}};
  for (const auto& [field, text] : texts)
    EXPECT_EQ(page.Text(field), BStr(text)) << text;
  EXPECT_EQ(page.Value(Field::chkTestMode), OrvuLinkProperty::kChecked);
  EXPECT_EQ(page.Value(Field::chkEncryptSSL), OrvuLinkProperty::kUnchecked);
  EXPECT_EQ(page.Value(Field::chkProxy), OrvuLinkProperty::kUnchecked);
  for (auto field : kProxyFields)
    EXPECT_TRUE(page.Enabled(field) && !page.Locked(field));
}

TEST(PropertyPage, UncheckingTheAutomaticProxyEnablesTheProxyFieldsAndKeepsTheirText) {
  auto control = OrvuLinkActiveX::Create();
  control->Proxy("kept.example");
  auto page = PageOn(control);
  EXPECT_FALSE(page.EditText(Field::txtProxy, "typed-while-locked"));
  EXPECT_FALSE(page.Changed());

  ASSERT_TRUE(page.Click(Field::chkProxy));
  EXPECT_TRUE(page.Changed());
  EXPECT_TRUE(page.ProxyFrameEnabled());
  for (auto field : kProxyFields)
    EXPECT_TRUE(page.Enabled(field) && !page.Locked(field));
  EXPECT_EQ(page.Text(Field::txtProxy), BStr("kept.example"));
  ASSERT_TRUE(page.SetFocus(Field::txtProxy));

  ASSERT_TRUE(page.Click(Field::chkProxy));  // back to automatic: greyed, focus lost, text kept
  EXPECT_FALSE(page.Enabled(Field::txtProxy));
  EXPECT_EQ(page.Focus(), std::nullopt);
  EXPECT_EQ(page.Text(Field::txtProxy), BStr("kept.example"));
  EXPECT_FALSE(page.Click(Field::txtUserName));  // not a check box
}

TEST(PropertyPage, OnlyARealEditMarksThePageChangedAndLoadOrApplyClearsIt) {
  auto control = OrvuLinkActiveX::Create();
  control->UserName("same");
  auto page = PageOn(control);
  EXPECT_TRUE(page.EditText(Field::txtUserName, "same"));
  EXPECT_FALSE(page.Changed());
  EXPECT_TRUE(page.EditText(Field::txtUserName, "other"));
  EXPECT_TRUE(page.Changed());
  page.ApplyChanges();
  EXPECT_FALSE(page.Changed());
  page.Click(Field::chkTestMode);
  page.SelectionChanged({control});
  EXPECT_FALSE(page.Changed());
  EXPECT_EQ(page.Value(Field::chkTestMode), OrvuLinkProperty::kUnchecked);
}

TEST(PropertyPage, ApplyGoesThroughTheSettersOfTheControl) {
  auto control = OrvuLinkActiveX::Create();
  auto page = PageOn(control);
  page.Click(Field::chkProxy);
  page.Click(Field::chkTestMode);
  page.Click(Field::chkEncryptSSL);
  page.EditText(Field::txtUserName, " spaced user ");
  page.EditText(Field::txtPassword, "secret");
  page.EditText(Field::txtVAPCode, "ABCDEFGHIJ");
  page.EditText(Field::txtProxy, "proxy.example");
  page.EditText(Field::txtProxyPort, "8080");
  page.EditText(Field::txtProxyUsername, "pu");
  page.EditText(Field::txtProxyPassword, "pp");
  page.ApplyChanges();

  EXPECT_EQ(control->UserName(), BStr(" spaced user "));
  EXPECT_EQ(control->Password(), BStr("secret"));
  EXPECT_EQ(control->VAPcode(), BStr("ABCDEFGHIJ"));
  EXPECT_EQ(control->TestMode().value, VariantBool::kTrue);
  EXPECT_EQ(control->EncryptSSL().value, VariantBool::kFalse);
  EXPECT_EQ(control->AutomaticProxy().value, VariantBool::kFalse);
  EXPECT_EQ(control->Proxy(), BStr("proxy.example"));
  EXPECT_EQ(control->ProxyPort(), BStr("8080"));
  EXPECT_EQ(control->ProxyUsername(), BStr("pu"));
  EXPECT_EQ(control->ProxyPassword(), BStr("pp"));
  const auto& state = core::ThisThreadState();
  EXPECT_EQ(BStr(state.UserNameDigest).utf8(), OpenSslMd5Hex(" spaced user "));
  EXPECT_EQ(BStr(state.PasswordDigest).utf8(), OpenSslMd5Hex("secret"));
  EXPECT_TRUE(page.Rejected().empty());
}

struct VapCase {
  const char* typed;
  const char* stored;
  bool rejected;
};

TEST(PropertyPage, AppliedVapCodeIsCheckedByTheSetterAndErrCodeEndsAtZero) {
  const VapCase cases[] = {{"ABCDEFGHI", "", true}, {"ABCDEFGHIJ", "ABCDEFGHIJ", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    auto control = OrvuLinkActiveX::Create();
    auto page = PageOn(control);
    page.EditText(Field::txtVAPCode, c.typed);
    page.ApplyChanges();
    // The settings applied after the VAP code reset the error state.
    EXPECT_EQ(control->ErrCode(), 0);
    EXPECT_EQ(control->VAPcode(), BStr(c.stored));
    ASSERT_EQ(page.Rejected().size(), c.rejected ? 1u : 0u);
    if (c.rejected) {
      EXPECT_EQ(page.Rejected()[0].field, Field::txtVAPCode);
      EXPECT_EQ(page.Rejected()[0].number, ORVULINK_ERROR_VAPCODE);
    }
  }
}

// The designer can select several controls: only the first is shown and receives the values.
// A control of another thread stands for one the page cannot reach, so that loading or applying
// to the wrong one shows.
TEST(PropertyPage, OnlyTheFirstOfSeveralSelectedControlsIsLoadedAndApplied) {
  for (const bool localFirst : {true, false}) {
    SCOPED_TRACE(localFirst ? "local first" : "foreign first");
    auto local = OrvuLinkActiveX::Create();
    local->UserName("alice");
    auto foreign = ForeignControl();
    OrvuLinkProperty page;
    page.SelectionChanged(localFirst ? std::vector{local, foreign} : std::vector{foreign, local});
    EXPECT_EQ(page.Text(Field::txtUserName), BStr(localFirst ? "alice" : ""));
    page.EditText(Field::txtUserName, "bob");
    page.ApplyChanges();  // failures on the foreign control are skipped
    EXPECT_EQ(local->UserName(), BStr(localFirst ? "bob" : "alice"));
  }
}

struct FocusCase {
  const char* property;
  std::optional<Field> focused;
};

TEST(PropertyPage, EditPropertyFocusesTheFieldOfTheExactName) {
  const FocusCase cases[] = {{"UserName", Field::txtUserName},
                             {"username", std::nullopt},
                             {"VAPCode", std::nullopt},  // the bag's key, not the property
                             {"Proxy", std::nullopt}};   // greyed out: cannot take the focus
  for (const auto& c : cases) {
    SCOPED_TRACE(c.property);
    auto page = PageOn(OrvuLinkActiveX::Create());
    page.EditProperty(c.property);
    EXPECT_EQ(page.Focus(), c.focused);
  }
}

}  // namespace
}  // namespace orvulink
