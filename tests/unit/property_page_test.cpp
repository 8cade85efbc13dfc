#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/design.hpp>

#include "test_support.hpp"

#include <memory>

namespace orvulink {
namespace {

using Field = OrvuLinkProperty::Field;

constexpr Field kProxyFields[] = {Field::txtProxy, Field::txtProxyPort, Field::txtProxyUsername,
                                  Field::txtProxyPassword};
const std::pair<Field, const char*> kTexts[] = {
    {Field::txtUserName, " user "},          {Field::txtPassword, "pass"},
    {Field::txtProxy, "proxy.example"},      {Field::txtProxyPort, "3128"},
    {Field::txtProxyUsername, "proxy-user"}, {Field::txtProxyPassword, "proxy-pass"}};

OrvuLinkProperty PageOn(const std::shared_ptr<OrvuLinkActiveX>& control) {
  OrvuLinkProperty page;
  page.Initialize();
  page.SelectionChanged({control});
  return page;
}

// Each property in its own field, each edited field through the control's own setter: the VAP
// code is rejected there, and the settings applied after it leave ErrCode at zero.
TEST(PropertyPage, LoadShowsAndApplySetsEachPropertyInItsOwnField) {
  auto control = OrvuLinkActiveX::Create();
  control->TestMode(true);
  auto page = PageOn(control);
  EXPECT_EQ(page.Value(Field::chkTestMode), OrvuLinkProperty::kChecked);
  EXPECT_EQ(page.Value(Field::chkProxy), OrvuLinkProperty::kChecked);
  page.Click(Field::chkProxy);
  page.Click(Field::chkTestMode);
  page.Click(Field::chkEncryptSSL);
  for (const auto& [field, text] : kTexts)
    page.EditText(field, text);
  page.EditText(Field::txtVAPCode, "ABCDEFGHI");
  page.ApplyChanges();
  ASSERT_EQ(page.Rejected().size(), 1u);
  EXPECT_EQ(page.Rejected()[0].field, Field::txtVAPCode);
  EXPECT_EQ(page.Rejected()[0].number, ORVULINK_ERROR_VAPCODE);
  EXPECT_EQ(control->ErrCode(), 0);
  EXPECT_EQ(control->TestMode().value, VariantBool::kFalse);
  EXPECT_EQ(control->EncryptSSL().value, VariantBool::kFalse);

  auto reloaded = PageOn(control);
  for (const auto& [field, text] : kTexts)
    EXPECT_EQ(reloaded.Text(field), BStr(text)) << text;
  EXPECT_EQ(reloaded.Value(Field::chkTestMode), OrvuLinkProperty::kUnchecked);
  EXPECT_EQ(reloaded.Value(Field::chkProxy), OrvuLinkProperty::kUnchecked);
}

// The proxy fields are greyed while the automatic proxy is on; they keep their text.
TEST(PropertyPage, TheAutomaticProxyLocksTheProxyFieldsAndOnlyARealEditMarksAChange) {
  auto control = OrvuLinkActiveX::Create();
  control->Proxy("kept.example");
  auto page = PageOn(control);
  EXPECT_FALSE(page.EditText(Field::txtProxy, "typed-while-locked"));
  page.EditText(Field::txtUserName, "");  // the same text: no change
  EXPECT_FALSE(page.Changed());
  ASSERT_TRUE(page.Click(Field::chkProxy));
  EXPECT_TRUE(page.Changed());
  for (auto field : kProxyFields)
    EXPECT_TRUE(page.Enabled(field) && !page.Locked(field));
  ASSERT_TRUE(page.SetFocus(Field::txtProxy));
  ASSERT_TRUE(page.Click(Field::chkProxy));  // back to automatic: greyed, focus lost, text kept
  EXPECT_FALSE(page.Enabled(Field::txtProxy));
  EXPECT_EQ(page.Focus(), std::nullopt);
  EXPECT_EQ(page.Text(Field::txtProxy), BStr("kept.example"));
  page.ApplyChanges();
  EXPECT_FALSE(page.Changed());
}

}  // namespace
}  // namespace orvulink
