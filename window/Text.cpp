#include "window/Text.h"

#include <QList>

namespace ostrel {

std::string TrimBlanks(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

QString LeftUtf8Bytes(const QString& text, size_t maxBytes) {
  size_t bytes = 0;
  qsizetype end = 0;
  while (end < text.size()) {
    const bool pair = text.at(end).isHighSurrogate() && end + 1 < text.size() &&
                      text.at(end + 1).isLowSurrogate();
    const char32_t code =
        pair ? QChar::surrogateToUcs4(text.at(end), text.at(end + 1)) : text.at(end).unicode();
    const size_t size = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    if (bytes + size > maxBytes) break;
    bytes += size;
    end += pair ? 2 : 1;
  }
  return text.left(end);
}

size_t CharacterCount(const std::string& text) { return FromUtf8(text).toUcs4().size(); }

}  // namespace ostrel
