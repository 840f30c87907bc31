#include "window/IdleWatch.h"

#include <QCoreApplication>
#include <QEvent>

namespace ostrel {

namespace {

constexpr int64_t kMillisecondsPerMinute = 60 * 1000;

bool IsInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
      return true;
    default:
      return false;
  }
}

}  // namespace

IdleWatch::IdleWatch(QWidget& window, IOneShotTimer& timer, std::function<bool()> busy,
                     std::function<void()> logOff)
    : window_(window), timer_(timer), busy_(std::move(busy)), log_off_(std::move(logOff)) {
  timer_.SetHandler([this] { Elapsed(); });
  // Seen at the application, so input to the window's own dialogs and to a
  // control that filters its keys away counts as well.
  QCoreApplication::instance()->installEventFilter(this);
}

IdleWatch::~IdleWatch() {
  timer_.Stop();
  timer_.SetHandler({});
}

void IdleWatch::SetMinutes(int minutes) {
  minutes_ = minutes > 0 ? minutes : 0;
  if (minutes_ == 0) {
    timer_.Stop();
    waited_ = false;
    return;
  }
  Restart();
}

void IdleWatch::Restart() {
  if (minutes_ == 0) return;
  waited_ = false;
  timer_.Start(minutes_ * kMillisecondsPerMinute);
}

bool IdleWatch::eventFilter(QObject* watched, QEvent* event) {
  if (minutes_ > 0 && IsInput(event->type()) && Inside(watched)) Restart();
  return false;
}

bool IdleWatch::Inside(QObject* object) const {
  for (QWidget* widget = qobject_cast<QWidget*>(object); widget; widget = widget->parentWidget()) {
    if (widget == &window_) return true;
  }
  return false;
}

void IdleWatch::Elapsed() {
  if (minutes_ == 0) return;
  if (busy_()) {
    waited_ = true;
    timer_.Start(kBusyRetryMs);
  } else if (waited_) {
    Restart();
  } else {
    log_off_();
  }
}

}  // namespace ostrel
