#include "user_folders.hpp"

#include <cstdlib>

namespace orvulink::cli {

std::filesystem::path XdgFolder(const char* variable, const std::filesystem::path& fallback) {
  const char* xdg = std::getenv(variable);
  if (xdg != nullptr && std::filesystem::path(xdg).is_absolute()) return xdg;
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return std::filesystem::path(home) / fallback;
  return {};
}

}  // namespace orvulink::cli
