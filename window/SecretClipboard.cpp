#include "window/SecretClipboard.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QGuiApplication>
#include <QMimeData>

#include "window/Text.h"

namespace ostrel {

SecretClipboard::SecretClipboard(IOneShotTimer& timer) : mTimer(timer) {
  mTimer.SetHandler([this] { Clear(); });
}

SecretClipboard::~SecretClipboard() {
  mTimer.Stop();
  mTimer.SetHandler({});
}

QByteArray SecretClipboard::Hash(const QString& text) {
  return QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256);
}

void SecretClipboard::Put(const std::string& text) {
  const QString value = FromUtf8(text);
  auto* data = new QMimeData;
  data->setText(value);
  data->setData(QString::fromLatin1(kHintFormat), QByteArrayLiteral("secret"));
  QGuiApplication::clipboard()->setMimeData(data, QClipboard::Clipboard);
  mHash = Hash(value);
  mTimer.Start(kClearAfterMs);
}

void SecretClipboard::Clear() {
  mTimer.Stop();
  if (mHash.isEmpty()) return;
  QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard->mimeData(QClipboard::Clipboard);
  if (data && data->hasFormat(QString::fromLatin1(kHintFormat)) && Hash(data->text()) == mHash) {
    clipboard->clear(QClipboard::Clipboard);
  }
  mHash.clear();
}

}  // namespace ostrel
