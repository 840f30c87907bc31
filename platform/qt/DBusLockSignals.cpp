#include "platform/qt/DBusLockSignals.h"

#include <unistd.h>

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace ostrel {

namespace {

const char kLogin1[] = "org.freedesktop.login1";
const char kLogin1Path[] = "/org/freedesktop/login1";
const char kLogin1Manager[] = "org.freedesktop.login1.Manager";
const char kLogin1Session[] = "org.freedesktop.login1.Session";

// The screen savers' interfaces; each sends ActiveChanged(bool).
const char* const kScreenSavers[] = {"org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver",
                                     "org.mate.ScreenSaver", "org.cinnamon.ScreenSaver",
                                     "org.xfce.ScreenSaver"};

}  // namespace

DBusLockSignals::DBusLockSignals()
    : DBusLockSignals(QDBusConnection::sessionBus(), QDBusConnection::systemBus()) {}

DBusLockSignals::DBusLockSignals(QDBusConnection session, QDBusConnection system)
    : session_(std::move(session)), system_(std::move(system)) {
  Watch();
}

void DBusLockSignals::Watch() {
  if (session_.isConnected()) {
    // From any sender and path: each desktop names its own.
    for (const char* saver : kScreenSavers) {
      session_.connect({}, {}, saver, "ActiveChanged", this, SLOT(OnActiveChanged(bool)));
    }
  }
  if (!system_.isConnected()) return;
  system_.connect(kLogin1, kLogin1Path, kLogin1Manager, "PrepareForSleep", this,
                  SLOT(OnPrepareForSleep(bool)));
  // Which session is ours is asked without waiting: start-up never hangs
  // on a slow bus.
  const QByteArray id = qgetenv("XDG_SESSION_ID");
  QDBusMessage ask = QDBusMessage::createMethodCall(kLogin1, kLogin1Path, kLogin1Manager,
                                                    id.isEmpty() ? "GetSessionByPID" : "GetSession");
  if (id.isEmpty()) {
    ask << static_cast<uint>(::getpid());
  } else {
    ask << QString::fromUtf8(id);
  }
  auto* watcher = new QDBusPendingCallWatcher(system_.asyncCall(ask), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
    const QDBusPendingReply<QDBusObjectPath> reply = *call;
    if (!reply.isError()) WatchSession(reply.value().path());
    call->deleteLater();
  });
}

void DBusLockSignals::WatchSession(const QString& path) {
  if (system_.connect(kLogin1, path, kLogin1Session, "Lock", this, SLOT(OnSessionLock()))) {
    session_path_ = path;
  }
}

void DBusLockSignals::OnPrepareForSleep(bool start) {
  if (start) Left();
}

void DBusLockSignals::OnActiveChanged(bool active) {
  if (active) Left();
}

void DBusLockSignals::OnSessionLock() { Left(); }

void DBusLockSignals::Left() {
  if (locked_) locked_();
}

}  // namespace ostrel
