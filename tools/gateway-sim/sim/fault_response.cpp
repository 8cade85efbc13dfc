#include "sim/fault_response.hpp"

#include <memory>

#include "sim/answer.hpp"

namespace orvulink::sim {
namespace {

constexpr char kGarbageText[] = "Garbage: this is not a gateway answer";

std::string ReasonOf(int status) {
  switch (status) {
    case 401:
      return "Unauthorized";
    case 404:
      return "Not Found";
    case 407:
      return "Proxy Authentication Required";
    case 500:
      return "Internal Server Error";
    default:
      return "Error";
  }
}

void SetHttpError(httplib::Response& response, int status) {
  response.status = status;
  const std::string text = std::to_string(status) + " " + ReasonOf(status);
  response.set_content("<html><body><h1>" + text + "</h1></body></html>\r\n", "text/html");
}

// Announces a whole page, sends half of it and gives up: the client sees the connection
// close before the body is complete, a transport error and not an answer.
void SetDropped(httplib::Response& response) {
  const auto page = std::make_shared<const std::string>(FramePage(Success("dropped")));
  response.set_content_provider(page->size(), kAnswerContentType,
                                [page](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                  if (offset == 0) sink.write(page->data(), page->size() / 2);
                                  return false;
                                });
}

}  // namespace

void SetPage(httplib::Response& response, std::string page) {
  response.status = 200;
  response.set_content(std::move(page), kAnswerContentType);
}

bool ApplyFault(const Fault& fault, httplib::Response& response, Pause& pause) {
  switch (fault.kind) {
    case FaultKind::kEmpty:
      SetPage(response, "");
      return true;
    case FaultKind::kGarbage:
      SetPage(response, FrameText(kGarbageText));
      return true;
    case FaultKind::kCode:
      SetPage(response, FramePage(Answer{fault.code, fault.payload}));
      return true;
    case FaultKind::kHttp:
      SetHttpError(response, fault.status);
      return true;
    case FaultKind::kDrop:
      SetDropped(response);
      return true;
    case FaultKind::kDelay:
      pause.Wait(fault.delay);
      return false;
  }
  return false;
}

}  // namespace orvulink::sim
