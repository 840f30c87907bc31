#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "page/WebPage.h"
#include "platform/browser/Browser.h"
#include "store/LoginStep.h"
#include "store/WebRecord.h"

namespace ostrel {

// The moments of a recording at which a login may be sent without the page
// being left. A press of a button (or Enter in an input) is captured at
// once, while what was typed is still in place; the login counts as sent
// when, within kFresh after it, the page sends a request that carries a
// typed value, or submits or leaves. Presses made before anything was
// typed are the clicks that revealed the login ("Show login", a tab).
class SendWatch {
 public:
  static constexpr std::chrono::seconds kFresh{5};
  static constexpr size_t kMaxReveal = 4;

  // A press (or Enter) and the capture taken at it; values: what it holds
  // typed, empty when nothing was typed yet.
  void Pressed(std::unique_ptr<WebPage> page, const NavigationInfo& press, std::vector<std::string> values);
  // Whether a request of the page carries a value typed before the last
  // fresh press (as written, percent-encoded or as a JSON string).
  bool Carries(const NavigationInfo& request) const;
  // The capture of the last press when it is fresh and holds typing; else
  // nullptr. Taking it leaves the press noted.
  std::unique_ptr<WebPage> TakeCapture();
  // How the login was sent when it ended at `how`: a submit is the form's
  // own way (sent to its action's origin); a request or a leaving after a
  // fresh press in the login's document is that press (or Enter).
  StepExtra SendOf(const NavigationInfo& how, const WebRecord& record) const;
  // The presses before anything was typed, oldest first.
  const std::vector<RevealClick>& Reveal() const { return reveal_; }
  void Clear();

  // Whether text holds value written as a page sends it.
  static bool Holds(const std::string& text, const std::string& value);

 private:
  bool Fresh() const;

  std::unique_ptr<WebPage> capture_;
  NavigationInfo press_;
  std::vector<std::string> values_;
  std::chrono::steady_clock::time_point at_{};
  bool pressed_ = false;
  std::vector<RevealClick> reveal_;
};

}  // namespace ostrel
