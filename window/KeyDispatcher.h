#pragma once

#include <QKeyEvent>
#include <cstdint>
#include <functional>

#include "window/ControlList.h"

namespace ostrel {

// The main window's own handling of Tab, Enter and Escape (the window is
// not a dialog, so nothing else does it). Key codes and modifier states are
// those of KeyDown: KeyCode 9 Tab, 13 Enter, 27 Escape; Shift 0 no modifier,
// 1 Shift, anything else another combination.
//
// Tab / Shift+Tab: from a focused text box, combo box, list box, command
// button, check box or spin box, to the control whose own Enabled flag is
// set and whose place in the tab order (TabPlace) is the next higher
// (lower) one over the whole window; no wrap-around.
// Labels, frames and controls inside a disabled frame take part in the
// search but cannot take the focus, so the focus then stays where it is.
// Enter: the focused command button, or else the last enabled default
// button in the control list, is handed to pressButton. Escape: the
// enabled button whose Cancel flag is set is handed to cancelButton. Each
// runs at most one handler; the buttons are chosen before any handler runs.
class KeyDispatcher {
 public:
  using Handler = std::function<void(const ControlEntry& button)>;

  KeyDispatcher(const ControlList& controls, Handler pressButton, Handler cancelButton);

  // Form_KeyDown. focused is the window's active control (may be null).
  void KeyDown(int16_t keyCode, int16_t shift, QWidget* focused);

  // The KeyCode and Shift of a Qt key press; false for keys other than Tab,
  // Shift+Tab (Backtab), Enter (either key) and Escape.
  static bool Translate(const QKeyEvent& event, int16_t& keyCode, int16_t& shift);

  static constexpr int16_t kTab = 9;
  static constexpr int16_t kEnter = 13;
  static constexpr int16_t kEscape = 27;

 private:
  void MoveFocus(bool forward, QWidget* focused);
  void Enter(QWidget* focused);
  void Escape();

  const ControlList& mControls;
  Handler mPress;
  Handler mCancel;
};

}  // namespace ostrel
