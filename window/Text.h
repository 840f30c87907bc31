#pragma once

#include <QString>
#include <cstddef>
#include <string>

namespace ostrel {

// Text crosses from the widgets into the store as UTF-8 bytes.
inline std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }
inline QString FromUtf8(const std::string& text) { return QString::fromUtf8(text); }

// The longest beginning of text whose UTF-8 form has at most maxBytes bytes,
// cut between two characters (never inside a surrogate pair).
QString LeftUtf8Bytes(const QString& text, size_t maxBytes);

// The number of characters (Unicode code points) of UTF-8 text.
size_t CharacterCount(const std::string& text);

// text without leading and trailing blanks (spaces only; tabs and other
// white space stay).
std::string TrimBlanks(const std::string& text);

// Whether text is empty or white space only (any Unicode space: tabs,
// line breaks and no-break spaces too).
inline bool IsBlank(const std::string& text) { return FromUtf8(text).trimmed().isEmpty(); }

}  // namespace ostrel
