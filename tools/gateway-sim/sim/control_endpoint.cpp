#include "sim/control_endpoint.hpp"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string_view>

#include <nlohmann/json.hpp>

#include "sim/fault.hpp"
#include "sim/local_time.hpp"

namespace orvulink::sim {
namespace {

using nlohmann::json;
using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

constexpr char kJson[] = "application/json";

bool IsLoopback(std::string_view address) {
  return address.starts_with("127.") || address == "::1" || address.starts_with("::ffff:127.");
}

// Raw command strings may hold any bytes; broken UTF-8 is replaced rather than thrown on.
void SetJson(httplib::Response& response, const json& body, int status = 200) {
  response.status = status;
  response.set_content(body.dump(2, ' ', false, json::error_handler_t::replace) + "\n", kJson);
}

// The endpoint is a test hook: the simulator listens on loopback only, and a peer from
// anywhere else is refused in case it is ever exposed by mistake.
Handler LoopbackOnly(Handler handler) {
  return
      [inner = std::move(handler)](const httplib::Request& request, httplib::Response& response) {
        if (!IsLoopback(request.remote_addr)) {
          SetJson(response, {{"error", "the control endpoint serves loopback peers only"}}, 403);
          return;
        }
        inner(request, response);
      };
}

json PendingFaults(const FaultBoard& faults, FaultTarget target) {
  json list = json::array();
  for (const auto& fault : faults.Pending(target))
    list.push_back(FaultToJson(fault));
  return list;
}

json AllPendingFaults(const FaultBoard& faults) {
  return {{"cgi", PendingFaults(faults, FaultTarget::kCgi)},
          {"probe", PendingFaults(faults, FaultTarget::kProbe)}};
}

void AddFault(const httplib::Request& request, httplib::Response& response, SimulatorState& state) {
  try {
    state.faults.Add(FaultFromJson(json::parse(request.body)));
    SetJson(response, AllPendingFaults(state.faults));
  } catch (const json::parse_error& e) {
    SetJson(response, {{"error", std::string("the body is not JSON: ") + e.what()}}, 400);
  } catch (const FaultError& e) {
    SetJson(response, {{"error", e.what()}}, 400);
  }
}

// Ten years: far enough for any schedule, small enough that the clock cannot overflow.
constexpr std::int64_t kLongestAdvanceMs = 10LL * 366 * 24 * 3600 * 1000;

json Now(const Gateway& gateway) {
  const SimTime now = gateway.Now();
  return {{"now", FormatLocalDate(now) + " " + FormatLocalTime(now)}};
}

void AdvanceClock(const httplib::Request& request, httplib::Response& response, Gateway& gateway) {
  try {
    const json body = json::parse(request.body);
    const json& ms = body.at("ms");
    if (!ms.is_number_integer() || ms.get<std::int64_t>() < 0 ||
        ms.get<std::int64_t>() > kLongestAdvanceMs) {
      SetJson(response, {{"error", "\"ms\" must be a whole number from 0 to ten years"}}, 400);
      return;
    }
    gateway.AdvanceClock(std::chrono::milliseconds(ms.get<std::int64_t>()));
    SetJson(response, Now(gateway));
  } catch (const json::exception& e) {
    SetJson(response, {{"error", std::string("expected {\"ms\": N}: ") + e.what()}}, 400);
  }
}

// {"key", "sender", "text", "sent"?}: the SMS waits on the key until a confirmed download.
void ReceiveSms(const httplib::Request& request, httplib::Response& response, Gateway& gateway) {
  try {
    const json body = json::parse(request.body);
    IncomingSms sms{body.value("sent", std::string()), body.at("sender").get<std::string>(),
                    body.at("text").get<std::string>()};
    const std::string key = body.at("key").get<std::string>();
    const auto waiting = gateway.ReceiveSms(key, std::move(sms));
    if (!waiting) {
      SetJson(response, {{"error", "no account owns the key \"" + key + "\""}}, 404);
      return;
    }
    SetJson(response, {{"key", key}, {"waiting", *waiting}});
  } catch (const json::exception& e) {
    SetJson(response,
            {{"error", std::string("expected {\"key\", \"sender\", \"text\"}: ") + e.what()}}, 400);
  }
}

json Requests(const RequestLog& log) {
  json list = json::array();
  for (const auto& body : log.Commands())
    list.push_back(body);
  return list;
}

}  // namespace

void MountControlEndpoint(httplib::Server& server, SimulatorState& state) {
  using Req = const httplib::Request&;
  using Res = httplib::Response&;
  server.Post("/control/fault", LoopbackOnly([&state](Req q, Res s) { AddFault(q, s, state); }));
  server.Get("/control/faults",
             LoopbackOnly([&state](Req, Res s) { SetJson(s, AllPendingFaults(state.faults)); }));
  server.Post("/control/reset", LoopbackOnly([&state](Req, Res s) {
                state.Reset();
                s.status = 204;
              }));
  server.Get("/control/requests",
             LoopbackOnly([&state](Req, Res s) { SetJson(s, Requests(state.log)); }));
  server.Get("/control/probes", LoopbackOnly([&state](Req, Res s) {
               SetJson(s, {{"count", state.log.ProbeCount()}});
             }));
  server.Get("/control/accounts",
             LoopbackOnly([&state](Req, Res s) { SetJson(s, state.gateway.AccountsJson()); }));
  server.Post("/control/receive",
              LoopbackOnly([&state](Req q, Res s) { ReceiveSms(q, s, state.gateway); }));
  server.Post("/control/advance",
              LoopbackOnly([&state](Req q, Res s) { AdvanceClock(q, s, state.gateway); }));
  server.Post("/control/settle", LoopbackOnly([&state](Req, Res s) {
                SetJson(s, {{"settled", state.gateway.SettleDeliveries()}});
              }));
}

}  // namespace orvulink::sim
