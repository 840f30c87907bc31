#include "store/EncryptionSvr.h"

#include "platform/cipher/EncryptedData.h"

namespace ostrel {

EncryptionSvr::EncryptionSvr() : mData(std::make_unique<EncryptedData>()) {}
EncryptionSvr::~EncryptionSvr() = default;
EncryptionSvr::EncryptionSvr(EncryptionSvr&&) noexcept = default;
EncryptionSvr& EncryptionSvr::operator=(EncryptionSvr&&) noexcept = default;

void EncryptionSvr::SetContent(std::string strValue) { mData->SetContent(std::move(strValue)); }

const std::string& EncryptionSvr::Content() const { return mData->Content(); }

void EncryptionSvr::Decrypt(std::string_view strString) { mData->Decrypt(strString); }

void EncryptionSvr::SetSecret(const std::string& strNewVal) { mData->SetSecret(strNewVal); }

std::string EncryptionSvr::Encrypt() { return mData->Encrypt(); }

}  // namespace ostrel
