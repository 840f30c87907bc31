#pragma once

#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

enum class ControlKind { Frame, Label, TextBox, ComboBox, ListBox, CommandButton, CheckBox, SpinBox };

// Where a control stands in the window's tab order: its tab index, and for
// a control added after the window's original ones, a step after the
// control whose tab index it shares (1, 2, ...; 0 for the original ones).
// So (61, 1) comes after 61 and before 62.
struct TabPlace {
  TabPlace(int16_t tabIndex, int16_t tabStep = 0) : index(tabIndex), step(tabStep) {}
  int16_t index;
  int16_t step;
};

// One control of the main window as the keyboard dispatch sees it: its
// name and array index (-1 when it is not part of a control array, as in
// cmdOK(4) or cmdCancel(2)) and its place in the tab order, unique over the
// window.
struct ControlEntry {
  static constexpr int32_t kStepsPerIndex = 32;

  QWidget* widget = nullptr;
  ControlKind kind = ControlKind::Label;
  std::string name;
  int16_t index = -1;
  int16_t tabIndex = 0;
  int16_t tabStep = 0;

  // The control's own Enabled flag, regardless of the frame it sits in.
  bool Enabled() const { return !widget->testAttribute(Qt::WA_ForceDisabled); }
  // The tab order as one number: tab index, then step.
  int32_t TabPosition() const { return tabIndex * kStepsPerIndex + tabStep; }
};

// Every control of the main window, in the window's own order (the order in
// which they were made). The widgets belong to the window.
class ControlList {
 public:
  void Add(QWidget* widget, ControlKind kind, std::string name, TabPlace tab, int16_t index = -1);
  const std::vector<ControlEntry>& Entries() const { return mEntries; }
  // The entry of widget; nullptr when it is not one of the window's controls.
  const ControlEntry* Find(const QWidget* widget) const;

 private:
  std::vector<ControlEntry> mEntries;
};

}  // namespace ostrel
