// How long a program waits for the password file's lock while other
// programs work on the file without pause. Each worker is a child process
// that saves a site in place again and again (the exclusive lock, a
// journal and its syncs every time) and lists the sites in between (the
// shared lock). The waiter, this process, asks for the lock now and then -
// exclusive and shared in turn - and notes how long each took to come.
// Prints the mean, median, 99th percentile and longest wait.
// Usage: bench_store_locks [folder, default /tmp] [workers, default 1] [waits, default 200]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/files/PosixRecordFiles.h"
#include "store/BuiltInKey.h"
#include "store/FileInfo.h"
#include "store/WebRecord.h"
#include "store/WebUsers.h"

namespace ostrel {
namespace {

using Clock = std::chrono::steady_clock;

WebRecord Site(StoreContext& context, int n) {
  WebRecord record(context);
  record.SetSiteName("Site " + std::to_string(n));
  record.SetURL("https://www.example" + std::to_string(n) + ".com/login");
  FormInfo form;
  form.Name = "login";
  record.SetForm(form);
  record.AddControl(ControlInfo{0, 1, "user", "user", "someone@mail.example"});
  record.AddControl(ControlInfo{1, 3, "pass", "pass", "pw-" + std::to_string(n)});
  return record;
}

void Key(StoreContext& context, const std::string& path) {
  context.PasswordFileName = path;
  context.HeaderCipher.SetSecret(BuildBuiltInKey());
  context.DataCipher.SetSecret("benchmark data key");
}

void Build(const std::string& path, int sites) {
  StoreContext context;
  Key(context, path);
  FileInfo header(context);
  header.SetEncryptionKey("benchmark data key");
  int16_t last = 0;
  WebUsers(context).CreateUser(last, "user", "pw");
  header.SetLastUserID(last);
  for (int n = 1; n <= sites; ++n) {
    int16_t index = -1;
    Site(context, n).Save(1, index);
  }
}

[[noreturn]] void Work(const std::string& path, int worker) {
  StoreContext context;
  Key(context, path);
  WebRecord record = Site(context, 1000 + worker);
  for (;;) {
    int16_t slot = static_cast<int16_t>(worker + 1);
    record.Save(1, slot);
    WebRecord(context).ListSites(1);
  }
}

struct Waits {
  std::vector<double> ms;
  void Print(const char* what) {
    std::sort(ms.begin(), ms.end());
    double sum = 0;
    for (double m : ms) sum += m;
    std::printf("  %-16s %4zu waits: mean %8.2f ms, median %8.2f ms, 99th %8.2f ms, longest %8.2f ms\n",
                what, ms.size(), sum / static_cast<double>(ms.size()), ms[ms.size() / 2],
                ms[ms.size() * 99 / 100], ms.back());
  }
};

}  // namespace
}  // namespace ostrel

int main(int argc, char** argv) {
  using namespace ostrel;
  const std::string folder = argc > 1 ? argv[1] : "/tmp";
  const int workers = argc > 2 ? std::atoi(argv[2]) : 1;
  const int waits = argc > 3 ? std::atoi(argv[3]) : 200;
  const std::string path = folder + "/bench-locks-" + std::to_string(::getpid()) + ".xps";
  Build(path, 300);

  std::vector<pid_t> children;
  for (int w = 0; w < workers; ++w) {
    const pid_t child = ::fork();
    if (child == 0) Work(path, w);
    children.push_back(child);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  PosixRecordFiles files;
  Waits exclusive, shared;
  for (int i = 0; i < waits; ++i) {
    auto file = files.Open(path, 256);
    const FileLock kind = i % 2 == 0 ? FileLock::kExclusive : FileLock::kShared;
    const auto start = Clock::now();
    file->Lock(kind);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    file->Unlock();
    (kind == FileLock::kExclusive ? exclusive : shared).ms.push_back(ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  for (pid_t child : children) {
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
  }
  std::printf("lock waits with %d program(s) saving and listing without pause (300 sites, %s)\n",
              workers, folder.c_str());
  exclusive.Print("exclusive lock");
  shared.Print("shared lock");
  std::filesystem::remove(path);
  std::filesystem::remove(path + "-journal");
  return 0;
}
