#include "window/CommandButton.h"

namespace ostrel {

CommandButton::CommandButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
  setAutoDefault(false);
}

}  // namespace ostrel
