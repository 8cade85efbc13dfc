// OrvuLinkActiveX: the control, the host's entry point. All instances on one thread share one
// state (settings, error state, last exchange); creating a further instance resets it.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/enums.hpp>
#include <orvulink/export.hpp>
#include <orvulink/property_bag.hpp>
#include <orvulink/thread_affine.hpp>

#include <cstdint>
#include <memory>
#include <thread>

namespace orvulink {

class OrvuSendMessages;
class OrvuNotifiedMessages;
class OrvuReceptionKeys;

class ORVULINK_API OrvuLinkActiveX : public AutomationObject, private ThreadAffine {
 public:
  // Creates a control and runs its start on the calling thread.
  static std::shared_ptr<OrvuLinkActiveX> Create();
  // The end of the last reference runs the control end (unless Terminate() already did).
  ~OrvuLinkActiveX() override;
  OrvuLinkActiveX(const OrvuLinkActiveX&) = delete;
  OrvuLinkActiveX& operator=(const OrvuLinkActiveX&) = delete;

  // ---- _OrvuLinkActiveX, in interface order ----
  BStr LastRespose() const;
  BStr LastRequest() const;
  BStr Version() const;
  BStr ErrDescription() const;
  std::int16_t ErrCode() const;
  VariantBool EncryptSSL() const;
  void EncryptSSL(VariantBool bEncryptSSL);
  VariantBool TestMode() const;
  void TestMode(VariantBool bTestMode);
  BStr UserName() const;  // default member
  void UserName(const BStr& sUserName);
  BStr Password() const;
  void Password(const BStr& sPassword);
  VariantBool AutomaticProxy() const;
  void AutomaticProxy(VariantBool bAutomaticProxy);
  BStr Proxy() const;
  void Proxy(const BStr& sProxy);
  BStr ProxyPort() const;
  void ProxyPort(const BStr& sProxyPort);
  BStr ProxyUsername() const;
  void ProxyUsername(const BStr& sProxyUsername);
  BStr ProxyPassword() const;
  void ProxyPassword(const BStr& sProxyPassword);
  BStr VAPcode() const;
  void VAPcode(const BStr& sVAPcode);
  std::int16_t NotifyServer() const;
  std::int16_t NotifyUser() const;
  std::int16_t ForeignCountry() const;
  void ShowAboutBox();
  BStr DelMessage(const BStr& OrderID, const BStr& PhoneGsm = {});
  double GetCredit();
  OrvuLink_CodeTestConnection TestConnection();
  std::shared_ptr<OrvuSendMessages> MessagesToSend() const;
  std::shared_ptr<OrvuNotifiedMessages> MessagesToNotify() const;
  std::shared_ptr<OrvuReceptionKeys> ReceptionKeys() const;
  VariantBool FillReceptionKeys();

  // ---- container notifications ----
  struct Extent {
    std::int32_t widthTwips;
    std::int32_t heightTwips;
    friend bool operator==(const Extent&, const Extent&) = default;
  };
  static constexpr Extent kFixedExtent{550, 450};
  static constexpr std::int32_t kIconGroup = 105;

  void InitProperties();
  void ReadProperties(PropertyBag& bag);
  void WriteProperties(PropertyBag& bag) const;
  void Paint();
  void Resize();
  void Show();
  // Runs the control end once; later calls do nothing.
  void Terminate();
  Extent Size() const { return extent_; }
  std::int32_t Picture() const { return picture_; }

 private:
  OrvuLinkActiveX();
  void Start();
  void ApplyFixedSize() { extent_ = kFixedExtent; }

  Extent extent_{0, 0};
  std::int32_t picture_ = 0;
  bool terminated_ = false;
};

}  // namespace orvulink
