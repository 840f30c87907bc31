// store_crash_trials: the crash trials of CrashTest at length. Every
// operation that writes the password file is cut off at each of its changes
// on a memory disk (killed, and the power cut with random outcomes), and
// run in real child processes killed at random instants, on a large file.
// What survives a cut is also read as a program that may not write the
// file would, and every operation is tried on a disk that may not be
// written.
// Prints the trials and their outcomes; exit status 1 when any trial left
// the file neither as it was before nor as it is after.
//   store_crash_trials [--sites N] [--seeds N] [--kills N] [--memory-sites N] [--folder DIR]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/store/CrashTrials.h"

using namespace ostrel::test;

namespace {

void Print(const std::string& what, const TrialCounts& counts) {
  std::printf("  %-44s %6d trials: %6d before, %6d after, %4zu neither", what.c_str(),
              counts.trials, counts.before, counts.after, counts.failures.size());
  if (counts.refused > 0) std::printf(" (read-only: %d refused, unfinished)", counts.refused);
  if (counts.killedDuring > 0) std::printf(" (%d killed during the operation)", counts.killedDuring);
  std::printf("\n");
  for (size_t i = 0; i < counts.failures.size() && i < 3; ++i) {
    std::printf("      %s\n", counts.failures[i].c_str());
  }
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  int sites = 32764, seeds = 20, kills = 100, memorySites = 4000;  // one slot left to append
  std::string folder = std::filesystem::temp_directory_path().string();
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    const int value = std::atoi(argv[i + 1]);
    if (option == "--sites") sites = value;
    else if (option == "--seeds") seeds = value;
    else if (option == "--kills") kills = value;
    else if (option == "--memory-sites") memorySites = value;
    else if (option == "--folder") folder = argv[i + 1];
  }
  if (argc > 1 && std::string(argv[1]) == "--help") {
    std::printf("store_crash_trials [--sites N] [--seeds N] [--kills N] [--memory-sites N] [--folder DIR]\n");
    return 0;
  }
  TrialKeys keys;
  TrialCounts total;
  std::printf("memory disk, %d sites: cut at every change, killed once and power cut %d times\n",
              memorySites, seeds);
  for (const CrashOperation& operation : CrashOperations(memorySites)) {
    const TrialCounts killed = RunMemoryTrials(keys, operation, memorySites, 1, false);
    const TrialCounts cut = RunMemoryTrials(keys, operation, memorySites, seeds, true);
    Print(operation.name + " (killed)", killed);
    Print(operation.name + " (power cut)", cut);
    total.Add(killed);
    total.Add(cut);
    const std::string readOnly = RunReadOnly(keys, operation, memorySites);
    if (!readOnly.empty()) total.failures.push_back(operation.name + " on a read-only disk: " + readOnly);
    std::printf("  %-44s %s\n", (operation.name + " (read-only disk)").c_str(),
                readOnly.empty() ? "refused, nothing changed" : readOnly.c_str());
  }
  const std::string work = folder + "/ostrel-crash-trials-" + std::to_string(::getpid());
  std::filesystem::create_directories(work);
  std::printf("real processes, %d sites: SIGKILL at a random instant, %d times each\n", sites, kills);
  for (const CrashOperation& operation : CrashOperations(sites)) {
    const TrialCounts killed = RunKillTrials(keys, operation, work, sites, kills, 42);
    Print(operation.name, killed);
    total.Add(killed);
  }
  std::filesystem::remove_all(work);
  std::printf("all: %d trials, %d before, %d after, %zu neither\n", total.trials, total.before,
              total.after, total.failures.size());
  return total.failures.empty() ? 0 : 1;
}
