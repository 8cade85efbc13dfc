#include "sim/gateway_routes.hpp"

#include "sim/answer.hpp"
#include "sim/fault_response.hpp"

namespace orvulink::sim {
namespace {

constexpr char kProbePage[] =
    "<html><head><title>OrvuLink gateway</title></head><body>online</body></html>\r\n";

// The body is the command string exactly as sent; the form parsing httplib may have done on
// it is ignored, because a value may carry bytes a form decoder would change.
void AnswerCommand(const httplib::Request& request, httplib::Response& response,
                   SimulatorState& state) {
  state.log.RecordCommand(request.body);
  const auto fault = state.faults.Take(FaultTarget::kCgi);
  if (fault && ApplyFault(*fault, response, state.pause)) return;
  SetPage(response, FramePage(state.gateway.Handle(request.body)));
}

void AnswerProbe(httplib::Response& response, SimulatorState& state) {
  state.log.RecordProbe();
  const auto fault = state.faults.Take(FaultTarget::kProbe);
  if (fault && ApplyFault(*fault, response, state.pause)) return;
  response.set_content(kProbePage, "text/html");
}

}  // namespace

void MountGatewayRoutes(httplib::Server& server, SimulatorState& state) {
  server.Post(kCgiPath, [&state](const httplib::Request& request, httplib::Response& response) {
    AnswerCommand(request, response, state);
  });
  server.Get(kProbePath, [&state](const httplib::Request&, httplib::Response& response) {
    AnswerProbe(response, state);
  });
}

}  // namespace orvulink::sim
