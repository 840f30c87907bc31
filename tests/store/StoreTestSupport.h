#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "store/StoreContext.h"
#include "store/WebRecord.h"
#include "support/OstrelError.h"
#include "tests/common/ErrorNumberOf.h"
#include "tests/common/FileBytes.h"

namespace ostrel::test {

inline const std::string kDataKey = "data key 8+";

// A temporary folder removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return mPath; }

 private:
  std::string mPath;
};

bool FileExists(const std::string& path);

// The names in `folder`, sorted.
std::vector<std::string> FolderNames(const std::string& folder);

// Makes `path` (a file or a folder) read-only for as long as it lives: the
// immutable flag for root (whom file modes do not stop), mode 0400 (a file)
// or 0500 (a folder) otherwise. Works() is false where neither can be set.
class ReadOnly {
 public:
  explicit ReadOnly(std::string path);
  ~ReadOnly();
  ReadOnly(const ReadOnly&) = delete;
  ReadOnly& operator=(const ReadOnly&) = delete;
  bool Works() const { return mSet; }

 private:
  bool Flag(bool on);
  std::string mPath;
  unsigned mMode = 0;
  bool mSet = false;
};

// Cuts a change off as a crash would: a child process makes it - site
// slot 2 overwritten with 'x' bytes and one slot appended with 'y' bytes -
// and ends, without undoing anything, once its journal is on disk and the
// new bytes are written, before the change is finished.
void LeaveUnfinishedChange(StoreContext& context);

// Keys `context` the way the main window does: the built-in key for the
// header and kDataKey for the data.
void KeyContext(StoreContext& context);

// A site record with a top-level form and `controls` inputs (text, then
// passwords), values derived from `name`.
WebRecord MakeSite(StoreContext& context, const std::string& name, int controls = 2);

// Fixture: a keyed context whose password file ostrel.xps lies in a fresh
// temporary folder and does not exist yet.
class StoreTest : public ::testing::Test {
 protected:
  StoreTest();

  // Sets up a new password file (header with kDataKey) as the window does.
  void CreatePasswordFile();
  // Appends a site record for `owner`; returns its slot.
  int16_t AddSite(int16_t owner, const std::string& name);
  // Appends (owner, name) sites in one write of their slots, as a quick
  // setup for tests of reading many.
  void AddSites(const std::vector<std::pair<int16_t, std::string>>& sites);
  // The site names of `owner` in slot order, as the site list reads them.
  std::vector<std::string> ListSites(int16_t owner);

  std::string FileBytes() const { return ReadFileBytes(context.PasswordFileName); }

  TempDir dir;
  StoreContext context;
};

}  // namespace ostrel::test
