#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ostrel::test {

// Password files made with the real store, for window tests and benchmarks.
struct SeedUser {
  std::string name;
  std::string password;
};

// A site record of the user at table index owner (1-based): a user-name
// input and a password input, optionally a second password input.
struct SeedSite {
  SeedSite(int16_t ownerIndex, std::string siteName, std::string sitePassword = "secret",
           std::string second = "")
      : owner(ownerIndex),
        name(std::move(siteName)),
        password(std::move(sitePassword)),
        secondPassword(std::move(second)) {}
  int16_t owner;
  std::string name;
  std::string password;
  std::string secondPassword;  // empty: no second password input
  std::string userName = "me";  // the user-name input's value; empty: no such input
  bool hasPassword = true;      // false: no password input at all
};

// Creates the password file at path (which must not exist or be empty)
// with the encryption key, the users in table order and the sites in slot
// order.
void SeedPasswordFile(const std::string& path, const std::string& key,
                      const std::vector<SeedUser>& users, const std::vector<SeedSite>& sites);

// What a site slot holds, read back with the file's key.
struct StoredSite {
  int16_t ownerID = 0;
  std::string name;
  std::vector<std::string> passwords;  // values of the password inputs, in order
};

// Every occupied site slot of the file, in slot order.
std::vector<StoredSite> ReadSites(const std::string& path, const std::string& key);

// The user names of the file's table, in table order.
std::vector<std::string> ReadUserNames(const std::string& path, const std::string& key);

}  // namespace ostrel::test
