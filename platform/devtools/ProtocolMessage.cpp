#include "platform/devtools/ProtocolMessage.h"

#include <cctype>

#include "platform/devtools/JsonFields.h"

namespace ostrel {

namespace {

bool Hex4(const std::string& text, size_t at, unsigned& value) {
  if (at + 4 > text.size()) return false;
  value = 0;
  for (size_t i = at; i < at + 4; ++i) {
    const char c = text[i];
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    value = value * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                                                                                           : (c | 0x20) - 'a' + 10);
  }
  return true;
}

bool IsHigh(unsigned v) { return v >= 0xD800 && v <= 0xDBFF; }
bool IsLow(unsigned v) { return v >= 0xDC00 && v <= 0xDFFF; }

// The digits after a leading {"id": (optionally quoted), for a message that
// could not be parsed; -1 when the text does not start that way.
int64_t LeadingId(const std::string& text) {
  size_t i = text.find_first_not_of(" \t\r\n");
  const std::string head = "{\"id\":";
  if (i == std::string::npos || text.compare(i, head.size(), head) != 0) return -1;
  i += head.size();
  if (i < text.size() && text[i] == '"') ++i;
  int64_t id = 0;
  size_t digits = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && digits < 18) {
    id = id * 10 + (text[i++] - '0');
    ++digits;
  }
  return digits == 0 ? -1 : id;
}

ProtocolMessage Unreadable(std::string problem) {
  ProtocolMessage m;
  m.problem = std::move(problem);
  return m;
}

ProtocolMessage BadAnswer(int64_t id, std::string problem) {
  ProtocolMessage m;
  m.kind = ProtocolMessage::Kind::kBadAnswer;
  m.id = id;
  m.problem = std::move(problem);
  return m;
}

// A message that parsed as JSON.
ProtocolMessage Check(const nlohmann::json& message) {
  if (!message.is_object()) return Unreadable("not an object");
  const nlohmann::json& id = devtools::Field(message, "id");
  const nlohmann::json& session = devtools::Field(message, "sessionId");
  if (!id.is_null()) {
    int64_t number = devtools::Int(message, "id", -1);
    if (number < 0 && id.is_string()) {
      const std::string digits = id.get<std::string>();
      number = LeadingId("{\"id\":" + digits);
      if (number >= 0 && std::to_string(number) == digits) return BadAnswer(number, "an id that is a text");
      return Unreadable("an id that is not a number");
    }
    if (number < 0) return Unreadable("an id that is not a number");
    if (!session.is_null() && !session.is_string()) return BadAnswer(number, "a session id that is not a text");
    ProtocolMessage m;
    m.id = number;
    m.session_id = devtools::Str(message, "sessionId");
    const nlohmann::json& error = devtools::Field(message, "error");
    const nlohmann::json& result = devtools::Field(message, "result");
    if (!error.is_null()) {
      if (!error.is_object()) return BadAnswer(number, "an error that is not an object");
      m.error = error;
    } else if (result.is_object()) {
      m.result = result;
    } else {
      return BadAnswer(number, "no result object");
    }
    m.kind = ProtocolMessage::Kind::kAnswer;
    return m;
  }
  const std::string method = devtools::Str(message, "method");
  if (method.empty()) return Unreadable("neither an id nor a method");
  if (!session.is_null() && !session.is_string()) return Unreadable(method + " with a session id that is not a text");
  const nlohmann::json& params = devtools::Field(message, "params");
  if (!params.is_null() && !params.is_object()) return Unreadable(method + " with params that are not an object");
  ProtocolMessage m;
  m.kind = ProtocolMessage::Kind::kEvent;
  m.method = method;
  m.session_id = devtools::Str(message, "sessionId");
  m.params = params.is_object() ? params : nlohmann::json::object();
  return m;
}

}  // namespace

std::string RepairLoneSurrogates(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text[i] != '\\' || i + 1 >= text.size()) {
      out += text[i++];
      continue;
    }
    unsigned v = 0;
    if (text[i + 1] != 'u' || !Hex4(text, i + 2, v)) {
      out.append(text, i, 2);
      i += 2;
      continue;
    }
    unsigned next = 0;
    if (IsHigh(v) && i + 12 <= text.size() && text[i + 6] == '\\' && text[i + 7] == 'u' && Hex4(text, i + 8, next) &&
        IsLow(next)) {
      out.append(text, i, 12);
      i += 12;
    } else {
      out += IsHigh(v) || IsLow(v) ? std::string("\\ufffd") : text.substr(i, 6);
      i += 6;
    }
  }
  return out;
}

ProtocolMessage ReadProtocolMessage(const std::string& text) {
  nlohmann::json message = nlohmann::json::parse(text, nullptr, false);
  if (message.is_discarded()) message = nlohmann::json::parse(RepairLoneSurrogates(text), nullptr, false);
  if (message.is_discarded()) {
    const int64_t id = LeadingId(text);
    if (id >= 0) return BadAnswer(id, "an answer that cannot be parsed");
    return Unreadable("a message that cannot be parsed");
  }
  return Check(message);
}

}  // namespace ostrel
