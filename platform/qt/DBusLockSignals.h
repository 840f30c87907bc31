#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include "platform/qt/ILockSignals.h"

namespace ostrel {

// ILockSignals over D-Bus, from the signals the common desktops send:
//   system bus: org.freedesktop.login1.Manager PrepareForSleep(true) (the
//     machine suspends or hibernates), and org.freedesktop.login1.Session
//     Lock on this program's own login session (found by its process, or
//     by XDG_SESSION_ID when set);
//   session bus: ActiveChanged(true) of the screen savers of the common
//     desktops (org.freedesktop.ScreenSaver, org.gnome.ScreenSaver,
//     org.mate.ScreenSaver, org.cinnamon.ScreenSaver, org.xfce.ScreenSaver).
// A bus that is not there, or a service that does not answer, leaves its
// signals out: no error is raised and nothing is shown.
class DBusLockSignals : public QObject, public ILockSignals {
  Q_OBJECT

 public:
  // The user's session bus and the system bus.
  DBusLockSignals();
  // The buses given (tests pass a private one for both).
  DBusLockSignals(QDBusConnection session, QDBusConnection system);

  void SetHandler(std::function<void()> locked) override { locked_ = std::move(locked); }
  // The object path of the login session whose Lock is followed; empty
  // until login1 has answered (or when it does not).
  const QString& SessionPath() const { return session_path_; }

 private slots:
  void OnPrepareForSleep(bool start);
  void OnActiveChanged(bool active);
  void OnSessionLock();

 private:
  void Watch();
  void WatchSession(const QString& path);
  void Left();

  QDBusConnection session_;
  QDBusConnection system_;
  QString session_path_;
  std::function<void()> locked_;
};

}  // namespace ostrel
