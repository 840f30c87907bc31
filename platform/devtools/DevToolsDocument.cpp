#include "platform/devtools/DevToolsDocument.h"

#include "platform/devtools/DevToolsCollection.h"
#include "platform/devtools/DomScripts.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

std::string DevToolsDocument::Text(const std::string& function) {
  auto value = context_.CallValue(window_, function);
  return value.is_string() ? value.get<std::string>() : std::string();
}

std::string DevToolsDocument::url() { return Text(dom::DocumentUrl()); }

void DevToolsDocument::setUrl(const std::string& url) {
  context_.Touch();
  context_.CallValue(window_, dom::NavigateWindow(), nlohmann::json::array({url}));
  context_.Touch();
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

std::unique_ptr<IDocument> DevToolsWindow::Document() {
  context_.CallValue(window_, dom::CheckDocumentAccess());
  return std::make_unique<DevToolsDocument>(context_, window_);
}

void DevToolsWindow::execScript(const std::string& text) {
  context_.Touch();
  context_.CallValue(window_, dom::RunScript(), nlohmann::json::array({text}));
  context_.Touch();
}

int32_t DevToolsFrames::length() {
  auto value = context_.CallValue(window_, dom::FrameCount());
  return value.is_number_integer() ? value.get<int32_t>() : 0;
}

std::unique_ptr<IWindow> DevToolsFrames::item(int32_t index) {
  RemoteRef frame = context_.CallObject(window_, dom::FrameAt(), nlohmann::json::array({index}));
  if (!frame.group) throw OstrelError(err::kObjectDisconnected, "frame " + std::to_string(index) + " is gone");
  return std::make_unique<DevToolsWindow>(context_, frame);
}

}  // namespace ostrel
