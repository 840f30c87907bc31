#include "platform/qt/QtEventPump.h"

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
  QEventLoop loop;
  QTimer::singleShot(waitMs_, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace ostrel
