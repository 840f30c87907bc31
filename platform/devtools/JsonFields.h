#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

// Reading the fields of a message from the browser without trusting its
// shape: a field that is missing or of another type reads as the empty
// value of the asked type, so no lookup can throw. Every read of a protocol
// message goes through these.
namespace ostrel::devtools {

inline const nlohmann::json& EmptyObject() {
  static const nlohmann::json empty = nlohmann::json::object();
  return empty;
}

inline const nlohmann::json& EmptyArray() {
  static const nlohmann::json empty = nlohmann::json::array();
  return empty;
}

// The member key of object, or null when object is no object or lacks it.
inline const nlohmann::json& Field(const nlohmann::json& object, const char* key) {
  static const nlohmann::json null;
  if (!object.is_object()) return null;
  auto it = object.find(key);
  return it == object.end() ? null : *it;
}

inline std::string Str(const nlohmann::json& object, const char* key) {
  const nlohmann::json& v = Field(object, key);
  return v.is_string() ? v.get<std::string>() : std::string();
}

inline int64_t Int(const nlohmann::json& object, const char* key, int64_t fallback = 0) {
  const nlohmann::json& v = Field(object, key);
  if (v.is_number_integer()) return v.get<int64_t>();
  if (v.is_number_unsigned() && v.get<uint64_t>() <= static_cast<uint64_t>(INT64_MAX)) {
    return static_cast<int64_t>(v.get<uint64_t>());
  }
  return fallback;
}

inline bool Bool(const nlohmann::json& object, const char* key, bool fallback = false) {
  const nlohmann::json& v = Field(object, key);
  return v.is_boolean() ? v.get<bool>() : fallback;
}

inline const nlohmann::json& Obj(const nlohmann::json& object, const char* key) {
  const nlohmann::json& v = Field(object, key);
  return v.is_object() ? v : EmptyObject();
}

inline const nlohmann::json& Arr(const nlohmann::json& object, const char* key) {
  const nlohmann::json& v = Field(object, key);
  return v.is_array() ? v : EmptyArray();
}

// Item i of an array, or null.
inline const nlohmann::json& At(const nlohmann::json& array, size_t i) {
  static const nlohmann::json null;
  return array.is_array() && i < array.size() ? array[i] : null;
}

}  // namespace ostrel::devtools
