#pragma once

#include <QByteArray>
#include <string>

#include "platform/qt/IOneShotTimer.h"

namespace ostrel {

// Puts a user name or password on the system clipboard with care: marked
// for clipboard managers as a secret (the "x-kde-passwordManagerHint" type
// with the value "secret"), so that they keep no history of it, and taken
// off again kClearAfterMs later, or at Clear(), if the clipboard still
// holds it. Only a hash of what was put there is kept, not the text.
//
// timer must outlive the object; the object owns nothing else.
class SecretClipboard {
 public:
  static constexpr int64_t kClearAfterMs = 30 * 1000;
  static constexpr const char* kHintFormat = "x-kde-passwordManagerHint";

  explicit SecretClipboard(IOneShotTimer& timer);
  ~SecretClipboard();
  SecretClipboard(const SecretClipboard&) = delete;
  SecretClipboard& operator=(const SecretClipboard&) = delete;

  // Puts text on the clipboard and starts the period over.
  void Put(const std::string& text);
  // Empties the clipboard if it still holds what Put put there; what
  // another program put there since stays.
  void Clear();

 private:
  static QByteArray Hash(const QString& text);

  IOneShotTimer& mTimer;
  QByteArray mHash;  // of the text put there; empty when none is
};

}  // namespace ostrel
