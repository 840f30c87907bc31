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

}  // namespace ostrel
