#include "store/EncryptionSvr.h"

#include "platform/cipher/EncryptedData.h"

namespace ostrel {

EncryptionSvr::EncryptionSvr() : mData(std::make_unique<EncryptedData>()) {}
EncryptionSvr::~EncryptionSvr() = default;
EncryptionSvr::EncryptionSvr(EncryptionSvr&&) noexcept = default;
EncryptionSvr& EncryptionSvr::operator=(EncryptionSvr&&) noexcept = default;

void EncryptionSvr::SetContent(std::string strValue) { mData->SetContent(std::move(strValue)); }

const std::string& EncryptionSvr::Content() const { return mData->Content(); }

void EncryptionSvr::Decrypt(std::string_view strString, std::string_view associated) {
  mData->Decrypt(strString, associated);
}

void EncryptionSvr::SetSecret(const std::string& strNewVal) { mData->SetSecret(strNewVal); }

void EncryptionSvr::SetKey(const SecretKey& key) { mData->SetKey(key); }

void EncryptionSvr::ForgetKey() { mData->ForgetKey(); }

bool EncryptionSvr::HasKey() const { return mData->HasKey(); }

const SecretKey& EncryptionSvr::Key() const { return mData->Key(); }

std::string EncryptionSvr::Encrypt(std::string_view associated) { return mData->Encrypt(associated); }

}  // namespace ostrel
