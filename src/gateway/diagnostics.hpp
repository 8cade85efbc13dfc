// The exchange's side of the host's diagnostics callback.
#pragma once

#include <orvulink/diagnostics.hpp>

#include <string>

namespace orvulink::gateway {

// Whether a callback is set; the exchange builds reports only then.
bool DiagnosticsWanted() noexcept;
// Hands the report to the callback, if any; never raises.
void ReportExchangeTry(const ExchangeTry& report) noexcept;
// The command with the values of its UID, PWD and VCODE fields (the credentials) replaced.
std::string RedactedCommand(std::u16string_view command);

}  // namespace orvulink::gateway
