#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <string>

#include "window/CommandButton.h"
#include "window/ControlList.h"

namespace ostrel {

// Where the panels of the main window sit (twips): every panel's frame, and
// the OK / Cancel pair along its foot.
namespace panel_geometry {
constexpr int kLeft = 90, kWidth = 4305, kHeight = 3855;
constexpr int kOkLeft = 600, kCancelLeft = 2280, kBottomTop = 3240, kPairWidth = 1425;
// The longest path a path box takes, in bytes.
constexpr int kPathBytes = 4096;
}  // namespace panel_geometry

// Small helpers that make one control of the main window, place it inside
// its parent at a rectangle given in twips and register it in the control
// list. Label and caption texts are taken exactly as given.
class PanelLayout {
 public:
  explicit PanelLayout(ControlList& controls) : mControls(controls) {}

  static void Place(QWidget* widget, int left, int top, int width, int height);
  // A placed label of plain, word-wrapped text, not registered.
  static QLabel* PlainLabel(QWidget* parent, const QString& text, int left, int top, int width,
                            int height);

  QGroupBox* Frame(QWidget* parent, const char* name, TabPlace tab, int16_t index, int left,
                   int top, int width, int height, const QString& caption = {});
  QLabel* Label(QWidget* parent, const char* name, TabPlace tab, const QString& text,
                int left, int top, int width, int height, int16_t index = -1);
  QLineEdit* TextBox(QWidget* parent, const char* name, TabPlace tab, int maxBytes, bool masked,
                     int left, int top, int width);
  CommandButton* Button(QWidget* parent, const char* name, TabPlace tab, const QString& caption,
                        int left, int top, int width, int height = kButtonHeight,
                        int16_t index = -1);
  QCheckBox* CheckBox(QWidget* parent, const char* name, TabPlace tab, const QString& caption,
                      int left, int top, int width, bool checked);
  QSpinBox* SpinBox(QWidget* parent, const char* name, TabPlace tab, int minimum, int maximum,
                    int value, int left, int top, int width);
  // A button that shows a folder picture instead of a caption.
  CommandButton* PictureButton(QWidget* parent, const char* name, TabPlace tab, int left,
                               int top);
  void Register(QWidget* widget, ControlKind kind, const char* name, TabPlace tab,
                int16_t index = -1);

  static constexpr int kButtonHeight = 375;
  static constexpr int kTextBoxHeight = 315;

 private:
  ControlList& mControls;
};

}  // namespace ostrel
