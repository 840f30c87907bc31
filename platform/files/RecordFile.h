#pragma once

#include <cstdint>
#include <string_view>

namespace ostrel {

// One open file of fixed-length records, numbered from 1: record n covers
// bytes (n - 1) * RecordLength() .. n * RecordLength() - 1. The file is
// closed when the object is destroyed.
class IRecordFile {
 public:
  virtual ~IRecordFile() = default;

  // The record length the file was opened with.
  virtual int32_t RecordLength() const = 0;

  // Reads `count` whole records starting at record `first` into `out`,
  // which must hold count * RecordLength() bytes. Bytes that lie past the
  // end of the file read as NUL. `first` below 1 fails with
  // err::kBadRecordNumber (63) before anything is read; a failing read
  // raises the platform's file error.
  virtual void Read(int32_t first, int32_t count, char* out) = 0;

  // Writes `data`, a whole number of records, starting at record `first`.
  // Writing past the end extends the file; a gap reads as NUL bytes.
  // `first` below 1 or a partial record fails with err::kBadRecordNumber
  // (63) before anything is written. A failing write raises the platform's
  // file error; part of `data` may then have reached the file, and it is up
  // to the caller to put the old bytes back.
  virtual void Write(int32_t first, std::string_view data) = 0;

  // Waits until what was written has reached the disk; raises the file
  // error when it cannot.
  virtual void Sync() = 0;

  // The current length of the file in bytes.
  virtual int64_t Length() = 0;

  // Cuts the file back to `length` bytes; used only to take back a write
  // that failed while extending the file.
  virtual void Truncate(int64_t length) = 0;
};

}  // namespace ostrel
