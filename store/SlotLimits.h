#pragma once

#include <cstdint>

#include "platform/cipher/EncryptedData.h"

// The password file is one file of fixed-size slots, read in two views over
// the same bytes:
//   bytes 0..3071     256-byte slots 1..12    user table (WebUsers)    DataCipher
//                                                      (a protected file: HeaderCipher)
//   bytes 3072..3583  256-byte slots 13..14   never written, read as NUL
//   bytes 3584..3839  256-byte slot 15        reserved (FileInfo)      HeaderCipher
//   bytes 3840..4095  256-byte slot 16        header (FileInfo)        HeaderCipher
//   from byte 4096    2048-byte slot k + 2    site record k (WebRecord) DataCipher
// A written slot holds the encrypted text left-aligned and NUL-padded
// (Blocks.h); the plaintext is a packed record (Codec.h).
//
// Below: the slot sizes and the largest packed record that fits each once
// encrypted. Input limits in the window come from here.
namespace ostrel {

inline constexpr int16_t kUserSlotSize = 256;   // header and user slots
inline constexpr int16_t kSiteSlotSize = 2048;  // site record slots

// The largest packed record whose encrypted text fits a slot of slotSize.
constexpr int32_t MaxPackedBytes(int32_t slotSize) {
  return EncryptedData::MaxContentBytes(slotSize);
}

// A user record (256-byte slot): id (2) + name (1 + a) + password (1 + b).
inline constexpr int32_t kMaxUserRecordBytes = MaxPackedBytes(kUserSlotSize);
// So the bytes of user name and password together are at most this.
inline constexpr int32_t kMaxUserNamePasswordBytes = kMaxUserRecordBytes - 4;

// A protected file's user record: id (2) + name (1 + a) + wrap (1 + 91).
inline constexpr int32_t kMaxProtectedUserNameBytes = kMaxUserRecordBytes - 4 - 91;

// The header record (slot 16): last user id (2) + version (1) + key (1 + k).
inline constexpr int32_t kMaxEncryptionKeyBytes = kMaxUserRecordBytes - 4;
inline constexpr int32_t kMinEncryptionKeyLength = 8;

// A site record (2048-byte slot); WebRecord::PackedLength() tells a record's
// size. Fixed part: owner 2 + reserved 2 + six length bytes (site name, URL,
// frame URL, form id, form name, script) + frame index 1 + form index 1 +
// control count 1 = 13 bytes; each control adds 5 bytes (index, type and
// three length bytes) plus its id, name and value.
inline constexpr int32_t kMaxSiteRecordBytes = MaxPackedBytes(kSiteSlotSize);
inline constexpr int32_t kSiteRecordFixedBytes = 13;
inline constexpr int32_t kSiteControlFixedBytes = 5;

// Site slot k is 2048-byte record k + 2, and that must stay a 16-bit value.
inline constexpr int16_t kMaxSiteRecords = 32765;

// Users in one file (slots 1..12).
inline constexpr int16_t kMaxUsers = 12;

static_assert(kMaxUserRecordBytes == 152);
static_assert(kMaxSiteRecordBytes == 1496);
static_assert(kMaxProtectedUserNameBytes == 57);

}  // namespace ostrel
