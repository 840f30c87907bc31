#pragma once

#include <QObject>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "platform/qt/IOneShotTimer.h"

namespace ostrel {

// Logs a window off after a period without input. Every key press, mouse
// click or wheel turn whose receiver is the window or lies inside it (its
// message boxes and dialogs included) starts the period over.
//
// When the period ends, logOff() runs, unless busy() answers true (work
// that must not be cut is under way): then it looks again every
// kBusyRetryMs and, once the work has ended, starts a whole period over, so
// the person coming back from it finds the window as they left it.
//
// window and timer must outlive the watch; the watch owns neither. The
// handlers run on the window's thread, from its event loop.
class IdleWatch : public QObject {
 public:
  static constexpr int64_t kBusyRetryMs = 1000;

  IdleWatch(QWidget& window, IOneShotTimer& timer, std::function<bool()> busy,
            std::function<void()> logOff);
  ~IdleWatch() override;

  // Sets the period and starts it over; 0 or less turns the watch off.
  void SetMinutes(int minutes);
  // Starts the period over, as an input does; nothing while off.
  void Restart();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Elapsed();
  bool Inside(QObject* object) const;

  QWidget& window_;
  IOneShotTimer& timer_;
  std::function<bool()> busy_;
  std::function<void()> log_off_;
  int minutes_ = 0;
  bool waited_ = false;  // the last period ended while busy
};

}  // namespace ostrel
