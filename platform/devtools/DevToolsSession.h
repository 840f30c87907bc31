#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/OstrelError.h"

namespace ostrel {

class DevToolsConnection;
struct ProtocolMessage;

// One DevTools session: the browser itself (empty id) or one attached target
// (a tab, an extension's service worker). Commands are sent through the
// connection; the session keeps its unanswered commands (id -> method and
// what waits for it) and hands its events to the listeners registered for
// their method.
//
// Call() is synchronous: it keeps reading the pipe (and so dispatches events,
// whose listeners may themselves call) until the answer arrives. It throws
// OstrelError with
//   err::kBrowserGone      the pipe closed, the browser exited, or this
//                          session's target went away (every waiting call
//                          fails at once);
//   err::kBrowserTimeout   no answer within the connection's time-out;
//   err::kBrowserProtocol  an answer that is not well formed;
//   the number that DevToolsErrors gives for an error answer.
// The description names the method that failed.
//
// Sessions are shared: a session held by a shared_ptr stays alive while one
// of its own calls waits, even if its owner lets go of it meanwhile. It
// registers itself with the connection when made and leaves it when
// destroyed; it must not outlive the connection.
class DevToolsSession : public std::enable_shared_from_this<DevToolsSession> {
 public:
  using Listener = std::function<void(const nlohmann::json& params)>;
  // The outcome of a command sent with Send(): error is null on success.
  using AnswerHandler = std::function<void(const OstrelError* error, const nlohmann::json& result)>;

  DevToolsSession(DevToolsConnection& connection, std::string id);
  ~DevToolsSession();
  DevToolsSession(const DevToolsSession&) = delete;
  DevToolsSession& operator=(const DevToolsSession&) = delete;

  const std::string& Id() const { return id_; }
  DevToolsConnection& Connection() { return connection_; }

  // Sends a command and waits for its result (always an object).
  nlohmann::json Call(const std::string& method, const nlohmann::json& params = nlohmann::json::object());
  // Sends a command and returns at once; answered() runs when the answer
  // arrives (from wherever the pipe is read), or with err::kBrowserGone
  // when the session closes first. It must not throw.
  void Send(const std::string& method, const nlohmann::json& params, AnswerHandler answered);
  // Sends a command without waiting; its answer, success or error, is
  // dropped. Does nothing once the session is closed.
  void Post(const std::string& method, const nlohmann::json& params = nlohmann::json::object());

  // Registers a listener for an event method; returns a key for
  // RemoveListener. Listeners run in the order registered.
  int AddListener(const std::string& method, Listener listener);
  void RemoveListener(int key);

  // Runs while a Call of this session waits (see
  // DevToolsConnection::PumpUntil); empty: none.
  void SetWaitHandler(std::function<void(std::chrono::milliseconds waited)> waiting) {
    waiting_ = std::move(waiting);
  }

  // False once the target has gone or the pipe closed.
  bool Open() const { return open_; }

  // For the connection: whether the command id is this session's, its
  // answer, an event, the end of the session.
  bool Awaits(int64_t id) const { return pending_.count(id) > 0 || posted_.count(id) > 0; }
  void OnAnswer(const ProtocolMessage& message);
  void OnEvent(const std::string& method, const nlohmann::json& params);
  void Close(const std::string& reason);

 private:
  struct Pending {
    std::string method;
    bool done = false;
    bool failed = false;
    int32_t number = 0;
    std::string description;
    std::string explanation;
    nlohmann::json result;
    AnswerHandler answered;
  };
  void Finish(Pending& pending);

  DevToolsConnection& connection_;
  std::string id_;
  bool open_ = true;
  std::string close_reason_;
  std::map<int64_t, std::shared_ptr<Pending>> pending_;
  std::map<int64_t, std::string> posted_;
  std::map<std::string, std::vector<std::pair<int, Listener>>> listeners_;
  std::function<void(std::chrono::milliseconds)> waiting_;
  int next_key_ = 1;
};

}  // namespace ostrel
