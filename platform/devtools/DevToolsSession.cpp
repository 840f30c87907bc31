#include "platform/devtools/DevToolsSession.h"

#include "platform/devtools/DevToolsConnection.h"
#include "platform/devtools/DevToolsErrors.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

DevToolsSession::DevToolsSession(DevToolsConnection& connection, std::string id)
    : connection_(connection), id_(std::move(id)) {
  connection_.Register(this);
}

DevToolsSession::~DevToolsSession() {
  for (auto& [id, pending] : pending_) {
    pending->done = pending->failed = true;
    pending->number = err::kBrowserGone;
  }
  connection_.Unregister(this);
}

nlohmann::json DevToolsSession::Call(const std::string& method, const nlohmann::json& params) {
  if (!open_) {
    throw OstrelError(err::kBrowserGone, method + ": " + close_reason_);
  }
  int64_t id = connection_.Send(id_, method, params, true);
  if (id < 0) throw OstrelError(err::kBrowserGone, method + ": the browser has gone");
  auto pending = std::make_shared<Pending>();
  pending->method = method;
  pending_[id] = pending;
  auto deadline = std::chrono::steady_clock::now() + connection_.CallTimeout();
  bool done = connection_.PumpUntil([&] { return pending->done; }, deadline);
  if (!done) {
    pending_.erase(id);
    if (!open_ || connection_.Closed()) {
      throw OstrelError(err::kBrowserGone, method + ": the browser has gone");
    }
    posted_[id] = method;  // a late answer is dropped
    throw OstrelError(err::kBrowserTimeout,
                      method + ": no answer within " +
                          std::to_string(connection_.CallTimeout().count() / 1000) + " s");
  }
  if (pending->failed) throw OstrelError(pending->number, pending->description);
  return std::move(pending->result);
}

void DevToolsSession::Post(const std::string& method, const nlohmann::json& params) {
  if (!open_) return;
  int64_t id = connection_.Send(id_, method, params, false);
  if (id >= 0) posted_[id] = method;
}

int DevToolsSession::AddListener(const std::string& method, Listener listener) {
  int key = next_key_++;
  listeners_[method].emplace_back(key, std::move(listener));
  return key;
}

void DevToolsSession::RemoveListener(int key) {
  for (auto& [method, list] : listeners_) {
    std::erase_if(list, [key](const auto& entry) { return entry.first == key; });
  }
}

void DevToolsSession::OnResponse(int64_t id, const nlohmann::json& message) {
  if (posted_.erase(id)) return;
  auto it = pending_.find(id);
  if (it == pending_.end()) return;
  auto pending = it->second;
  pending_.erase(it);
  pending->done = true;
  if (message.contains("error")) {
    OstrelError error = devtools::ErrorFromAnswer(pending->method, message["error"]);
    pending->failed = true;
    pending->number = error.Number();
    pending->description = error.Description();
  } else {
    pending->result = message.contains("result") ? message["result"] : nlohmann::json::object();
  }
}

void DevToolsSession::OnEvent(const std::string& method, const nlohmann::json& params) {
  auto it = listeners_.find(method);
  if (it == listeners_.end()) return;
  auto list = it->second;  // a listener may add or remove listeners
  for (auto& [key, listener] : list) {
    bool still_registered = false;
    for (const auto& entry : listeners_[method]) still_registered |= entry.first == key;
    if (still_registered) listener(params);
  }
}

void DevToolsSession::Close(const std::string& reason) {
  if (!open_) return;
  open_ = false;
  close_reason_ = reason;
  auto pending = std::move(pending_);
  pending_.clear();
  posted_.clear();
  for (auto& [id, waiter] : pending) {
    waiter->done = waiter->failed = true;
    waiter->number = err::kBrowserGone;
    waiter->description = waiter->method + ": " + reason;
  }
}

}  // namespace ostrel
