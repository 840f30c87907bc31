#include "store/RecordWriter.h"

#include <algorithm>

#include "store/Codec.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

constexpr size_t kMaxStringBytes = 255;
constexpr size_t kNamedLongest = 3;

// "1496" as "1,496".
std::string Thousands(size_t n) {
  std::string digits = std::to_string(n);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), ",");
  return digits;
}

}  // namespace

void RecordWriter::String(std::string_view text, const std::string& what) {
  if (text.size() > kMaxStringBytes) {
    throw OstrelError(err::kInvalidArgument,
                      what + ": " + std::to_string(text.size()) + " bytes, over the 255 of a stored string",
                      "It cannot be stored: " + what + " is " + Thousands(text.size()) +
                          " bytes long, and a site keeps at most 255 bytes of it. Nothing was saved.");
  }
  text_ += PackString(text);
  strings_.emplace_back(text.size(), what);
}

void RecordWriter::Byte(int32_t value, const std::string& what) {
  if (value < 0 || value > 255) {
    throw OstrelError(err::kOverflow, what + " is " + std::to_string(value) + ", outside 0..255",
                      "It cannot be stored: " + what + " is " + std::to_string(value) +
                          ", and a site keeps numbers from 0 to 255 there. Nothing was saved.");
  }
  text_ += PackByte(static_cast<uint8_t>(value));
}

void RecordWriter::Integer(int16_t value) { text_ += PackInteger(value); }

const std::string& RecordWriter::Text(int32_t limit) const {
  if (text_.size() <= static_cast<size_t>(limit)) return text_;
  std::vector<std::pair<size_t, std::string>> longest = strings_;
  std::stable_sort(longest.begin(), longest.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  longest.resize(std::min(longest.size(), kNamedLongest));
  std::string parts;
  for (size_t i = 0; i < longest.size(); ++i) {
    if (longest[i].first == 0) break;
    parts += (i == 0 ? "" : ", ") + longest[i].second + " (" + Thousands(longest[i].first) + " bytes)";
  }
  throw OstrelError(err::kBadRecordLength,
                    "a packed record of " + std::to_string(text_.size()) + " bytes, over " + std::to_string(limit),
                    "This login is too big to be stored: it needs " + Thousands(text_.size()) +
                        " bytes, and a site's place in the password file holds " + Thousands(static_cast<size_t>(limit)) +
                        ". Its longest parts are " + parts + ". Nothing was saved.");
}

}  // namespace ostrel
