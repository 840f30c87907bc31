#include "platform/devtools/DevToolsSession.h"

#include "platform/devtools/DevToolsConnection.h"
#include "platform/devtools/DevToolsErrors.h"
#include "platform/devtools/ProtocolMessage.h"
#include "support/ErrorNumbers.h"
#include "support/Log.h"

namespace ostrel {

DevToolsSession::DevToolsSession(DevToolsConnection& connection, std::string id)
    : connection_(connection), id_(std::move(id)) {
  connection_.Register(this);
}

DevToolsSession::~DevToolsSession() {
  Close("the session has ended");
  connection_.Unregister(this);
}

nlohmann::json DevToolsSession::Call(const std::string& method, const nlohmann::json& params) {
  // Listeners run while this call waits may drop the last owner of this
  // session: it stays alive until the call returns.
  const std::shared_ptr<DevToolsSession> keep = weak_from_this().lock();
  if (!open_) throw OstrelError(err::kBrowserGone, method + ": " + close_reason_);
  const int64_t id = connection_.Send(id_, method, params, true);
  if (id < 0) throw OstrelError(err::kBrowserGone, method + ": the browser has gone");
  auto pending = std::make_shared<Pending>();
  pending->method = method;
  pending_[id] = pending;
  const auto deadline = std::chrono::steady_clock::now() + connection_.CallTimeout();
  bool done = false;
  try {
    // A copy: the handler may be replaced while it runs.
    const DevToolsConnection::WaitHandler waiting = waiting_;
    done = connection_.PumpUntil([&] { return pending->done; }, deadline, &waiting);
  } catch (...) {
    // Given up by the wait handler: a late answer is dropped.
    if (pending_.erase(id)) posted_[id] = method;
    throw;
  }
  if (!done) {
    pending_.erase(id);
    if (!open_ || connection_.Closed()) throw OstrelError(err::kBrowserGone, method + ": the browser has gone");
    posted_[id] = method;  // a late answer is dropped
    throw OstrelError(err::kBrowserTimeout, method + ": no answer within " +
                                                std::to_string(connection_.CallTimeout().count() / 1000) + " s");
  }
  if (pending->failed) throw OstrelError(pending->number, pending->description, pending->explanation);
  return std::move(pending->result);
}

void DevToolsSession::Send(const std::string& method, const nlohmann::json& params, AnswerHandler answered) {
  auto pending = std::make_shared<Pending>();
  pending->method = method;
  pending->answered = std::move(answered);
  const int64_t id = open_ ? connection_.Send(id_, method, params, false) : -1;
  if (id < 0) {
    pending->failed = true;
    pending->number = err::kBrowserGone;
    pending->description = method + ": the browser has gone";
    Finish(*pending);
    return;
  }
  pending_[id] = pending;
}

void DevToolsSession::Post(const std::string& method, const nlohmann::json& params) {
  if (!open_) return;
  const int64_t id = connection_.Send(id_, method, params, false);
  if (id >= 0) posted_[id] = method;
}

int DevToolsSession::AddListener(const std::string& method, Listener listener) {
  const int key = next_key_++;
  listeners_[method].emplace_back(key, std::move(listener));
  return key;
}

void DevToolsSession::RemoveListener(int key) {
  for (auto& [method, list] : listeners_) {
    std::erase_if(list, [key](const auto& entry) { return entry.first == key; });
  }
}

void DevToolsSession::Finish(Pending& pending) {
  pending.done = true;
  if (!pending.answered) return;
  AnswerHandler answered = std::move(pending.answered);
  try {
    if (pending.failed) {
      const OstrelError error(pending.number, pending.description, pending.explanation);
      answered(&error, nlohmann::json::object());
    } else {
      answered(nullptr, pending.result);
    }
  } catch (const std::exception& e) {
    Log(pending.method + ": the handler of its answer failed: " + e.what());
  }
}

void DevToolsSession::OnAnswer(const ProtocolMessage& message) {
  if (posted_.erase(message.id)) return;
  auto it = pending_.find(message.id);
  if (it == pending_.end()) return;
  const std::shared_ptr<Pending> pending = it->second;
  pending_.erase(it);
  if (message.kind != ProtocolMessage::Kind::kAnswer) {
    pending->failed = true;
    pending->number = err::kBrowserProtocol;
    pending->description = pending->method + ": " + message.problem;
    pending->explanation = "The browser sent an answer Ostrel could not read.";
  } else if (!message.error.is_null()) {
    const OstrelError error = devtools::ErrorFromAnswer(pending->method, message.error);
    pending->failed = true;
    pending->number = error.Number();
    pending->description = error.Description();
  } else {
    pending->result = message.result;
  }
  Finish(*pending);
}

void DevToolsSession::OnEvent(const std::string& method, const nlohmann::json& params) {
  auto it = listeners_.find(method);
  if (it == listeners_.end()) return;
  const auto list = it->second;  // a listener may add or remove listeners
  for (const auto& [key, listener] : list) {
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
    waiter->failed = true;
    waiter->number = err::kBrowserGone;
    waiter->description = waiter->method + ": " + reason;
    Finish(*waiter);
  }
}

}  // namespace ostrel
