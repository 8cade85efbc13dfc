// The probe browser the exchange talks to, the same for every system: it forwards to the
// system's browser core, held by a shared pointer because the core's pump callbacks hold it
// weakly and it may go while one is due. The probe never shows a window: the bars and the
// visibility are accepted and ignored.
#pragma once

#include <orvulink/platform.hpp>

#include <memory>
#include <utility>

namespace orvulink::platform {

// Core: SetEvents, Busy, Navigate, Stop, Quit, and Document() (a ProbeDocument).
template <class Core>
class ProbeBrowserFront final : public ProbeBrowser {
 public:
  explicit ProbeBrowserFront(std::shared_ptr<Core> core) : core_(std::move(core)) {}
  ~ProbeBrowserFront() override { core_->Quit(); }
  ProbeBrowserFront(const ProbeBrowserFront&) = delete;
  ProbeBrowserFront& operator=(const ProbeBrowserFront&) = delete;

  void SetEvents(ProbeBrowserEvents events) override { core_->SetEvents(std::move(events)); }
  void SetAddressBar(bool) override {}
  void SetStatusBar(bool) override {}
  void SetVisible(bool) override {}
  bool Busy() override { return core_->Busy(); }
  void Navigate2(const BStr& url) override { core_->Navigate(url); }
  void Navigate(const BStr& url) override { core_->Navigate(url); }
  void Stop() override { core_->Stop(); }
  void Quit() override { core_->Quit(); }
  void SetDocumentBodyText(const BStr& text) override { core_->Document().SetBodyText(text); }
  BStr DocumentBodyText() override { return core_->Document().BodyText(); }
  BStr DocumentReadyState() override { return core_->Document().ReadyState(core_->Busy()); }

 private:
  std::shared_ptr<Core> core_;
};

}  // namespace orvulink::platform
