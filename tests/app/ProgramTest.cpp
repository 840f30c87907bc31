#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "app/ProcessHygiene.h"
#include "app/ProfileLock.h"

namespace ostrel {
namespace {

std::filesystem::path FreshFolder(const std::string& name) {
  auto dir = std::filesystem::temp_directory_path() / ("ostrel-program-" + std::to_string(::getpid()) + "-" + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

TEST(ProfileLockTest, OneHolderAtATimeAndFreeAgainOnceReleased) {
  const auto dir = FreshFolder("lock");
  auto first = ProfileLock::Take(dir);
  ASSERT_TRUE(first);
  EXPECT_FALSE(ProfileLock::Take(dir));  // a second one, even in this process
  first.reset();
  EXPECT_TRUE(ProfileLock::Take(dir));
  std::filesystem::remove_all(dir);
}

TEST(ProcessHygieneTest, NoCoreDumpNoReadingAndPrivateFiles) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    HardenProcess();
    rlimit core{};
    getrlimit(RLIMIT_CORE, &core);
    const mode_t mask = umask(0);
    _exit(core.rlim_cur == 0 && core.rlim_max == 0 && prctl(PR_GET_DUMPABLE) == 0 && mask == 077 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// The real program, headless, on a profile of its own.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { profile_ = FreshFolder("profile"); }
  void TearDown() override {
    if (first_ > 0) {
      kill(first_, SIGKILL);
      waitpid(first_, nullptr, 0);
    }
    std::filesystem::remove_all(profile_);
  }
  // Starts ostrel with its output into out; returns its pid.
  pid_t Start(const std::filesystem::path& out) {
    const pid_t pid = fork();
    if (pid == 0) {
      const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(fd, 1);
      dup2(fd, 2);
      setenv("QT_QPA_PLATFORM", "offscreen", 1);
      execl(OSTREL_PROGRAM, OSTREL_PROGRAM, "--headless", "--profile", profile_.c_str(), nullptr);
      _exit(127);
    }
    return pid;
  }
  static std::string Read(const std::filesystem::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
  }

  std::filesystem::path profile_;
  pid_t first_ = -1;
};

// A second ostrel on the same profile says so and goes, touching nothing;
// the first goes on and ends cleanly on SIGTERM.
TEST_F(ProgramTest, ASecondProgramOnTheSameProfileSaysSoAndLeavesTheFirstAlone) {
  const auto first_out = profile_ / "first.log";
  first_ = Start(first_out);
  ASSERT_TRUE(WaitFor([&] { return Read(first_out).find("Ostrel is running") != std::string::npos; },
                      std::chrono::seconds(30)))
      << Read(first_out);
  EXPECT_EQ(std::filesystem::status(profile_).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);
  std::ifstream limits("/proc/" + std::to_string(first_) + "/limits");
  std::string line;
  bool no_core = false;
  while (std::getline(limits, line)) {
    if (line.rfind("Max core file size", 0) == 0) no_core = line.find(" 0 ") != std::string::npos;
  }
  EXPECT_TRUE(no_core);

  const auto second_out = profile_ / "second.log";
  const pid_t second = Start(second_out);
  int status = 0;
  ASSERT_EQ(waitpid(second, &status, 0), second);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  const std::string said = Read(second_out);
  const std::string sentence = "ostrel: Ostrel is already running.\n";
  EXPECT_TRUE(said.size() >= sentence.size() && said.substr(said.size() - sentence.size()) == sentence) << said;
  EXPECT_EQ(said.find("rror"), std::string::npos) << said;

  EXPECT_EQ(kill(first_, 0), 0);  // still running
  kill(first_, SIGTERM);
  ASSERT_TRUE(WaitFor([&] { return waitpid(first_, &status, WNOHANG) == first_; }, std::chrono::seconds(15)));
  first_ = -1;
  EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

}  // namespace
}  // namespace ostrel
