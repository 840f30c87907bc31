#include "platform/devtools/DevToolsConnection.h"

#include "platform/devtools/DevToolsSession.h"
#include "platform/devtools/JsonFields.h"
#include "platform/devtools/ProtocolMessage.h"
#include "support/Log.h"

namespace ostrel {

namespace {
constexpr int kIdleSliceMs = 50;  // how long one idle read waits before checking liveness
constexpr int kHandledSliceMs = 10;  // the same, between two runs of a wait handler
}

DevToolsConnection::DevToolsConnection(std::unique_ptr<PipeTransport> transport)
    : transport_(std::move(transport)) {
  browser_ = std::make_shared<DevToolsSession>(*this, "");
}

DevToolsConnection::~DevToolsConnection() {
  browser_.reset();
  transport_->Close();
}

void DevToolsConnection::Register(DevToolsSession* session) {
  sessions_[session->Id()] = session;
  if (closed_) session->Close("the browser has gone");
}

void DevToolsConnection::Unregister(DevToolsSession* session) {
  auto it = sessions_.find(session->Id());
  if (it != sessions_.end() && it->second == session) sessions_.erase(it);
}

int64_t DevToolsConnection::Send(const std::string& session_id, const std::string& method,
                                 const nlohmann::json& params, bool round_trip) {
  if (closed_) return -1;
  int64_t id = next_id_++;
  nlohmann::json message = {{"id", id}, {"method", method}, {"params", params}};
  if (!session_id.empty()) message["sessionId"] = session_id;
  if (!transport_->Send(message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace))) {
    CloseAll("the browser has gone (the pipe is closed)");
    return -1;
  }
  if (round_trip) ++round_trips_;
  return id;
}

bool DevToolsConnection::ReadSome(int wait_ms) {
  if (closed_) return false;
  std::vector<std::string> messages;
  bool open = transport_->Receive(wait_ms, messages);
  for (auto& message : messages) inbox_.push_back(std::move(message));
  if (!open) {
    CloseAll("the browser has gone (the pipe is closed)");
  } else if (messages.empty() && alive_ && !alive_()) {
    transport_->Close();
    CloseAll("the browser process has exited");
  }
  return !messages.empty();
}

void DevToolsConnection::ProcessPending(int wait_ms) {
  ++pump_passes_;
  if (inbox_.empty()) ReadSome(wait_ms);
  else ReadSome(0);
  DispatchInbox();
}

void DevToolsConnection::Drain() {
  ReadSome(0);
  DispatchInbox();
}

bool DevToolsConnection::PumpUntil(const std::function<bool()>& done,
                                   std::chrono::steady_clock::time_point deadline, const WaitHandler* waiting) {
  const auto start = std::chrono::steady_clock::now();
  const bool handled = waiting && *waiting;
  for (;;) {
    if (done()) return true;
    if (!inbox_.empty()) {
      DispatchNext();
      continue;
    }
    if (closed_) return done();
    auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return done();
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
    const bool arrived = ReadSome(static_cast<int>(std::min<long long>(left + 1, handled ? kHandledSliceMs : kIdleSliceMs)));
    if (!arrived && handled && holds_ == 0 && !done()) {
      (*waiting)(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start));
    }
  }
}

void DevToolsConnection::DispatchInbox() {
  while (!inbox_.empty()) DispatchNext();
}

void DevToolsConnection::DispatchNext() {
  std::string text = std::move(inbox_.front());
  inbox_.pop_front();
  Dispatch(text);
}

void DevToolsConnection::Dispatch(const std::string& text) {
  const ProtocolMessage message = ReadProtocolMessage(text);
  switch (message.kind) {
    case ProtocolMessage::Kind::kAnswer:
    case ProtocolMessage::Kind::kBadAnswer: {
      // Ids are unique over all sessions: the session that sent the command
      // takes the answer, whatever session id the message names.
      for (auto& [id, session] : sessions_) {
        if (!session->Awaits(message.id)) continue;
        const std::shared_ptr<DevToolsSession> keep = session->weak_from_this().lock();
        session->OnAnswer(message);
        return;
      }
      if (message.kind == ProtocolMessage::Kind::kBadAnswer) {
        Log("dropped a malformed answer to no waiting command: " + message.problem);
      }
      return;
    }
    case ProtocolMessage::Kind::kEvent: {
      if (message.method == "Target.detachedFromTarget") {
        auto gone = sessions_.find(devtools::Str(message.params, "sessionId"));
        if (gone != sessions_.end()) gone->second->Close("the target has gone");
      }
      auto it = sessions_.find(message.session_id);
      if (it == sessions_.end()) return;
      const std::shared_ptr<DevToolsSession> keep = it->second->weak_from_this().lock();
      try {
        it->second->OnEvent(message.method, message.params);
      } catch (const std::exception& e) {
        Log("dropped the event " + message.method + ": its handling failed: " + e.what());
      }
      return;
    }
    case ProtocolMessage::Kind::kUnreadable:
      Log("dropped a message from the browser: " + message.problem);
      return;
  }
}

void DevToolsConnection::CloseAll(const std::string& reason) {
  if (closed_) return;
  closed_ = true;
  auto sessions = sessions_;
  for (auto& [id, session] : sessions) session->Close(reason);
}

}  // namespace ostrel
