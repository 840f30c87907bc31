#include "platform/qt/QtEventPump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace ostrel {

void QtEventPump::ProcessPending() {
  QCoreApplication::sendPostedEvents();
  if (waitMs_ <= 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  // Waits for the first thing to arrive (a click, a key, the browser's
  // pipe becoming readable), or for the time-out, whichever comes first.
  QTimer limit;
  limit.setSingleShot(true);
  limit.start(waitMs_);
  if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
    dispatcher->processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  }
  QCoreApplication::sendPostedEvents();
}

}  // namespace ostrel
