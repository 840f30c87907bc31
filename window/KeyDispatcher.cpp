#include "window/KeyDispatcher.h"

#include "window/CommandButton.h"

namespace ostrel {

namespace {

bool TakesTab(ControlKind kind) {
  return kind == ControlKind::TextBox || kind == ControlKind::ComboBox ||
         kind == ControlKind::ListBox || kind == ControlKind::CommandButton ||
         kind == ControlKind::CheckBox || kind == ControlKind::SpinBox;
}

const CommandButton* AsButton(const ControlEntry& entry) {
  return entry.kind == ControlKind::CommandButton ? static_cast<CommandButton*>(entry.widget)
                                                  : nullptr;
}

}  // namespace

KeyDispatcher::KeyDispatcher(const ControlList& controls, Handler pressButton,
                             Handler cancelButton)
    : mControls(controls), mPress(std::move(pressButton)), mCancel(std::move(cancelButton)) {}

bool KeyDispatcher::Translate(const QKeyEvent& event, int16_t& keyCode, int16_t& shift) {
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= 1;
  if (modifiers & Qt::ControlModifier) shift |= 2;
  if (modifiers & Qt::AltModifier) shift |= 4;
  if (modifiers & Qt::MetaModifier) shift |= 8;
  switch (event.key()) {
    case Qt::Key_Tab: keyCode = kTab; return true;
    case Qt::Key_Backtab: keyCode = kTab; shift |= 1; return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: keyCode = kEnter; return true;
    case Qt::Key_Escape: keyCode = kEscape; return true;
    default: return false;
  }
}

void KeyDispatcher::KeyDown(int16_t keyCode, int16_t shift, QWidget* focused) {
  if (keyCode == kTab && (shift == 0 || shift == 1)) {
    MoveFocus(shift == 0, focused);
  } else if (keyCode == kEnter && shift == 0) {
    Enter(focused);
  } else if (keyCode == kEscape && shift == 0) {
    Escape();
  }
}

void KeyDispatcher::MoveFocus(bool forward, QWidget* focused) {
  const ControlEntry* current = focused ? mControls.Find(focused) : nullptr;
  if (current == nullptr || !TakesTab(current->kind)) return;
  const int32_t cur = current->TabPosition();
  int32_t best = forward ? 9999 * ControlEntry::kStepsPerIndex : 0;
  const ControlEntry* target = nullptr;
  for (const ControlEntry& entry : mControls.Entries()) {
    if (!entry.Enabled()) continue;
    const int32_t tab = entry.TabPosition();
    if (forward ? (cur < tab && tab < best) : (best < tab && tab < cur)) {
      best = tab;
      target = &entry;
    }
  }
  // Labels and frames never take the focus, nor does a control whose frame
  // is disabled or hidden: the focus then stays where it was.
  if (target == nullptr || !TakesTab(target->kind)) return;
  QWidget* widget = target->widget;
  if (!widget->isEnabled() || !widget->isVisibleTo(widget->window())) return;
  widget->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void KeyDispatcher::Enter(QWidget* focused) {
  const ControlEntry* button = nullptr;
  const ControlEntry* current = focused ? mControls.Find(focused) : nullptr;
  if (current != nullptr && current->kind == ControlKind::CommandButton) {
    button = current;
  } else {
    for (const ControlEntry& entry : mControls.Entries()) {
      const CommandButton* candidate = AsButton(entry);
      if (candidate && entry.Enabled() && candidate->Default()) button = &entry;
    }
  }
  if (button != nullptr) mPress(*button);
}

void KeyDispatcher::Escape() {
  const ControlEntry* button = nullptr;
  for (const ControlEntry& entry : mControls.Entries()) {
    const CommandButton* candidate = AsButton(entry);
    if (candidate && entry.Enabled() && candidate->Cancel()) {
      button = &entry;
      break;
    }
  }
  if (button != nullptr) mCancel(*button);
}

}  // namespace ostrel
