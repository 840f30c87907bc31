#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/StoreContext.h"

// Turning a packed record into a fixed-size slot image and back. A written
// slot holds the cipher's text (NUL-free Base64) left-aligned and NUL-padded
// to the slot size. The empty record is encrypted as the empty-block marker
// (16 NUL bytes) and reads back as the empty string. useHeaderCipher picks
// context.HeaderCipher, otherwise context.DataCipher.
//
// `offset` is the slot's byte offset in the file. In a protected file
// (context.Protected()) the slot is sealed with the associated data
//   file identity (16 bytes) | offset (8 bytes, low byte first)
// so a slot copied over another, two slots swapped or a slot of another file
// does not open. kUnbound (the header's slots 15 and 16, which hold the
// identity) and every slot of an unprotected file have none.
namespace ostrel {

inline constexpr int kEmptyBlockMarkerLength = 16;
inline constexpr int64_t kUnbound = -1;

// The associated data of the slot at `offset` (see above).
std::string SlotBinding(const StoreContext& context, int64_t offset);

// Replaces buf by its encrypted slot image of exactly `size` bytes. A record
// whose text would not fit raises err::kBadRecordLength (59) with a
// description and leaves buf unchanged; the text is never cut. Encryption
// failures pass through unchanged.
void EncryptBlock(StoreContext& context, std::string& buf, int16_t size,
                  bool useHeaderCipher, int64_t offset = kUnbound);

// Replaces buf (a slot image, NUL padding included) by its plaintext; the
// empty-block marker gives the empty string. Any failure (wrong key, changed
// byte, unreadable text) raises err::kCorruptedFile with no description and
// leaves buf as it was.
void DecryptBlock(StoreContext& context, std::string& buf, bool useHeaderCipher,
                  int64_t offset = kUnbound);

// Appends to `out` the slot image at offset `from` sealed anew for offset
// `to` (a protected file's slot that moves): the same plaintext under a
// fresh nonce, `size` bytes. Raises err::kCorruptedFile as DecryptBlock.
void ResealSlot(StoreContext& context, std::string_view image, bool useHeaderCipher, int64_t from,
                int64_t to, int16_t size, std::string& out);

// The same, giving the plaintext of `image` without changing it.
std::string DecryptSlot(StoreContext& context, std::string_view image, bool useHeaderCipher,
                        int64_t offset = kUnbound);

}  // namespace ostrel
