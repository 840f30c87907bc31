#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/devtools/DevToolsConnection.h"
#include "platform/devtools/DevToolsSession.h"

namespace ostrel {

struct ChromiumOptions {
  // The program to start; empty: $OSTREL_BROWSER, else "chromium" on PATH.
  std::string executable;
  bool headless = true;
  // The profile folder; empty: a fresh one, removed at the end (also when
  // the program is interrupted, see TemporaryProfiles).
  std::filesystem::path profile;
  // Lets the pipe load unpacked extensions (Extensions.loadUnpacked).
  bool extension_debugging = false;
  std::vector<std::string> extra_arguments;
  // The time-out of every synchronous command.
  std::chrono::milliseconds call_timeout{30000};
};

// A target of the browser as Target.getTargets reports it.
struct TargetInfo {
  std::string id;
  std::string type;  // "page", "iframe", "service_worker", ...
  std::string url;
  std::string title;
  bool attached = false;
};

// One Chromium started as a child process with --remote-debugging-pipe (our
// end of fds 3 and 4) and its profile folder, and the connection to it. A
// headless browser (tests, benchmarks) also runs without background
// networking and component updates; a windowed one keeps them, so its
// safe-browsing lists and security components stay up to date.
// It lists targets, opens tabs and attaches sessions to targets; the tab
// objects (DevToolsBrowser) are built on those sessions.
//
// The constructor throws OstrelError(err::kBrowserGone) when Chromium cannot
// be started or does not answer. The destructor asks Chromium to close,
// kills its process group if it has not gone within a few seconds, reaps it
// and removes a fresh profile folder. Sessions and tabs must be destroyed
// first.
class ChromiumProcess {
 public:
  explicit ChromiumProcess(ChromiumOptions options = {});
  ~ChromiumProcess();
  ChromiumProcess(const ChromiumProcess&) = delete;
  ChromiumProcess& operator=(const ChromiumProcess&) = delete;

  DevToolsConnection& Connection() { return *connection_; }
  pid_t Pid() const { return pid_; }
  const std::filesystem::path& Profile() const { return profile_; }

  std::vector<TargetInfo> Targets();
  // Opens a new tab showing url and returns its target id.
  std::string OpenTab(const std::string& url = "about:blank");
  // Attaches to a target (flat session) and returns the session.
  std::shared_ptr<DevToolsSession> Attach(const std::string& target_id);

  // Kills the whole process group at once, as a crash would.
  void Kill();
  // True while the browser process has not exited.
  bool Running();

 private:
  void Spawn(const ChromiumOptions& options);
  void Reap(std::chrono::milliseconds grace);
  void RemoveProfile();

  std::filesystem::path profile_;
  bool temporary_profile_ = false;
  int registration_ = -1;
  pid_t pid_ = -1;
  bool reaped_ = false;
  std::unique_ptr<DevToolsConnection> connection_;
};

}  // namespace ostrel
