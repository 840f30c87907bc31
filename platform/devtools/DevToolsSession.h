#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace ostrel {

class DevToolsConnection;

// One DevTools session: the browser itself (empty id) or one attached target
// (a tab, a frame of another process, an extension's service worker).
// Commands are sent through the connection; the session keeps the waiters
// of its unanswered commands (id -> method and result) and hands its events
// to the listeners registered for their method.
//
// Call() is synchronous: it keeps reading the pipe (and so dispatches events,
// whose listeners may themselves call) until the answer arrives. It throws
// OstrelError with
//   err::kBrowserGone      the pipe closed, the browser exited, or this
//                          session's target went away (every waiting call
//                          fails at once);
//   err::kBrowserTimeout   no answer within the connection's time-out;
//   the number that DevToolsErrors gives for an error answer.
// The description names the method that failed.
//
// The session registers itself with the connection when made and leaves it
// when destroyed; it must not outlive the connection.
class DevToolsSession {
 public:
  using Listener = std::function<void(const nlohmann::json& params)>;

  DevToolsSession(DevToolsConnection& connection, std::string id);
  ~DevToolsSession();
  DevToolsSession(const DevToolsSession&) = delete;
  DevToolsSession& operator=(const DevToolsSession&) = delete;

  const std::string& Id() const { return id_; }
  DevToolsConnection& Connection() { return connection_; }

  // Sends a command and waits for its result.
  nlohmann::json Call(const std::string& method, const nlohmann::json& params = nlohmann::json::object());
  // Sends a command without waiting; its answer, success or error, is
  // dropped. Does nothing once the session is closed.
  void Post(const std::string& method, const nlohmann::json& params = nlohmann::json::object());

  // Registers a listener for an event method; returns a key for
  // RemoveListener. Listeners run in the order registered.
  int AddListener(const std::string& method, Listener listener);
  void RemoveListener(int key);

  // False once the target has gone or the pipe closed.
  bool Open() const { return open_; }

  // For the connection: an answer, an event, the end of the session.
  void OnResponse(int64_t id, const nlohmann::json& message);
  void OnEvent(const std::string& method, const nlohmann::json& params);
  void Close(const std::string& reason);

 private:
  struct Pending {
    std::string method;
    bool done = false;
    bool failed = false;
    int32_t number = 0;
    std::string description;
    nlohmann::json result;
  };

  DevToolsConnection& connection_;
  std::string id_;
  bool open_ = true;
  std::string close_reason_;
  std::map<int64_t, std::shared_ptr<Pending>> pending_;
  std::map<int64_t, std::string> posted_;
  std::map<std::string, std::vector<std::pair<int, Listener>>> listeners_;
  int next_key_ = 1;
};

}  // namespace ostrel
