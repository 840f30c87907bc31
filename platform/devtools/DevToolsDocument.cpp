#include "platform/devtools/DevToolsDocument.h"

#include <map>

#include "platform/devtools/DevToolsCollection.h"
#include "platform/devtools/DomScripts.h"
#include "platform/devtools/JsonFields.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

std::string DevToolsDocument::Text(const std::string& function) {
  auto value = context_->CallValue(window_, function);
  return value.is_string() ? value.get<std::string>() : std::string();
}

std::string DevToolsDocument::url() { return Text(dom::DocumentUrl()); }

void DevToolsDocument::setUrl(const std::string& url) {
  context_->Touch();
  context_->CallValue(window_, dom::NavigateWindow(), nlohmann::json::array({url}));
  context_->Touch();
}

std::string DevToolsDocument::title() { return Text(dom::DocumentTitle()); }

std::string DevToolsDocument::readyState() { return Text(dom::DocumentReadyState()); }

std::unique_ptr<IElementCollection> DevToolsDocument::forms() {
  return std::make_unique<DevToolsCollection>(context_, window_, DevToolsCollection::Kind::kForms);
}

std::unique_ptr<IFramesCollection> DevToolsDocument::frames() {
  return std::make_unique<DevToolsFrames>(context_, window_);
}

std::unique_ptr<IWindow> DevToolsDocument::parentWindow() {
  return std::make_unique<DevToolsWindow>(context_, window_);
}

std::optional<FillOutcome> DevToolsDocument::FillForm(const FormFill& fill) {
  nlohmann::json fields = nlohmann::json::array();
  for (const auto& f : fill.fields) {
    fields.push_back({{"name", f.name}, {"index", f.index}, {"value", f.value}, {"secret", f.secret}});
  }
  nlohmann::json request = {{"where", {{"origin", fill.where.origin}, {"top", fill.where.top}}},
                            {"formName", fill.form_name},
                            {"formIndex", fill.form_index}, {"group", fill.group}, {"fields", fields},
                            {"submit", fill.submit}, {"pressed", fill.pressed}, {"enter", fill.enter},
                            {"sentTo", fill.sent_to},
                            {"deadline", fill.deadline_ms}, {"pressWaitMs", fill.press_wait_ms}};
  context_->Touch();
  // Inputs and buttons outside any form may sit in closed shadow roots.
  if (fill.group || !fill.pressed.empty()) FindClosedRoots();
  nlohmann::json answer = context_->CallValue(window_, dom::FillForm(), nlohmann::json::array({request}), true);
  if (devtools::Str(answer, "status") == "custom") {
    // Fields that are custom elements are written in the page's own world
    // (the origin checked again there), then the rest goes as before.
    const auto json = [](const nlohmann::json& v) { return v.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace); };
    context_->EvaluateInPage(window_, dom::WriteCustomControls(json(request), json(devtools::Arr(answer, "custom"))),
                             fill.where);
    request["customDone"] = true;
    answer = context_->CallValue(window_, dom::FillForm(), nlohmann::json::array({request}), true);
  }
  context_->Touch();
  static const std::map<std::string, FillOutcome::Status> kStatuses = {
      {"done", FillOutcome::Status::kDone},           {"origin", FillOutcome::Status::kWrongOrigin},
      {"noform", FillOutcome::Status::kNoForm},       {"missing", FillOutcome::Status::kMissingField},
      {"notinput", FillOutcome::Status::kNotAnInput}, {"disabled", FillOutcome::Status::kButtonDisabled},
      {"replaced", FillOutcome::Status::kReplaced},   {"late", FillOutcome::Status::kLate},
      {"sentto", FillOutcome::Status::kSentElsewhere}, {"nobutton", FillOutcome::Status::kNoButton}};
  auto status = kStatuses.find(devtools::Str(answer, "status"));
  if (status == kStatuses.end()) throw OstrelError(err::kBrowserProtocol, "FillForm: an answer of no known status");
  FillOutcome outcome;
  outcome.status = status->second;
  outcome.origin = devtools::Str(answer, "origin");
  outcome.expected = devtools::Str(answer, "expected");
  outcome.sent = devtools::Str(answer, "sent");
  outcome.field = static_cast<int32_t>(devtools::Int(answer, "field"));
  return outcome;
}

bool DevToolsDocument::ClickDescribed(const std::string& description, const OriginRule& rule) {
  context_->Touch();
  const nlohmann::json where = {{"origin", rule.origin}, {"top", rule.top}};
  const nlohmann::json clicked =
      context_->CallValue(window_, dom::ClickDescribed(), nlohmann::json::array({description, where}));
  context_->Touch();
  return clicked.is_boolean() && clicked.get<bool>();
}

void DevToolsDocument::FindClosedRoots() {
  try {
    context_->RegisterClosedRoots(window_);
  } catch (const OstrelError& e) {
    // What cannot be reached stays closed; the page itself goes on.
    if (e.Number() == err::kBrowserGone) throw;
  }
}

void DevToolsDocument::KeepNothingTyped() { context_->CallValue(window_, dom::KeepNothingTyped()); }

std::unique_ptr<IDocument> DevToolsWindow::Document() {
  try {
    context_->CallValue(window_, dom::CheckDocumentAccess());
  } catch (const OstrelError& e) {
    if (e.Number() != err::kAccessDenied || index_ < 0) throw;
    const std::string frame = context_->FrameIdAt(parent_, index_);
    context_ = context_->ContextOfFrame(frame);
    window_ = RemoteRef::WindowOf(frame);
    index_ = -1;
  }
  return std::make_unique<DevToolsDocument>(context_, window_);
}

void DevToolsWindow::execScript(const std::string& text, const OriginRule& rule) {
  context_->Touch();
  context_->RunInPage(window_, text, rule);
  context_->Touch();
}

int32_t DevToolsFrames::length() {
  auto value = context_->CallValue(window_, dom::FrameCount());
  return value.is_number_integer() ? value.get<int32_t>() : 0;
}

std::unique_ptr<IWindow> DevToolsFrames::item(int32_t index) {
  RemoteRef frame = context_->CallObject(window_, dom::FrameAt(), nlohmann::json::array({index}));
  if (!frame.group) throw OstrelError(err::kObjectDisconnected, "frame " + std::to_string(index) + " is gone");
  return std::make_unique<DevToolsWindow>(context_, frame, window_, index);
}

}  // namespace ostrel
