#include "tests/window/PrivateBus.h"

namespace ostrel::test {

PrivateBus::PrivateBus() {
  daemon_.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
  if (!daemon_.waitForStarted(5000)) return;
  while (!daemon_.canReadLine() && daemon_.waitForReadyRead(5000)) {
  }
  address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
}

PrivateBus::~PrivateBus() {
  for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
  daemon_.terminate();
  if (!daemon_.waitForFinished(5000)) daemon_.kill();
  daemon_.waitForFinished(5000);
}

QDBusConnection PrivateBus::Connect(const QString& name) {
  const QString unique = name + QString::number(reinterpret_cast<quintptr>(this));
  names_.push_back(unique);
  return QDBusConnection::connectToBus(address_, unique);
}

}  // namespace ostrel::test
