// What the user sees of the gateway exchanges while a command runs: with -v one line as each try
// starts and one as it ends (credentials redacted by the component); on a terminal a spinner
// while a try has been waiting for more than a second.
#pragma once

#include <memory>
#include <ostream>

namespace orvulink::cli {

class ExchangeTrace {
 public:
  // Installs the component's diagnostics callback when `verbose` or `spinner` asks for it.
  ExchangeTrace(bool verbose, bool spinner, std::ostream& err);
  ~ExchangeTrace();  // removes the callback
  ExchangeTrace(const ExchangeTrace&) = delete;
  ExchangeTrace& operator=(const ExchangeTrace&) = delete;

  class Spinner;

 private:
  std::unique_ptr<Spinner> spinner_;
  bool installed_ = false;
};

}  // namespace orvulink::cli
