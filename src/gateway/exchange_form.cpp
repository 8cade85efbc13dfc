#include "gateway/exchange_form.hpp"

namespace orvulink::gateway {

ExchangeForm& ThisThreadExchangeForm() {
  thread_local ExchangeForm form;
  return form;
}

}  // namespace orvulink::gateway
