#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace ostrel {

class EncryptedData;

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

  // Decrypts `strString` (cipher text, NUL padding allowed) into Content.
  void Decrypt(std::string_view strString);

  // Derives the key from `strNewVal`; slow on purpose (Argon2id, about
  // 100 ms at most), so call it once per key, not per block.
  void SetSecret(const std::string& strNewVal);

  // Content encrypted under the current secret, as NUL-free Base64 text.
  std::string Encrypt();

 private:
  std::unique_ptr<EncryptedData> mData;
};

}  // namespace ostrel
