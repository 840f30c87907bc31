#include "tests/store/StoreTestSupport.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "store/BuiltInKey.h"
#include "store/Blocks.h"
#include "store/FileChange.h"
#include "store/FileInfo.h"
#include "store/SiteSlots.h"
#include "store/SlotLimits.h"

namespace ostrel::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "ostrel-store-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  mPath = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(mPath, ignored);
}

bool FileExists(const std::string& path) { return fs::exists(path); }

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

ReadOnly::ReadOnly(std::string path) : mPath(std::move(path)) {
  struct stat st {};
  if (::stat(mPath.c_str(), &st) != 0) return;
  mMode = st.st_mode & 07777;
  mSet = ::geteuid() == 0 ? Flag(true) : ::chmod(mPath.c_str(), S_ISDIR(st.st_mode) ? 0500 : 0400) == 0;
}

ReadOnly::~ReadOnly() {
  if (mSet && ::geteuid() == 0) Flag(false);
  if (mSet && ::geteuid() != 0) ::chmod(mPath.c_str(), mMode);
}

bool ReadOnly::Flag(bool on) {
  const int fd = ::open(mPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  int flags = 0;
  bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
  done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  if (fd >= 0) ::close(fd);
  return done;
}

void LeaveUnfinishedChange(StoreContext& context) {
  const pid_t child = ::fork();
  if (child == 0) {
    try {
      PasswordFile file(context, PasswordFile::Access::kWrite);
      const int64_t end = file.Length();
      FileChange change(file);
      change.Keep(SiteSlots::OffsetOf(2), kSiteSlotSize, kSiteSlotSize);
      change.Commit();
      change.Write(SiteSlots::OffsetOf(2), std::string(kSiteSlotSize, 'x'));
      change.Write(end, std::string(kSiteSlotSize, 'y'));
      ::_exit(0);
    } catch (...) {
      ::_exit(1);
    }
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the change could not be made";
}

void KeyContext(StoreContext& context) {
  context.HeaderCipher.SetSecret(BuildBuiltInKey());
  context.DataCipher.SetSecret(kDataKey);
}

WebRecord MakeSite(StoreContext& context, const std::string& name, int controls) {
  WebRecord record(context);
  record.SetSiteName(name);
  record.SetURL("https://" + name + ".example/login");
  FormInfo form;
  form.Name = "login";
  record.SetForm(form);
  for (int i = 0; i < controls; ++i) {
    ControlInfo control;
    control.Index = static_cast<int16_t>(i);
    control.CtlType = i == 0 ? 1 : 3;
    control.Name = i == 0 ? "user" : "pass" + std::to_string(i);
    control.Value = name + "-value-" + std::to_string(i);
    record.AddControl(control);
  }
  return record;
}

StoreTest::StoreTest() {
  KeyContext(context);
  context.PasswordFileName = dir.Path() + "/ostrel.xps";
}

void StoreTest::CreatePasswordFile() {
  FileInfo header(context);
  header.SetEncryptionKey(kDataKey);
}

int16_t StoreTest::AddSite(int16_t owner, const std::string& name) {
  int16_t index = -1;
  MakeSite(context, name).Save(owner, index);
  return index;
}

void StoreTest::AddSites(const std::vector<std::pair<int16_t, std::string>>& sites) {
  WebRecord list(context);
  list.FileOpen();
  const int16_t count = list.RecordCount();
  list.FileClose();
  std::string slots;
  for (const auto& [owner, name] : sites) {
    std::string slot = MakeSite(context, name).Pack(owner);
    EncryptBlock(context, slot, kSiteSlotSize, false);
    slots += slot;
  }
  context.Files().Open(context.PasswordFileName, kSiteSlotSize)->Write(count + 3, slots);
}

std::vector<std::string> StoreTest::ListSites(int16_t owner) {
  std::vector<std::string> names;
  WebRecord list(context);
  list.FileOpen();
  const int16_t count = list.RecordCount();
  for (int16_t k = 1; k <= count; ++k) {
    std::string name;
    if (list.Read(k, owner, name)) names.push_back(name);
  }
  list.FileClose();
  return names;
}

}  // namespace ostrel::test
