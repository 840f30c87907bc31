#pragma once

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <functional>

namespace ostrel::test {

// Answers the next window of type T that is shown (a real QMessageBox or
// QFileDialog run with exec()): once it is on screen, answer receives it
// from the event loop and must close it. Posted calls only, no timers.
template <typename T>
class ModalAnswerer : public QObject {
 public:
  explicit ModalAnswerer(std::function<void(T*)> answer) : answer_(std::move(answer)) {
    qApp->installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (auto* window = qobject_cast<T*>(watched)) {
        qApp->removeEventFilter(this);
        QMetaObject::invokeMethod(
            this, [this, window] { answer_(window); deleteLater(); }, Qt::QueuedConnection);
      }
    }
    return false;
  }

 private:
  std::function<void(T*)> answer_;
};

template <typename T>
void AnswerNextModal(std::function<void(T*)> answer) {
  new ModalAnswerer<T>(std::move(answer));
}

}  // namespace ostrel::test
