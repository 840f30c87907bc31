#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/devtools/PipeTransport.h"

namespace ostrel {

class DevToolsSession;

// The message level of the DevTools pipe: numbers commands (one counter for
// all sessions), routes each answer and event to its session by session id,
// and reads the pipe. Messages read but not yet handed out wait in one queue,
// so a listener that calls into the browser (and so reads the pipe itself)
// keeps the order of messages intact.
//
// Every wait is bounded: CallTimeout() (30 s unless changed) for a command.
// When the pipe closes or the liveness check says the browser has gone, every
// session is closed and every waiting call fails at once with
// err::kBrowserGone.
//
// Nothing the browser sends is trusted (see ProtocolMessage): an answer
// that is not well formed fails the command it names at once; an event or
// message that is not well formed, or whose listener fails, is logged and
// dropped. Dispatching never throws.
class DevToolsConnection {
 public:
  explicit DevToolsConnection(std::unique_ptr<PipeTransport> transport);
  ~DevToolsConnection();
  DevToolsConnection(const DevToolsConnection&) = delete;
  DevToolsConnection& operator=(const DevToolsConnection&) = delete;

  // The browser's own session (no session id).
  DevToolsSession& Browser() { return *browser_; }

  // Reads what the pipe holds and dispatches it. When nothing is queued it
  // waits up to wait_ms for something to arrive. Never throws.
  void ProcessPending(int wait_ms);

  // Reads what has arrived and dispatches it, without waiting and without
  // counting as a pass of the event pump.
  void Drain();

  // Reads and dispatches until done() is true, the deadline passes or the
  // connection closes; returns done(). While nothing arrives, waiting (when
  // given, and no Hold is in force) runs every few milliseconds with how
  // long this pump has waited; what it throws leaves PumpUntil.
  using WaitHandler = std::function<void(std::chrono::milliseconds waited)>;
  bool PumpUntil(const std::function<bool()>& done, std::chrono::steady_clock::time_point deadline,
                 const WaitHandler* waiting = nullptr);

  // While one lives, no wait handler runs (the page is held for a handler
  // that must not let the window's events run meanwhile).
  class Hold {
   public:
    explicit Hold(DevToolsConnection& connection) : connection_(connection) { ++connection_.holds_; }
    ~Hold() { --connection_.holds_; }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    DevToolsConnection& connection_;
  };

  bool Closed() const { return closed_; }
  // Called while idle; returning false closes the connection (the browser
  // process has exited even if the pipe is still open).
  void SetLivenessCheck(std::function<bool()> alive) { alive_ = std::move(alive); }
  // The descriptor to watch for readability; -1 once closed.
  int ReadFd() const { return transport_->ReadFd(); }

  std::chrono::milliseconds CallTimeout() const { return call_timeout_; }
  void SetCallTimeout(std::chrono::milliseconds timeout) { call_timeout_ = timeout; }

  // How many times ProcessPending() has been called: each call may have let
  // the page change (the user typing, page scripts running).
  uint64_t PumpPasses() const { return pump_passes_; }

  // Commands sent so far that a caller waited for.
  uint64_t RoundTrips() const { return round_trips_; }

  // For sessions: sends a command and returns its id, or -1 when closed.
  int64_t Send(const std::string& session_id, const std::string& method, const nlohmann::json& params,
               bool round_trip);
  void Register(DevToolsSession* session);
  void Unregister(DevToolsSession* session);

 private:
  bool ReadSome(int wait_ms);
  // Dispatches the oldest message read, or all of them, in order.
  void DispatchNext();
  void DispatchInbox();
  void Dispatch(const std::string& text);
  void CloseAll(const std::string& reason);

  std::unique_ptr<PipeTransport> transport_;
  std::shared_ptr<DevToolsSession> browser_;
  std::map<std::string, DevToolsSession*> sessions_;
  std::deque<std::string> inbox_;
  std::function<bool()> alive_;
  std::chrono::milliseconds call_timeout_{30000};
  int64_t next_id_ = 1;
  uint64_t round_trips_ = 0;
  uint64_t pump_passes_ = 0;
  bool closed_ = false;
  int holds_ = 0;
};

}  // namespace ostrel
