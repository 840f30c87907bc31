#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

// Packs the fields of one record (see Codec.h), each with a name a person
// understands ("the login page's address", "the text typed into input 2"),
// so that a field that does not fit its encoding, or a record that does not
// fit its slot, is refused with a plain sentence that names it and says the
// limit. Nothing is cut short.
class RecordWriter {
 public:
  // Raise err::kInvalidArgument (a string over 255 bytes, a negative
  // integer) or err::kOverflow (a byte outside 0..255), with an
  // explanation naming `what`.
  void String(std::string_view text, const std::string& what);
  void Byte(int32_t value, const std::string& what);
  void Integer(int16_t value);

  // The packed text; raises err::kBadRecordLength, with an explanation that
  // names the longest fields, when it is longer than limit bytes.
  const std::string& Text(int32_t limit) const;
  // The packed text so far, its length not checked.
  size_t Size() const { return text_.size(); }

 private:
  std::string text_;
  std::vector<std::pair<size_t, std::string>> strings_;  // bytes, what
};

}  // namespace ostrel
