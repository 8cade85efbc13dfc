#include "sim/gateway_routes.hpp"

#include "sim/answer.hpp"
#include "sim/fault_response.hpp"

namespace orvulink::sim {
namespace {

constexpr char kProbePage[] =
    "<html><head><title>OrvuLink gateway</title></head><body>online</body></html>\r\n";

// The body is the command string exactly as sent, never form-decoded: a value may carry bytes
// a form decoder would change.
void AnswerCommand(const std::string& body, httplib::Response& response, SimulatorState& state) {
  state.log.RecordCommand(body);
  const auto fault = state.faults.Take(FaultTarget::kCgi);
  if (fault && ApplyFault(*fault, response, state.pause)) return;
  SetPage(response, FramePage(state.gateway.Handle(body)));
}

// Read through a content reader: httplib refuses a form body beyond 8 KiB (413) before any
// plain handler runs, and a send of a few hundred recipients is larger than that.
std::string ReadBody(const httplib::ContentReader& reader) {
  std::string body;
  reader([&body](const char* data, std::size_t length) {
    body.append(data, length);
    return true;
  });
  return body;
}

void AnswerProbe(httplib::Response& response, SimulatorState& state) {
  state.log.RecordProbe();
  const auto fault = state.faults.Take(FaultTarget::kProbe);
  if (fault && ApplyFault(*fault, response, state.pause)) return;
  response.set_content(kProbePage, "text/html");
}

}  // namespace

void MountGatewayRoutes(httplib::Server& server, SimulatorState& state) {
  server.Post(kCgiPath, [&state](const httplib::Request&, httplib::Response& response,
                                 const httplib::ContentReader& reader) {
    AnswerCommand(ReadBody(reader), response, state);
  });
  server.Get(kProbePath, [&state](const httplib::Request&, httplib::Response& response) {
    AnswerProbe(response, state);
  });
}

}  // namespace orvulink::sim
