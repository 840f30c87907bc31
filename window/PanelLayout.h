#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <string>

#include "window/CommandButton.h"
#include "window/ControlList.h"

namespace ostrel {

// Small helpers that make one control of the main window, place it inside
// its parent at a rectangle given in twips and register it in the control
// list. Label and caption texts are taken exactly as given.
class PanelLayout {
 public:
  explicit PanelLayout(ControlList& controls) : mControls(controls) {}

  static void Place(QWidget* widget, int left, int top, int width, int height);

  QGroupBox* Frame(QWidget* parent, const char* name, int16_t tabIndex, int16_t index, int left,
                   int top, int width, int height, const QString& caption = {});
  QLabel* Label(QWidget* parent, const char* name, int16_t tabIndex, const QString& text,
                int left, int top, int width, int height, int16_t index = -1);
  QLineEdit* TextBox(QWidget* parent, const char* name, int16_t tabIndex, int maxBytes, bool masked,
                     int left, int top, int width);
  CommandButton* Button(QWidget* parent, const char* name, int16_t tabIndex, const QString& caption,
                        int left, int top, int width, int height = kButtonHeight,
                        int16_t index = -1);
  // A button that shows a folder picture instead of a caption.
  CommandButton* PictureButton(QWidget* parent, const char* name, int16_t tabIndex, int left,
                               int top);
  void Register(QWidget* widget, ControlKind kind, const char* name, int16_t tabIndex,
                int16_t index = -1);

  static constexpr int kButtonHeight = 375;
  static constexpr int kTextBoxHeight = 315;

 private:
  ControlList& mControls;
};

}  // namespace ostrel
