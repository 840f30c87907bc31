#include "store/Blocks.h"

#include "platform/cipher/EncryptedData.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {
EncryptionSvr& Cipher(StoreContext& context, bool useHeaderCipher) {
  return useHeaderCipher ? context.HeaderCipher : context.DataCipher;
}

OstrelError DoesNotFit(size_t bytes, int16_t size) {
  return OstrelError(err::kBadRecordLength,
                     "a record of " + std::to_string(bytes) + " bytes does not fit a " +
                         std::to_string(size) + "-byte slot once encrypted (at most " +
                         std::to_string(EncryptedData::MaxContentBytes(size)) + " bytes)",
                     "The information is too long to be stored (at most " +
                         std::to_string(EncryptedData::MaxContentBytes(size)) + " bytes). Nothing was written.");
}
}  // namespace

std::string SlotBinding(const StoreContext& context, int64_t offset) {
  if (offset == kUnbound || !context.Protected()) return {};
  std::string binding = context.FileIdentity;
  for (int i = 0; i < 8; ++i) binding.push_back(static_cast<char>((static_cast<uint64_t>(offset) >> (8 * i)) & 0xFF));
  return binding;
}

void EncryptBlock(StoreContext& context, std::string& buf, int16_t size,
                  bool useHeaderCipher, int64_t offset) {
  std::string plain = buf.empty() ? std::string(kEmptyBlockMarkerLength, '\0') : buf;
  if (EncryptedData::TextLength(static_cast<int32_t>(plain.size())) > size) {
    throw DoesNotFit(buf.size(), size);
  }
  EncryptionSvr& cipher = Cipher(context, useHeaderCipher);
  cipher.SetContent(std::move(plain));
  std::string slot = cipher.Encrypt(SlotBinding(context, offset));
  if (slot.size() > static_cast<size_t>(size)) throw DoesNotFit(buf.size(), size);
  slot.resize(static_cast<size_t>(size), '\0');
  buf = std::move(slot);
}

std::string DecryptSlot(StoreContext& context, std::string_view image,
                        bool useHeaderCipher, int64_t offset) {
  EncryptionSvr& cipher = Cipher(context, useHeaderCipher);
  try {
    cipher.Decrypt(image, SlotBinding(context, offset));
  } catch (const OstrelError&) {
    throw OstrelError(err::kCorruptedFile);
  }
  const std::string& plain = cipher.Content();
  if (plain.size() == kEmptyBlockMarkerLength &&
      plain.find_first_not_of('\0') == std::string::npos) {
    return {};
  }
  return plain;
}

void ResealSlot(StoreContext& context, std::string_view image, bool useHeaderCipher, int64_t from,
                int64_t to, int16_t size, std::string& out) {
  EncryptionSvr& cipher = Cipher(context, useHeaderCipher);
  try {
    cipher.Decrypt(image, SlotBinding(context, from));
  } catch (const OstrelError&) {
    throw OstrelError(err::kCorruptedFile);
  }
  const std::string text = cipher.Encrypt(SlotBinding(context, to));
  out.append(text);
  out.append(static_cast<size_t>(size) - text.size(), '\0');
}

void DecryptBlock(StoreContext& context, std::string& buf, bool useHeaderCipher, int64_t offset) {
  buf = DecryptSlot(context, buf, useHeaderCipher, offset);
}

}  // namespace ostrel
