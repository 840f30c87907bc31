#pragma once

#include <QString>
#include <string>

namespace ostrel {

// Text crosses from the widgets into the store as UTF-8 bytes.
inline std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }
inline QString FromUtf8(const std::string& text) { return QString::fromUtf8(text); }

// text without leading and trailing blanks (spaces only; tabs and other
// white space stay).
std::string TrimBlanks(const std::string& text);

// Whether text is empty or white space only (any Unicode space: tabs,
// line breaks and no-break spaces too).
inline bool IsBlank(const std::string& text) { return FromUtf8(text).trimmed().isEmpty(); }

}  // namespace ostrel
