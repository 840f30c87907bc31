#pragma once

#include <QPushButton>

namespace ostrel {

// A push button with the two keyboard roles of the main window: Default
// (the button Enter presses; QPushButton's own default flag, which also
// draws it as the default) and Cancel (the button Escape presses). The
// window keeps at most one button in each role.
class CommandButton : public QPushButton {
 public:
  CommandButton(const QString& caption, QWidget* parent);

  bool Default() const { return isDefault(); }
  void SetDefault(bool value) { setDefault(value); }
  bool Cancel() const { return mCancel; }
  void SetCancel(bool value) { mCancel = value; }

 private:
  bool mCancel = false;
};

}  // namespace ostrel
