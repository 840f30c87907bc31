#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace ostrel {

// Ends the program's Qt loop (QCoreApplication::quit) on SIGINT, SIGTERM
// or SIGHUP, so the window saves its place and the browser is closed and
// its temporary files removed as at any normal end. A second signal ends the
// program at once, as the signal would have. One per program.
class QuitOnSignals : public QObject {
 public:
  QuitOnSignals();
  ~QuitOnSignals() override;

 private:
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace ostrel
