#pragma once

#include <filesystem>
#include <memory>

namespace ostrel {

// One ostrel per profile: an exclusive lock on "ostrel.lock" in the profile
// folder, held for the life of the object. It is a lock of the open file
// (not of the process), so it also keeps a second lock in this process out,
// and it goes with the process however that ends.
class ProfileLock {
 public:
  // The lock, or nullptr when another program holds it. Throws OstrelError
  // when the lock file cannot be made.
  static std::unique_ptr<ProfileLock> Take(const std::filesystem::path& profile);
  ~ProfileLock();
  ProfileLock(const ProfileLock&) = delete;
  ProfileLock& operator=(const ProfileLock&) = delete;

 private:
  explicit ProfileLock(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace ostrel
