// Crash trials kept short enough for every test run; store_crash_trials
// runs them long, on large files.
#include <gtest/gtest.h>

#include "tests/store/CrashTrials.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

constexpr int kMemorySites = 600;  // three runs of moved slots, a journal of two flushes

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size() && i < 5; ++i) text += lines[i] + "\n";
  return text;
}

test::TrialKeys& Keys() {
  static test::TrialKeys keys;
  return keys;
}

class CrashTest : public ::testing::TestWithParam<test::CrashOperation> {};

// Cut at each change of the operation in turn: before or after, never a mix.
TEST_P(CrashTest, KilledAtEveryChange) {
  const test::TrialCounts counts = test::RunMemoryTrials(Keys(), GetParam(), kMemorySites, 1, false);
  EXPECT_TRUE(counts.failures.empty()) << Lines(counts.failures);
  EXPECT_GT(counts.before, 0);
  EXPECT_GT(counts.after, 0);
  if (!GetParam().onEmptyFile) EXPECT_GT(counts.refused, 0);
}

TEST_P(CrashTest, PowerCutAtEveryChange) {
  const test::TrialCounts counts = test::RunMemoryTrials(Keys(), GetParam(), kMemorySites, 3, true);
  EXPECT_TRUE(counts.failures.empty()) << Lines(counts.failures);
  EXPECT_GT(counts.before, 0);
}

// On a disk that may not be written, every operation is refused as
// read-only before anything changes.
TEST_P(CrashTest, RefusedOnAReadOnlyDisk) {
  EXPECT_EQ(test::RunReadOnly(Keys(), GetParam(), kMemorySites), "");
}

INSTANTIATE_TEST_SUITE_P(EveryWrite, CrashTest, ::testing::ValuesIn(test::CrashOperations(kMemorySites)),
                         [](const ::testing::TestParamInfo<test::CrashOperation>& info) {
                           std::string name;
                           for (char c : info.param.name) {
                             if (std::isalnum(static_cast<unsigned char>(c))) name += c;
                           }
                           return name;
                         });

// Real child processes killed at random instants during the slowest
// operations on a file of some thousands of sites.
TEST(KillTest, ChildrenKilledAtRandomInstants) {
  test::TempDir dir;
  test::TrialCounts total;
  for (const test::CrashOperation& operation : test::CrashOperations(3000)) {
    if (operation.name != "delete the first site" && operation.name != "delete a user with their sites" &&
        operation.name != "save appending" && operation.name != "protect the file") {
      continue;
    }
    total.Add(test::RunKillTrials(Keys(), operation, dir.Path(), 3000, 8, 42));
  }
  EXPECT_TRUE(total.failures.empty()) << Lines(total.failures);
  EXPECT_EQ(total.before + total.after, total.trials);
  EXPECT_GT(total.killedDuring, 0);
}

}  // namespace
}  // namespace ostrel
