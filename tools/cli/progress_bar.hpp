// A one-line progress bar for a person watching a terminal; silent when not enabled, so that
// logs and pipes get no carriage returns.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace orvulink::cli {

class ProgressBar {
 public:
  ProgressBar(std::ostream& out, bool enabled);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // Redraws only when what it shows changes: a list of thousands would flood a slow terminal.
  void Show(std::size_t step, std::size_t steps, std::string_view label);
  // Removes the bar, so that whatever is printed next starts on a clean line.
  void Clear();

 private:
  std::ostream& out_;
  bool enabled_;
  std::string shown_;
};

}  // namespace orvulink::cli
