#include "app/QuitOnSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>

namespace ostrel {

namespace {

int g_pipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnSignal(int signal) {
  const char byte = static_cast<char>(signal);
  if (write(g_pipe[1], &byte, 1) < 0) {
  }
  // The next one is not waited for.
  struct sigaction defaults {};
  defaults.sa_handler = SIG_DFL;
  sigaction(signal, &defaults, nullptr);
}

}  // namespace

QuitOnSignals::QuitOnSignals() {
  if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, this, [] {
    char byte;
    while (read(g_pipe[0], &byte, 1) > 0) {
    }
    QCoreApplication::quit();
  });
  for (int signal : kSignals) {
    struct sigaction ours {};
    ours.sa_handler = OnSignal;
    sigemptyset(&ours.sa_mask);
    sigaction(signal, &ours, nullptr);
  }
}

QuitOnSignals::~QuitOnSignals() {
  for (int signal : kSignals) {
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    sigaction(signal, &defaults, nullptr);
  }
  notifier_.reset();
  close(g_pipe[0]);
  close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

}  // namespace ostrel
