#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace ostrel::test {

// A D-Bus daemon of the test's own (dbus-daemon --session), stopped when
// the object goes; Connect gives new connections to it.
class PrivateBus {
 public:
  PrivateBus();
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  bool Started() const { return !address_.isEmpty(); }
  // A connection of its own, under name (unique per bus object).
  QDBusConnection Connect(const QString& name);

 private:
  QProcess daemon_;
  QString address_;
  QStringList names_;
};

}  // namespace ostrel::test
