#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace ostrel {

class EncryptedData;
class SecretKey;

// The system's only access to encryption: a thin wrapper over the
// platform's EncryptedData, which it creates at construction and owns.
// Use: SetSecret once, then per block either SetContent + Encrypt, or
// Decrypt + Content. Every member passes the platform's failure on
// unchanged (see EncryptedData); the instance stays usable.
class EncryptionSvr {
 public:
  EncryptionSvr();
  ~EncryptionSvr();
  EncryptionSvr(EncryptionSvr&&) noexcept;
  EncryptionSvr& operator=(EncryptionSvr&&) noexcept;

  void SetContent(std::string strValue);
  const std::string& Content() const;

  // Decrypts `strString` (cipher text, NUL padding allowed) into Content;
  // `associated` must be the associated data it was encrypted with.
  void Decrypt(std::string_view strString, std::string_view associated = {});

  // Derives the key from `strNewVal`; slow on purpose (Argon2id, about
  // 100 ms at most), so call it once per key, not per block.
  void SetSecret(const std::string& strNewVal);

  // Uses `key` as it is (a protected file's data key), no derivation.
  void SetKey(const SecretKey& key);
  // Wipes the key: nothing derived from a password stays behind.
  void ForgetKey();
  bool HasKey() const;
  // The key in use; err::kCipherNoSecret when none is.
  const SecretKey& Key() const;

  // Content encrypted under the current secret, as NUL-free Base64 text,
  // with `associated` authenticated along.
  std::string Encrypt(std::string_view associated = {});

 private:
  std::unique_ptr<EncryptedData> mData;
};

}  // namespace ostrel
