#include "platform/devtools/TemporaryProfiles.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <mutex>

namespace ostrel::temporary_profiles {

namespace {

constexpr int kEntries = 16;
constexpr size_t kPathBytes = 4096;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

struct Entry {
  volatile sig_atomic_t used = 0;
  volatile pid_t group = 0;
  char folder[kPathBytes] = {};
};

Entry g_entries[kEntries];
std::mutex g_mutex;  // between threads registering; the handler takes no lock

struct LinuxDirent {
  ino64_t d_ino;
  off64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[];
};

// Removes name (a file or a whole folder) below the folder dir, with calls
// that are safe in a signal handler only.
void RemoveAt(int dir, const char* name, int depth) {
  if (unlinkat(dir, name, 0) == 0 || errno == ENOENT) return;
  if (depth > 32) return;
  const int fd = openat(dir, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  alignas(8) char buffer[4096];
  for (;;) {
    const long n = syscall(SYS_getdents64, fd, buffer, sizeof buffer);
    if (n <= 0) break;
    for (long at = 0; at < n;) {
      auto* entry = reinterpret_cast<LinuxDirent*>(buffer + at);
      at += entry->d_reclen;
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
      RemoveAt(fd, entry->d_name, depth + 1);
    }
  }
  close(fd);
  unlinkat(dir, name, AT_REMOVEDIR);
}

void Sleep20ms() {
  timespec pause{0, 20 * 1000 * 1000};
  nanosleep(&pause, nullptr);
}

void OnSignal(int signal) {
  const int saved = errno;
  for (Entry& e : g_entries) {
    if (e.used && e.group > 0) kill(-e.group, SIGKILL);
  }
  // Up to three seconds for the processes to go, so none writes into a
  // folder being removed.
  for (int pass = 0; pass < 150; ++pass) {
    bool alive = false;
    for (Entry& e : g_entries) {
      if (!e.used || e.group <= 0) continue;
      int status;
      waitpid(e.group, &status, WNOHANG);
      alive |= kill(-e.group, 0) == 0;
    }
    if (!alive) break;
    Sleep20ms();
  }
  for (Entry& e : g_entries) {
    if (e.used && e.folder[0] == '/') RemoveAt(AT_FDCWD, e.folder, 0);
  }
  errno = saved;
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  sigaction(signal, &defaults, nullptr);
  raise(signal);
}

void InstallOnce() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  for (int signal : kSignals) {
    struct sigaction current {};
    sigaction(signal, nullptr, &current);
    if (current.sa_handler != SIG_DFL) continue;  // the program handles it itself
    struct sigaction ours {};
    ours.sa_handler = OnSignal;
    sigfillset(&ours.sa_mask);
    sigaction(signal, &ours, nullptr);
  }
}

}  // namespace

int Register(const std::string& folder) {
  if (folder.size() >= kPathBytes) return -1;
  std::lock_guard<std::mutex> lock(g_mutex);
  InstallOnce();
  for (int key = 0; key < kEntries; ++key) {
    Entry& e = g_entries[key];
    if (e.used) continue;
    std::memcpy(e.folder, folder.c_str(), folder.size() + 1);
    e.group = 0;
    e.used = 1;
    return key;
  }
  return -1;
}

void SetGroup(int key, pid_t group) {
  if (key >= 0 && key < kEntries) g_entries[key].group = group;
}

void Unregister(int key) {
  if (key < 0 || key >= kEntries) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  g_entries[key].used = 0;
  g_entries[key].group = 0;
}

}  // namespace ostrel::temporary_profiles
