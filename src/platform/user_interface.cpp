// The user-interface seam. Without a GUI host the component's dialogs become text on standard
// error, so a shell user still sees what a desktop user would be shown.
#include <orvulink/platform.hpp>

#include <iostream>
#include <mutex>
#include <utility>

namespace orvulink::platform {
namespace {

const char* IconLabel(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kCritical:
      return "error";
    case MessageIcon::kExclamation:
      return "warning";
    case MessageIcon::kInformation:
      return "information";
  }
  return "message";
}

class TextUserInterface final : public UserInterface {
 public:
  void MessageBox(const BStr& text, const BStr& title, MessageIcon icon) override {
    std::cerr << title.utf8() << " (" << IconLabel(icon) << "): " << text.utf8() << std::endl;
  }

  void ShowAboutBox(const AboutBox& box) override {
    std::cerr << "About " << box.title.utf8() << '\n'
              << box.title.utf8() << ' ' << box.version.utf8() << '\n';
    for (const BStr& line : box.lines)
      std::cerr << line.utf8() << '\n';
    std::cerr.flush();
  }

  void ShowHelpContents(const std::string& helpFile) override {
    std::cerr << "Help contents: " << helpFile << std::endl;
  }
};

struct UserInterfaceSeam {
  std::mutex mutex;
  std::shared_ptr<UserInterface> fallback = std::make_shared<TextUserInterface>();
  std::shared_ptr<UserInterface> current = fallback;
};

UserInterfaceSeam& Seam() {
  static UserInterfaceSeam seam;
  return seam;
}

}  // namespace

UserInterface::~UserInterface() = default;

std::shared_ptr<UserInterface> SetUserInterface(std::shared_ptr<UserInterface> ui) {
  UserInterfaceSeam& seam = Seam();
  const std::lock_guard lock(seam.mutex);
  if (!ui) ui = seam.fallback;
  return std::exchange(seam.current, std::move(ui));
}

std::shared_ptr<UserInterface> GetUserInterface() {
  UserInterfaceSeam& seam = Seam();
  const std::lock_guard lock(seam.mutex);
  return seam.current;
}

}  // namespace orvulink::platform
