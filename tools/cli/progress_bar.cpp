#include "progress_bar.hpp"

#include <algorithm>

namespace orvulink::cli {
namespace {

constexpr std::size_t kBarWidth = 30;
constexpr char kEraseLine[] = "\r\033[K";

std::string Render(std::size_t step, std::size_t steps, std::string_view label) {
  const std::size_t done = steps == 0 ? kBarWidth : std::min(step, steps) * kBarWidth / steps;
  const std::size_t percent = steps == 0 ? 100 : std::min(step, steps) * 100 / steps;
  return "[" + std::string(done, '#') + std::string(kBarWidth - done, '-') + "] " +
         std::to_string(percent) + "% " + std::string(label);
}

}  // namespace

ProgressBar::ProgressBar(std::ostream& out, bool enabled) : out_(out), enabled_(enabled) {}

ProgressBar::~ProgressBar() {
  Clear();
}

void ProgressBar::Show(std::size_t step, std::size_t steps, std::string_view label) {
  if (!enabled_) return;
  std::string line = Render(step, steps, label);
  if (line == shown_) return;
  out_ << kEraseLine << line << std::flush;
  shown_ = std::move(line);
}

void ProgressBar::Clear() {
  if (!enabled_ || shown_.empty()) return;
  out_ << kEraseLine << std::flush;
  shown_.clear();
}

}  // namespace orvulink::cli
