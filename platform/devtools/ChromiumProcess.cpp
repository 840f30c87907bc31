#include "platform/devtools/ChromiumProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/devtools/JsonFields.h"
#include "platform/devtools/TemporaryProfiles.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

extern char** environ;

namespace ostrel {

namespace {

// A pipe whose two descriptors are numbered 5 or above and close on exec, so
// that placing the child's ends at 3 and 4 can never collide with them.
void HighPipe(int fds[2]) {
  int raw[2];
  if (pipe2(raw, O_CLOEXEC) != 0) throw OstrelError(err::kBrowserGone, "cannot create the DevTools pipe");
  for (int i = 0; i < 2; ++i) {
    fds[i] = fcntl(raw[i], F_DUPFD_CLOEXEC, 5);
    close(raw[i]);
  }
}

std::string Executable(const ChromiumOptions& options) {
  if (!options.executable.empty()) return options.executable;
  const char* env = std::getenv("OSTREL_BROWSER");
  return env && *env ? env : "chromium";
}

}  // namespace

ChromiumProcess::ChromiumProcess(ChromiumOptions options) {
  if (options.profile.empty()) {
    char folder[] = "/tmp/ostrel-chromium-XXXXXX";
    if (!mkdtemp(folder)) throw OstrelError(err::kBrowserGone, "cannot create a profile folder");
    profile_ = folder;
    temporary_profile_ = true;
  } else {
    profile_ = options.profile;
  }
  registration_ = temporary_profiles::Register(temporary_profile_ ? profile_.string() : "");
  try {
    Spawn(options);
    temporary_profiles::SetGroup(registration_, pid_);
    connection_->SetCallTimeout(options.call_timeout);
    connection_->Browser().Call("Browser.getVersion");
  } catch (...) {
    connection_.reset();
    if (pid_ > 0) {
      kill(-pid_, SIGKILL);
      Reap(std::chrono::milliseconds(0));
    }
    RemoveProfile();
    throw;
  }
}

void ChromiumProcess::Spawn(const ChromiumOptions& options) {
  int to_browser[2], from_browser[2];
  HighPipe(to_browser);
  HighPipe(from_browser);

  std::vector<std::string> args = {Executable(options),
                                   "--remote-debugging-pipe",
                                   "--user-data-dir=" + profile_.string(),
                                   "--no-first-run",
                                   "--no-default-browser-check",
                                   "--disable-sync",
                                   "--disable-features=Translate,MediaRouter",
                                   "--password-store=basic"};
  if (options.headless) {
    for (const char* a : {"--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                          "--disable-component-update"}) {
      args.emplace_back(a);
    }
  } else if (geteuid() == 0) {
    args.emplace_back("--no-sandbox");  // Chromium refuses to run as root with its sandbox
  }
  if (options.extension_debugging) args.emplace_back("--enable-unsafe-extension-debugging");
  for (const auto& a : options.extra_arguments) args.push_back(a);
  args.emplace_back("about:blank");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, to_browser[0], 3);
  posix_spawn_file_actions_adddup2(&actions, from_browser[1], 4);
  const char* log = std::getenv("OSTREL_BROWSER_LOG");
  if (!(log && *log)) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setpgroup(&attributes, 0);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  sigset_t no_mask;
  sigemptyset(&no_mask);
  posix_spawnattr_setsigmask(&attributes, &no_mask);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  int rc = posix_spawnp(&pid_, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  close(to_browser[0]);
  close(from_browser[1]);
  if (rc != 0) {
    pid_ = -1;
    close(to_browser[1]);
    close(from_browser[0]);
    throw OstrelError(err::kBrowserGone, "cannot start " + args[0] + ": " + std::strerror(rc));
  }
  connection_ = std::make_unique<DevToolsConnection>(
      std::make_unique<PipeTransport>(from_browser[0], to_browser[1]));
  connection_->SetLivenessCheck([this] { return Running(); });
}

ChromiumProcess::~ChromiumProcess() {
  if (connection_ && !connection_->Closed() && Running()) {
    connection_->Browser().Post("Browser.close");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    connection_->PumpUntil([this] { return !Running(); }, deadline);
  }
  connection_.reset();
  if (pid_ > 0 && !reaped_) {
    Reap(std::chrono::milliseconds(2000));
  }
  RemoveProfile();
}

void ChromiumProcess::RemoveProfile() {
  // Helper processes left behind by the browser may still be writing into
  // the profile: end the whole group and let it go before removing.
  if (pid_ > 0) {
    kill(-pid_, SIGKILL);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (kill(-pid_, 0) == 0 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  for (int attempt = 0; temporary_profile_ && attempt < 5; ++attempt) {
    std::error_code ignored;
    std::filesystem::remove_all(profile_, ignored);
    if (!std::filesystem::exists(profile_, ignored)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  temporary_profiles::Unregister(registration_);
  registration_ = -1;
}

bool ChromiumProcess::Running() {
  if (pid_ <= 0 || reaped_) return false;
  int status;
  pid_t r = waitpid(pid_, &status, WNOHANG);
  if (r == pid_ || (r < 0 && errno == ECHILD)) {
    reaped_ = true;
    return false;
  }
  return true;
}

void ChromiumProcess::Reap(std::chrono::milliseconds grace) {
  auto deadline = std::chrono::steady_clock::now() + grace;
  while (Running() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (Running()) {
    kill(-pid_, SIGKILL);
    int status;
    waitpid(pid_, &status, 0);
    reaped_ = true;
  }
}

void ChromiumProcess::Kill() {
  if (pid_ > 0 && !reaped_) kill(-pid_, SIGKILL);
}

std::vector<TargetInfo> ChromiumProcess::Targets() {
  auto result = connection_->Browser().Call("Target.getTargets");
  std::vector<TargetInfo> targets;
  for (const auto& t : devtools::Arr(result, "targetInfos")) {
    targets.push_back({devtools::Str(t, "targetId"), devtools::Str(t, "type"), devtools::Str(t, "url"),
                       devtools::Str(t, "title"), devtools::Bool(t, "attached")});
  }
  return targets;
}

std::string ChromiumProcess::OpenTab(const std::string& url) {
  auto result = connection_->Browser().Call("Target.createTarget", {{"url", url}});
  const std::string id = devtools::Str(result, "targetId");
  if (id.empty()) throw OstrelError(err::kBrowserProtocol, "Target.createTarget: no target id");
  return id;
}

std::shared_ptr<DevToolsSession> ChromiumProcess::Attach(const std::string& target_id) {
  auto result = connection_->Browser().Call("Target.attachToTarget", {{"targetId", target_id}, {"flatten", true}});
  const std::string id = devtools::Str(result, "sessionId");
  if (id.empty()) throw OstrelError(err::kBrowserProtocol, "Target.attachToTarget: no session id");
  return std::make_shared<DevToolsSession>(*connection_, id);
}

}  // namespace ostrel
