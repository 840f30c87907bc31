#include "browser/SendWatch.h"

#include <nlohmann/json.hpp>

#include "browser/UrlOrigin.h"
#include "page/FramePath.h"

namespace ostrel {

namespace {

// value percent-encoded: every byte but the unreserved ones, space as
// "%20" or, in a form's encoding, "+".
std::string Percent(const std::string& value, bool plus) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : value) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else if (c == ' ' && plus) {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

bool Contains(const std::string& text, const std::string& part) {
  return !part.empty() && text.find(part) != std::string::npos;
}

// Whether the press was made in the document of the login's form.
bool InDocumentOf(const NavigationInfo& press, const FormInfo& form) {
  if (press.top_level) return form.FrameIndex == FormInfo::kTopLevelFrame;
  return form.FrameIndex != FormInfo::kTopLevelFrame &&
         FramePath::FromStored(form.FrameIndex, form.FrameURL).url == press.document_url;
}

// The 1-based number of the control Enter was pressed in, found by name,
// else id; the last control when the description names none of them.
std::string EnterField(const std::string& target, const WebRecord& record) {
  const nlohmann::json d = nlohmann::json::parse(target, nullptr, false);
  const auto field = [&d](const char* key) { return d.is_object() && d.contains(key) && d[key].is_string() ? d[key].get<std::string>() : ""; };
  const std::string name = field("name");
  const std::string id = field("id");
  for (int16_t i = 1; i <= record.ControlsCount(); ++i) {
    const ControlInfo& control = record.Control(i);
    if ((!name.empty() && control.Name == name) || (name.empty() && !id.empty() && control.ID == id)) {
      return std::to_string(i);
    }
  }
  return std::to_string(record.ControlsCount());
}

}  // namespace

bool SendWatch::Holds(const std::string& text, const std::string& value) {
  if (Contains(text, value) || Contains(text, Percent(value, false)) || Contains(text, Percent(value, true))) return true;
  const std::string json = nlohmann::json(value).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  return json.size() > 2 && Contains(text, json.substr(1, json.size() - 2));
}

void SendWatch::Pressed(std::unique_ptr<WebPage> page, const NavigationInfo& press, std::vector<std::string> values) {
  if (values.empty()) {
    // Nothing typed yet: a click that shows the login, kept when made in
    // the page itself.
    if (press.kind != NavigationInfo::Kind::kPress || !press.top_level || press.target.empty() || pressed_) return;
    if (reveal_.size() == kMaxReveal) reveal_.erase(reveal_.begin());
    reveal_.push_back({FormInfo::kTopLevelFrame, "", press.target});
    return;
  }
  capture_ = std::move(page);
  press_ = press;
  values_ = std::move(values);
  at_ = std::chrono::steady_clock::now();
  pressed_ = true;
}

bool SendWatch::Fresh() const { return pressed_ && std::chrono::steady_clock::now() - at_ <= kFresh; }

bool SendWatch::Carries(const NavigationInfo& request) const {
  if (!Fresh()) return false;
  for (const std::string& value : values_) {
    // Too short to tell from anything else the page sends.
    if (value.size() < 3) continue;
    if (Holds(request.url, value) || Holds(request.body, value)) return true;
  }
  return false;
}

std::unique_ptr<WebPage> SendWatch::TakeCapture() { return Fresh() ? std::move(capture_) : nullptr; }

StepExtra SendWatch::SendOf(const NavigationInfo& how, const WebRecord& record) const {
  StepExtra extra;
  extra.Group = record.Extra().Group;
  // Clicks are repeated in the page itself, for a login in it.
  if (record.HasForm() && record.Form().FrameIndex == FormInfo::kTopLevelFrame) extra.Reveal = reveal_;
  if (how.kind == NavigationInfo::Kind::kSubmit) {
    if (how.url.rfind("http", 0) == 0) extra.SentTo = OriginOf(how.url);
    return extra;
  }
  if (!Fresh() || !record.HasForm() || !InDocumentOf(press_, record.Form())) return extra;
  if (press_.target.empty()) return extra;
  if (how.kind == NavigationInfo::Kind::kRequest) extra.SentTo = OriginOf(how.url);
  if (press_.kind == NavigationInfo::Kind::kEnter) {
    extra.Send = SendKind::kEnter;
    extra.Pressed = EnterField(press_.target, record);
  } else {
    extra.Send = SendKind::kPress;
    extra.Pressed = press_.target;
  }
  return extra;
}

void SendWatch::Clear() {
  capture_.reset();
  values_.clear();
  pressed_ = false;
  reveal_.clear();
}

}  // namespace ostrel
