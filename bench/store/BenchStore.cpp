// Builds password files of 1,000 and 32,765 site records spread over 12
// users, with typical login records (about 150 bytes packed) and with
// records that fill their slots, and prints how long the store's operations
// take on them: the median of repeated runs with the fastest and slowest,
// wall and CPU time. Changes run on a fresh copy of the file each time.
// Goals at 32,765 sites: deleting a user with 2,731 sites <= 2 s; Delete(1)
// <= 200 ms with a peak memory under 16 MiB. The typical records run once
// more on a file protected with each person's password; first, one key
// derivation of a login with the limits a new wrap gets.
// Usage: bench_store [folder for the files, default /tmp]
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "store/Blocks.h"
#include "store/BuiltInKey.h"
#include "store/FileInfo.h"
#include "store/FileProtection.h"
#include "store/SlotLimits.h"
#include "store/StoreContext.h"
#include "store/WebRecord.h"
#include "store/WebUsers.h"

namespace ostrel {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int16_t kUsers = 12;
const std::string kDataKey = "benchmark data key";

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// CPU time of this process in ms: on a busy machine the wall time of a step
// includes waiting for a core, its CPU time does not.
double CpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Wall and CPU time of one step, in ms.
struct Timing {
  double wall = 0;
  double cpu = 0;
};

template <typename F>
Timing Time(F&& f) {
  const double cpu = CpuMs();
  const auto start = Clock::now();
  f();
  return {MsSince(start), CpuMs() - cpu};
}

// Repeated runs of one step: median, fastest and slowest wall time, and
// the CPU time of the median run.
struct Runs {
  std::vector<Timing> times;
  Timing Median() const { return times[times.size() / 2]; }
  double Min() const { return times.front().wall; }
  double Max() const { return times.back().wall; }
};

// Runs f `runs` times, calling prepare (not timed) before each.
Runs Repeat(int runs, const std::function<void()>& f,
            const std::function<void()>& prepare = [] {}) {
  Runs result;
  for (int i = 0; i < runs; ++i) {
    prepare();
    result.times.push_back(Time(f));
  }
  std::sort(result.times.begin(), result.times.end(),
            [](const Timing& a, const Timing& b) { return a.wall < b.wall; });
  return result;
}

void Print(const char* what, const Runs& runs, const std::string& note = "") {
  std::printf("  %-30s median %8.2f ms (min %8.2f, max %8.2f; %2zu runs) cpu %8.2f ms  %s\n",
              what, runs.Median().wall, runs.Min(), runs.Max(), runs.times.size(),
              runs.Median().cpu, note.c_str());
}

void Print(const char* what, Timing t, const std::string& note = "") {
  std::printf("  %-30s %9.2f ms wall %9.2f ms cpu  %s\n", what, t.wall, t.cpu, note.c_str());
}

// The peak resident memory of this process since the last ResetPeak, in
// KiB, and the resident memory now.
long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return -1;
}
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// A login of two or three inputs, about 150 bytes packed.
WebRecord TypicalRecord(StoreContext& context, int n) {
  WebRecord record(context);
  record.SetSiteName("Site " + std::to_string(n));
  record.SetURL("https://www.example" + std::to_string(n) + ".com/account/login");
  FormInfo form;
  form.Index = 0;
  form.Name = "login";
  record.SetForm(form);
  ControlInfo user{0, 1, "username", "username", "user" + std::to_string(n) + "@mail.example"};
  ControlInfo pass{1, 3, "password", "password", "pw-" + std::to_string(n * 7919) + "-secret"};
  record.AddControl(user);
  record.AddControl(pass);
  if (n % 3 == 0) record.AddControl(ControlInfo{2, 2, "token", "", "t" + std::to_string(n)});
  return record;
}

// A record that fills its slot: kMaxSiteRecordBytes packed.
WebRecord FullRecord(StoreContext& context, int n) {
  WebRecord record = TypicalRecord(context, n);
  for (int16_t i = 1; i <= record.ControlsCount() && record.PackedLength() < kMaxSiteRecordBytes;
       ++i) {
    std::string& value = record.Control(i).Value;
    size_t room = static_cast<size_t>(kMaxSiteRecordBytes - record.PackedLength());
    value.append(std::min(room, 255 - value.size()), 'v');
  }
  while (record.PackedLength() < kMaxSiteRecordBytes) {
    size_t room = static_cast<size_t>(kMaxSiteRecordBytes - record.PackedLength());
    record.AddControl(ControlInfo{record.ControlsCount(), 2, "", "",
                                  std::string(std::min<size_t>(room > 5 ? room - 5 : 0, 255), 'w')});
  }
  return record;
}

// Writes `count` site records, owners round-robin over the 12 users, in
// bulk: packed and encrypted with the store's own primitives, then written
// a thousand slots at a time and synced, so that the steps measured later do
// not pay for flushing the build.
void WriteSites(StoreContext& context, int count, bool full) {
  auto file = context.Files().Open(context.PasswordFileName, kSiteSlotSize);
  std::string chunk;
  int first = 1;
  for (int n = 1; n <= count; ++n) {
    WebRecord record = full ? FullRecord(context, n) : TypicalRecord(context, n);
    std::string slot = record.Pack(static_cast<int16_t>((n - 1) % kUsers + 1));
    EncryptBlock(context, slot, kSiteSlotSize, false);
    chunk += slot;
    if (n % 1000 == 0 || n == count) {
      file->Write(first + 2, chunk);
      first = n + 1;
      chunk.clear();
    }
  }
  file->Sync();
}

void Run(const std::string& folder, int count, bool full, bool isProtected) {
  StoreContext context;
  context.PasswordFileName = folder + "/bench-" + std::to_string(count) + ".xps";
  std::filesystem::remove(context.PasswordFileName);

  const Timing headerSecret = Time([&] { context.HeaderCipher.SetSecret(BuildBuiltInKey()); });
  const Timing dataSecret = Time([&] { context.DataCipher.SetSecret(kDataKey); });

  const Timing build = Time([&] {
    FileInfo header(context);
    header.SetEncryptionKey(kDataKey);
    WebUsers users(context);
    int16_t last = 0;
    for (int16_t u = 1; u <= kUsers; ++u) {
      users.CreateUser(last, "user" + std::to_string(u), "pw");
    }
    header.SetLastUserID(last);
    WriteSites(context, count, full);
  });
  const Timing protecting = Time([&] {
    if (isProtected) FileProtection::Convert(context, "");
  });

  const int packed = (full ? FullRecord(context, 7) : TypicalRecord(context, 7)).PackedLength();
  std::printf("\n%d %s records (site 7 packs to %d bytes), 12 users%s\n", count,
              full ? "full" : "typical", packed, isProtected ? ", protected with each person's password" : "");
  Print("build the file (bulk)", build);
  if (isProtected) Print("protect the file (12 wraps)", protecting);
  Print("SetSecret (header key)", headerSecret);
  Print("SetSecret (data key)", dataSecret);

  WebRecord list(context);
  int16_t records = 0;
  const Runs counting = Repeat(9, [&] {
    list.FileOpen();
    records = list.RecordCount();
    list.FileClose();
  });
  Print("RecordCount", counting, "(" + std::to_string(records) + ")");

  size_t listed = 0;
  const Runs listing = Repeat(9, [&] { listed = list.ListSites(5).size(); });
  Print("list one user's sites", listing,
        "(" + std::to_string(listed) + " of " + std::to_string(records) + " slots)");

  Print("Retrieve", Repeat(9, [&] { WebRecord(context).Retrieve(static_cast<int16_t>(records / 2)); }));

  // Changes run on a copy of the file as it was built.
  const std::string built = context.PasswordFileName + ".built";
  std::filesystem::copy_file(context.PasswordFileName, built,
                             std::filesystem::copy_options::overwrite_existing);
  // Synced, as a file in use is: a copy still being written out would slow
  // the first sync of the step measured.
  auto fresh = [&] {
    std::filesystem::copy_file(built, context.PasswordFileName,
                               std::filesystem::copy_options::overwrite_existing);
    context.Files().Open(context.PasswordFileName, kSiteSlotSize)->Sync();
  };

  long peak = 0, before = 0;
  const Runs deletion = Repeat(7, [&] {
    before = StatusKiB("VmRSS:");
    ResetPeak();
    list.FileOpen();
    list.Delete(1);
    list.FileClose();
    peak = std::max(peak, StatusKiB("VmHWM:") - before);
  }, fresh);
  Print("Delete(1)", deletion, "(moves " + std::to_string(records - 1) + " records)");
  std::printf("  %-30s %8.1f MiB above the %0.1f MiB resident before\n", "  peak memory of Delete(1)",
              peak / 1024.0, before / 1024.0);

  const int16_t middle = static_cast<int16_t>(records / 2 + 1);
  Print("delete a site in the middle", Repeat(7, [&] {
          list.FileOpen();
          list.Delete(middle);
          list.FileClose();
        }, fresh));

  int32_t removed = 0;
  // User 1 owns slot 1 and every 12th after it: everything moves.
  const Runs userDeletion = Repeat(5, [&] { removed = list.DeleteSitesOf(1); }, fresh);
  Print("delete a user's sites", userDeletion,
        "(" + std::to_string(removed) + " of " + std::to_string(records) + " in one pass)");

  WebRecord record = full ? FullRecord(context, 1) : TypicalRecord(context, 1);
  int16_t index = -1;
  // Into the slot that deleting the last record freed.
  const Runs saving = Repeat(7, [&] {
    index = -1;
    record.Save(1, index);
  }, [&] {
    fresh();
    list.FileOpen();
    list.Delete(records);
    list.FileClose();
  });
  Print("Save appending", saving, "(into slot " + std::to_string(index) + ")");

  // Eleven users' sites deleted: one user's are left at the front of a file
  // that keeps its length, the slots after them empty.
  fresh();
  for (int16_t u = 1; u < kUsers; ++u) list.DeleteSitesOf(u);
  const Runs leftCount = Repeat(9, [&] {
    list.FileOpen();
    records = list.RecordCount();
    list.FileClose();
  });
  Print("RecordCount, 11 users deleted", leftCount, "(" + std::to_string(records) + ")");
  const int16_t left = records;
  const Runs leftSaving = Repeat(7, [&] {
    index = -1;
    record.Save(1, index);
  }, [&] {
    list.FileOpen();
    if (list.RecordCount() > left) list.Delete(static_cast<int16_t>(left + 1));
    list.FileClose();
  });
  Print("Save appending, 11 deleted", leftSaving, "(into slot " + std::to_string(index) + ")");

  // Every user's sites deleted: the file keeps its length, all slots empty.
  fresh();
  for (int16_t u = 1; u <= kUsers; ++u) list.DeleteSitesOf(u);
  const Runs emptyCount = Repeat(9, [&] {
    list.FileOpen();
    records = list.RecordCount();
    list.FileClose();
  });
  Print("RecordCount, all slots empty", emptyCount, "(" + std::to_string(records) + ")");
  std::filesystem::remove(built);

  const long long size = context.Files().FileLength(context.PasswordFileName);
  std::printf("  %-28s %9.1f MiB (%lld bytes)\n", "file size",
              static_cast<double>(size) / (1 << 20), size);
  std::filesystem::remove(context.PasswordFileName);
}

}  // namespace
}  // namespace ostrel

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "/tmp";
  const ostrel::SecretKey key = ostrel::SecretKey::Random();
  const std::string wrap = ostrel::KeyWrap::Wrap(key, "a login password", ostrel::KeyWrap::kDefaultLimits);
  ostrel::SecretKey opened;
  std::printf("Argon2id, %d passes over %d MiB, one core:\n", ostrel::KeyWrap::kDefaultLimits.passes,
              ostrel::KeyWrap::kDefaultLimits.mebibytes);
  ostrel::Print("one derivation (a login)",
                ostrel::Repeat(7, [&] { ostrel::KeyWrap::Unwrap(wrap, "a login password", opened); }));
  for (bool full : {false, true}) {
    for (int count : {1000, static_cast<int>(ostrel::kMaxSiteRecords)}) {
      ostrel::Run(folder, count, full, false);
      if (!full) ostrel::Run(folder, count, full, true);
    }
  }
  return 0;
}
