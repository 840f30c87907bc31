#include "tests/window/StoreSeed.h"

#include "store/Blocks.h"
#include "store/BuiltInKey.h"
#include "store/SlotLimits.h"
#include "store/FileInfo.h"
#include "store/StoreContext.h"
#include "store/WebRecord.h"
#include "store/WebUsers.h"

namespace ostrel::test {

namespace {

void Open(StoreContext& context, const std::string& path, const std::string& key) {
  context.HeaderCipher.SetSecret(BuildBuiltInKey());
  context.DataCipher.SetSecret(key);
  context.PasswordFileName = path;
}

}  // namespace

void SeedPasswordFile(const std::string& path, const std::string& key,
                      const std::vector<SeedUser>& users, const std::vector<SeedSite>& sites) {
  StoreContext context;
  Open(context, path, key);
  FileInfo header(context);
  header.SetEncryptionKey(key);
  WebUsers table(context);
  table.Load();
  std::vector<int16_t> ids;
  for (const SeedUser& user : users) {
    int16_t last = header.LastUserID();
    table.CreateUser(last, user.name, user.password);
    header.SetLastUserID(last);
    ids.push_back(last);
  }
  // The sites go in as packed, encrypted slots, a run at a time, with one
  // sync at the end: tens of thousands of sites are seeded in a second.
  auto file = context.Files().Open(path, kSiteSlotSize);
  std::string run;
  int32_t first = 1;
  for (size_t k = 0; k < sites.size(); ++k) {
    const SeedSite& site = sites[k];
    WebRecord record(context);
    record.SetSiteName(site.name);
    record.SetURL("http://127.0.0.1/" + site.name);
    FormInfo form;
    form.Name = "login";
    record.SetForm(form);
    if (!site.userName.empty()) record.AddControl({0, 1, "user", "", site.userName});
    if (site.hasPassword) record.AddControl({1, 3, "pass", "", site.password});
    if (!site.secondPassword.empty()) record.AddControl({2, 3, "pin", "", site.secondPassword});
    std::string slot = record.Pack(ids.at(site.owner - 1));
    EncryptBlock(context, slot, kSiteSlotSize, false);
    run += slot;
    if (run.size() >= (size_t{1} << 20) || k + 1 == sites.size()) {
      file->Write(first + 2, run);
      first = static_cast<int32_t>(k) + 2;
      run.clear();
    }
  }
  file->Sync();
}

std::vector<StoredSite> ReadSites(const std::string& path, const std::string& key) {
  StoreContext context;
  Open(context, path, key);
  std::vector<StoredSite> result;
  WebRecord counter(context);
  counter.FileOpen();
  const int16_t count = counter.RecordCount();
  counter.FileClose();
  for (int16_t slot = 1; slot <= count; ++slot) {
    WebRecord record(context);
    record.Retrieve(slot);
    StoredSite site;
    site.name = record.SiteName();
    for (int16_t i = 1; i <= record.ControlsCount(); ++i) {
      if (record.Control(i).CtlType == 3) site.passwords.push_back(record.Control(i).Value);
    }
    WebRecord owner(context);
    owner.FileOpen();
    for (int16_t id = 0; id < 200; ++id) {
      std::string name;
      if (owner.Read(slot, id, name)) {
        site.ownerID = id;
        break;
      }
    }
    owner.FileClose();
    result.push_back(site);
  }
  return result;
}

std::vector<std::string> ReadUserNames(const std::string& path, const std::string& key) {
  StoreContext context;
  Open(context, path, key);
  WebUsers table(context);
  table.Load();
  std::vector<std::string> names;
  for (int16_t i = 1; i <= table.Count(); ++i) names.push_back(table.UserName(i));
  return names;
}

}  // namespace ostrel::test
