#include "tests/store/CrashTrials.h"

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <filesystem>
#include <random>

#include "store/Blocks.h"
#include "store/BuiltInKey.h"
#include "store/FileInfo.h"
#include "store/FileProtection.h"
#include "store/Journal.h"
#include "store/PasswordFile.h"
#include "store/SiteSlots.h"
#include "store/SlotLimits.h"
#include "store/WebRecord.h"
#include "store/WebUsers.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "tests/common/ForwardingFiles.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel::test {

namespace {

constexpr char kPath[] = "/trial/ostrel.xps";

// A context on `files` with the trial keys for as long as it lives.
class TrialContext {
 public:
  TrialContext(TrialKeys& keys, IRecordFiles& files, const std::string& path)
      : mKeys(keys), mContext(std::make_unique<ForwardingRecordFiles>(files)) {
    mContext.PasswordFileName = path;
    mKeys.Lend(mContext);
  }
  TrialContext(TrialKeys& keys, const std::string& path) : mKeys(keys) {
    mContext.PasswordFileName = path;
    mKeys.Lend(mContext);
  }
  ~TrialContext() { mKeys.Return(mContext); }
  StoreContext& operator*() { return mContext; }

 private:
  TrialKeys& mKeys;
  StoreContext mContext;
};

bool AllNul(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; });
}

std::string Name(int slot) { return "site" + std::to_string(slot); }
int16_t OwnerOf(int slot) { return static_cast<int16_t>((slot - 1) % 3 + 1); }

// Sorts a state into before, after or a failure line.
void Count(TrialCounts& counts, const FileState& state, const FileState& before,
           const FileState& after, const std::string& what) {
  ++counts.trials;
  if (state == after) {
    ++counts.after;
  } else if (state == before) {
    ++counts.before;
  } else {
    counts.failures.push_back(what + ": " +
                              (state.fault.empty() ? "the file holds a mix" : state.fault) +
                              " (" + std::to_string(state.sites.size()) + " sites, " +
                              std::to_string(before.sites.size()) + " before, " +
                              std::to_string(after.sites.size()) + " after)");
  }
}

// A protected file as its recovery key (the trials' data key) opens it; its
// random identity and wraps count only by what they open.
void ReadProtected(StoreContext& context, FileState& state) {
  StoreContext own(std::make_unique<ForwardingRecordFiles>(context.Files()));
  own.PasswordFileName = context.PasswordFileName;
  own.HeaderCipher = std::move(context.HeaderCipher);
  try {
    FileInfo header(own);
    FileProtection::Prepare(own, header);
    if (!FileProtection::Unlock(own, header, kDataKey)) throw OstrelError(err::kCorruptedFile, "recovery wrap");
    state.header = "protected, last user " + std::to_string(header.LastUserID());
    WebUsers users(own);
    users.Load();
    state.users.clear();
    for (int16_t i = 1; i <= users.Count(); ++i) {
      const std::string& name = users.UserName(i);
      state.users.push_back(name + (users.CheckPassword(i, name + "-pw") ? " opens" : " is shut"));
    }
    PasswordFile file(own, PasswordFile::Access::kRead);
    SiteSlots sites(own, file);
    const int16_t count = sites.Count();
    for (int16_t k = 1; k <= count; ++k) state.sites.push_back(sites.Text(k));
  } catch (...) {
    context.HeaderCipher = std::move(own.HeaderCipher);
    throw;
  }
  context.HeaderCipher = std::move(own.HeaderCipher);
}

}  // namespace

bool FileState::operator==(const FileState& other) const {
  return exists == other.exists && length == other.length && header == other.header &&
         users == other.users && sites == other.sites && fault == other.fault;
}

FileState ReadState(StoreContext& context) {
  FileState state;
  try {
    PasswordFile file(context, PasswordFile::Access::kRead);
    state.length = file.Length();
    state.exists = state.length != 0;  // an empty file counts as none
    if (state.exists) {
      std::string slots(16 * kUserSlotSize, '\0');
      file.Read(0, static_cast<int64_t>(slots.size()), slots.data());
      const std::string_view all(slots);
      DecryptSlot(context, all.substr(14 * kUserSlotSize, kUserSlotSize), true);
      state.header = DecryptSlot(context, all.substr(15 * kUserSlotSize, kUserSlotSize), true);
      const bool isProtected = state.header.size() > 2 && state.header[2] >= FileInfo::kProtectedVersion;
      if (isProtected) ReadProtected(context, state);
      for (int i = 0; i < kMaxUsers && !isProtected; ++i) {
        const std::string_view image = all.substr(static_cast<size_t>(i) * kUserSlotSize, kUserSlotSize);
        state.users.push_back(AllNul(image) ? "" : DecryptSlot(context, image, false));
      }
      SiteSlots sites(context, file);
      const int16_t count = isProtected ? 0 : sites.Count();
      for (int16_t k = 1; k <= count; ++k) state.sites.push_back(sites.Text(k));
    }
  } catch (const OstrelError& e) {
    state.fault = "error " + std::to_string(e.Number()) + " " + e.Description();
  }
  if (context.Files().Exists(JournalPath(context.PasswordFileName))) {
    state.fault += " (a journal is left)";
  }
  return state;
}

std::vector<CrashOperation> CrashOperations(int sites) {
  const int middle = sites / 2;
  return {
      {"save appending", false,
       [](StoreContext& c) {
         int16_t index = -1;
         MakeSite(c, "appended").Save(1, index);
       }},
      {"save in place", false,
       [](StoreContext& c) {
         int16_t index = 5;
         MakeSite(c, "rewritten", 3).Save(2, index);
       }},
      {"delete the first site", false,
       [](StoreContext& c) {
         WebRecord list(c);
         list.FileOpen();
         list.Delete(1);
       }},
      {"delete a middle site", false,
       [middle](StoreContext& c) {
         WebRecord(c).DeleteSite({static_cast<int16_t>(middle), OwnerOf(middle), Name(middle)});
       }},
      {"delete a user's sites", false, [](StoreContext& c) { WebRecord(c).DeleteSitesOf(2); }},
      {"delete a user with their sites", false,
       [](StoreContext& c) { WebUsers(c).DeleteUserWithSites(1, "ann"); }},
      {"create a user", false,
       [](StoreContext& c) {
         int16_t last = 3;
         WebUsers(c).CreateUser(last, "dan", "dan-pw");
       }},
      {"change a password", false, [](StoreContext& c) { WebUsers(c).ChangePassword(2, "new bob pw"); }},
      {"header", false, [](StoreContext& c) { FileInfo(c).SetLastUserID(7); }},
      {"protect the file", false,
       [](StoreContext& c) {
         StoreContext own(std::make_unique<ForwardingRecordFiles>(c.Files()));
         own.PasswordFileName = c.PasswordFileName;
         own.HeaderCipher.SetKey(c.HeaderCipher.Key());
         own.PasswordLimits = {1, 8};
         FileProtection::Convert(own, "");
       }},
      {"first header of a new file", true,
       [](StoreContext& c) { FileInfo(c).SetEncryptionKey(kDataKey); }},
      {"first header of an empty file", true,
       [](StoreContext& c) { FileInfo(c).SetEncryptionKey(kDataKey); }, true},
  };
}

TrialKeys::TrialKeys() {
  mHeader.SetSecret(BuildBuiltInKey());
  mData.SetSecret(kDataKey);
}

void TrialKeys::Lend(StoreContext& context) {
  context.DataCipher = std::move(mData);
  context.HeaderCipher = std::move(mHeader);
}

void TrialKeys::Return(StoreContext& context) {
  mData = std::move(context.DataCipher);
  mHeader = std::move(context.HeaderCipher);
}

void BuildFile(StoreContext& context, int sites) {
  FileInfo header(context);
  header.SetEncryptionKey(kDataKey);
  WebUsers users(context);
  int16_t last = 0;
  for (const char* name : {"ann", "bob", "cid"}) {
    users.CreateUser(last, name, std::string(name) + "-pw");
  }
  header.SetLastUserID(last);
  std::string run;
  int first = 1;
  auto file = context.Files().Open(context.PasswordFileName, kSiteSlotSize);
  for (int k = 1; k <= sites; ++k) {
    WebRecord record = MakeSite(context, Name(k), k % 2 == 0 ? 5 : 2);
    if (k % 2 == 0) {
      for (int16_t i = 1; i <= record.ControlsCount(); ++i) record.Control(i).Value.assign(240, 'v');
    }
    std::string slot = record.Pack(OwnerOf(k));
    EncryptBlock(context, slot, kSiteSlotSize, false);
    run += slot;
    if (k % 512 == 0 || k == sites) {
      file->Write(first + 2, run);
      first = k + 1;
      run.clear();
    }
  }
  file->Sync();
  FileInfo upgraded(context);  // as the window's next load does: version 2
}

void TrialCounts::Add(const TrialCounts& other) {
  trials += other.trials;
  before += other.before;
  after += other.after;
  refused += other.refused;
  killedDuring += other.killedDuring;
  failures.insert(failures.end(), other.failures.begin(), other.failures.end());
}

namespace {

// A disk holding the file an operation starts from.
std::unique_ptr<MemoryDisk> StartingDisk(TrialKeys& keys, const CrashOperation& operation, int sites) {
  MemoryDisk base(7);
  if (!operation.onEmptyFile) BuildFile(*TrialContext(keys, base, kPath), sites);
  if (operation.zeroLength) base.SetBytes(kPath, "");
  return base.Copy();
}

// A read-only reader sees the file as it was or as it is after, or is
// refused while a change is unfinished (it cannot undo it); a journal it
// cannot remove is left for the next writer.
void CountReadOnly(TrialCounts& counts, MemoryDisk& survived, TrialKeys& keys, const FileState& before,
                   const FileState& after, const std::string& what) {
  auto disk = survived.Copy();
  disk->SetReadOnly(true);
  FileState state = ReadState(*TrialContext(keys, *disk, kPath));
  auto raised = [&](int32_t number) { return state.fault.rfind("error " + std::to_string(number) + " ", 0) == 0; };
  if (raised(err::kPermissionDenied)) {
    ++counts.refused;
    return;
  }
  if (state.fault == " (a journal is left)") state.fault.clear();
  if (raised(err::kFileMissing)) state = FileState();  // no file, and none made
  if (!(state == before) && !(state == after)) {
    counts.failures.push_back(what + ", read-only: " + (state.fault.empty() ? "the file holds a mix" : state.fault));
  }
}

}  // namespace

std::string RunReadOnly(TrialKeys& keys, const CrashOperation& operation, int sites) {
  auto disk = StartingDisk(keys, operation, sites);
  disk->SetReadOnly(true);
  const int64_t changes = disk->Changes();
  try {
    operation.run(*TrialContext(keys, *disk, kPath));
  } catch (const OstrelError& e) {
    if (e.Number() != err::kPermissionDenied || e.Explanation().find("read-only") == std::string::npos) {
      return std::string("raised ") + e.what();
    }
    return disk->Changes() == changes ? "" : "the disk was changed";
  }
  return "the operation was made";
}

TrialCounts RunMemoryTrials(TrialKeys& keys, const CrashOperation& operation, int sites,
                            int seeds, bool powerCut) {
  auto baseline = StartingDisk(keys, operation, sites);
  auto kept = baseline->Copy();
  const FileState before = ReadState(*TrialContext(keys, *kept, kPath));

  auto full = baseline->Copy();
  operation.run(*TrialContext(keys, *full, kPath));
  const int64_t changes = full->Changes();
  const FileState after = ReadState(*TrialContext(keys, *full, kPath));

  TrialCounts counts;
  for (int64_t cut = 0; cut < changes; ++cut) {
    for (int seed = 0; seed < seeds; ++seed) {
      auto disk = baseline->Copy();
      disk->CutAt(cut);
      try {
        operation.run(*TrialContext(keys, *disk, kPath));
      } catch (const DiskCut&) {
      } catch (const OstrelError& e) {
        counts.failures.push_back(operation.name + ": raised " + e.what());
        continue;
      }
      auto survived = powerCut ? disk->AfterPowerCut() : disk->AfterKill();
      const std::string what = operation.name + (powerCut ? ", power cut at change " : ", killed at change ") +
                               std::to_string(cut);
      CountReadOnly(counts, *survived, keys, before, after, what);
      Count(counts, ReadState(*TrialContext(keys, *survived, kPath)), before, after, what);
    }
  }
  return counts;
}

TrialCounts RunKillTrials(TrialKeys& keys, const CrashOperation& operation,
                          const std::string& folder, int sites, int trials, uint32_t seed) {
  namespace fs = std::filesystem;
  const std::string base = folder + "/base.xps";
  const std::string path = folder + "/trial.xps";
  fs::remove(base);
  if (!operation.onEmptyFile) BuildFile(*TrialContext(keys, base), sites);
  if (operation.zeroLength) WriteFileBytes(base, "");
  auto fresh = [&] {
    fs::remove(JournalPath(path));
    fs::remove(path);
    if (fs::exists(base)) fs::copy_file(base, path);
  };
  fresh();
  const FileState before = ReadState(*TrialContext(keys, path));
  fresh();
  TrialCounts counts;
  const auto start = std::chrono::steady_clock::now();
  try {
    operation.run(*TrialContext(keys, path));
  } catch (const OstrelError& e) {
    counts.failures.push_back(operation.name + ": raised " + e.what());
    return counts;
  }
  const double micros =
      std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
  const FileState after = ReadState(*TrialContext(keys, path));

  std::mt19937 random(seed);
  std::uniform_real_distribution<double> delay(0, micros * 1.1);
  for (int t = 0; t < trials; ++t) {
    fresh();
    int ready[2];
    if (::pipe(ready) != 0) throw std::runtime_error("pipe");
    const pid_t child = ::fork();
    if (child == 0) {
      ::close(ready[0]);
      try {
        TrialContext context(keys, path);
        if (::write(ready[1], "r", 1) != 1) ::_exit(3);
        operation.run(*context);
      } catch (...) {
        ::_exit(3);
      }
      ::_exit(0);
    }
    ::close(ready[1]);
    char byte = 0;
    const bool started = ::read(ready[0], &byte, 1) == 1;
    ::close(ready[0]);
    const double wait = delay(random);
    timespec pause{static_cast<time_t>(wait / 1e6), static_cast<long>(std::fmod(wait, 1e6) * 1000)};
    ::nanosleep(&pause, nullptr);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!started || (WIFEXITED(status) && WEXITSTATUS(status) != 0)) {
      counts.failures.push_back(operation.name + ": the child failed on its own");
      continue;
    }
    if (WIFSIGNALED(status)) ++counts.killedDuring;
    Count(counts, ReadState(*TrialContext(keys, path)), before, after,
          operation.name + ", killed after " + std::to_string(static_cast<int>(wait)) + " us");
  }
  fs::remove(base);
  fresh();
  fs::remove(path);
  return counts;
}

}  // namespace ostrel::test
