#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

namespace ostrel {

// One message from the browser, read and checked before anything uses it.
//   kAnswer     the answer to command `id`: `result` (an object) or, when
//               the command failed, `error` (an object).
//   kBadAnswer  a message that names command `id` (even one that could not
//               be parsed, or whose id came as a text of digits) but whose
//               rest is not a well-formed answer: the command is failed.
//   kEvent      `method` (a non-empty text) with `params` (an object).
//   kUnreadable anything else: dropped, with `problem` for the log.
// `session_id` is the session the message names ("" for the browser's own
// or when it is not a text).
struct ProtocolMessage {
  enum class Kind { kAnswer, kBadAnswer, kEvent, kUnreadable };
  Kind kind = Kind::kUnreadable;
  int64_t id = 0;
  std::string session_id;
  std::string method;
  nlohmann::json params;
  nlohmann::json result;
  nlohmann::json error;
  std::string problem;
};

ProtocolMessage ReadProtocolMessage(const std::string& text);

// text with every \u escape of a lone UTF-16 surrogate (one that is not
// half of a pair) replaced by \ufffd: Chromium passes page text such as a
// title through unchanged, and the JSON reader refuses lone surrogates.
std::string RepairLoneSurrogates(const std::string& text);

}  // namespace ostrel
