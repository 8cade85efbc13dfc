// The design-time side of the component: the property page through which a developer edits the
// ten persisted settings of a control, the about box and the help contents.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/control.hpp>
#include <orvulink/export.hpp>
#include <orvulink/platform.hpp>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace orvulink {

// The about box: title, version and the information and support links (the support address as
// a mailto: link), as ShowAboutBox hands it to the user-interface seam.
ORVULINK_API platform::AboutBox MakeAboutBox();

// Opens the table of contents of the help file, found through the installation-folder setting,
// through the user-interface seam.
ORVULINK_API void ShowHelpContents();

// OrvuLinkProperty: the property page model. It talks to the selected control only through the
// control's public properties, so every applied value passes the control's setters.
class ORVULINK_API OrvuLinkProperty {
 public:
  // The page's input fields in the order the page shows them, named as the page names them.
  enum class Field : std::uint8_t {
    txtUserName,
    txtPassword,
    txtVAPCode,
    chkTestMode,
    chkEncryptSSL,
    chkProxy,  // the automatic proxy
    txtProxy,
    txtProxyPort,
    txtProxyUsername,
    txtProxyPassword,
  };
  static constexpr std::size_t kFieldCount = 10;
  static constexpr std::int16_t kUnchecked = 0;
  static constexpr std::int16_t kChecked = 1;
  static constexpr std::int32_t kIconGroup = 105;

  // A value the control's setter refused during the last apply (the VAP code's check): the page
  // itself says nothing, but a host may want to tell the developer.
  struct Rejection {
    Field field;
    std::int16_t number;
    BStr description;
  };

  // ---- the designer's notifications ----
  // The version label and the image.
  void Initialize();
  // Keeps the selection and loads the fields from its first control.
  void SelectionChanged(std::vector<std::shared_ptr<OrvuLinkActiveX>> selectedControls);
  // Writes the fields to the first selected control; the page is unchanged afterwards.
  void ApplyChanges();
  // Focuses the field bound to the property named exactly `propertyName`; other names do nothing.
  void EditProperty(const BStr& propertyName);

  // ---- the developer's input; each returns whether the page took it ----
  // An edit of a text box; refused while the box is disabled or locked.
  bool EditText(Field field, const BStr& text);
  // A click on a check box: toggles it between checked and unchecked.
  bool Click(Field field);
  // Refused for a disabled field, as a disabled window cannot take the focus.
  bool SetFocus(Field field);

  // ---- what the page shows ----
  static bool IsCheckBox(Field field);
  static bool IsProxyField(Field field);
  // The bound property's name ("UserName", "VAPcode", ...).
  static BStr PropertyName(Field field);

  const BStr& Text(Field field) const { return fields_[Index(field)].text; }
  std::int16_t Value(Field field) const { return fields_[Index(field)].value; }
  bool Enabled(Field field) const { return fields_[Index(field)].enabled; }
  bool Locked(Field field) const { return fields_[Index(field)].locked; }
  // The frame around the four proxy text boxes and their caption labels.
  bool ProxyFrameEnabled() const { return proxy_frame_enabled_; }
  bool ProxyLabelsEnabled() const { return proxy_frame_enabled_; }
  const BStr& VersionLabel() const { return version_label_; }
  std::int32_t Picture() const { return picture_; }
  bool Changed() const { return changed_; }
  std::optional<Field> Focus() const { return focus_; }
  const std::vector<Rejection>& Rejected() const { return rejected_; }

 private:
  struct FieldState {
    BStr text;
    std::int16_t value = kUnchecked;
    bool enabled = true;
    bool locked = false;
  };
  static std::size_t Index(Field field) { return static_cast<std::size_t>(field); }
  void Load(const OrvuLinkActiveX& control);
  void Apply(OrvuLinkActiveX& control);
  void ApplyEnablingRule();

  std::array<FieldState, kFieldCount> fields_{};
  std::vector<std::shared_ptr<OrvuLinkActiveX>> selected_;
  std::vector<Rejection> rejected_;
  BStr version_label_;
  std::int32_t picture_ = 0;
  bool proxy_frame_enabled_ = true;
  bool changed_ = false;
  std::optional<Field> focus_;
};

}  // namespace orvulink
