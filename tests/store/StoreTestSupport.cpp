#include "tests/store/StoreTestSupport.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "store/BuiltInKey.h"
#include "store/Blocks.h"
#include "store/FileInfo.h"
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
