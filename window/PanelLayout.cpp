#include "window/PanelLayout.h"

#include <QApplication>
#include <QStyle>

#include "window/Twips.h"
#include "window/Utf8LimitValidator.h"

namespace ostrel {

void PanelLayout::Place(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                      TwipsToPixels(height));
}

void PanelLayout::Register(QWidget* widget, ControlKind kind, const char* name, TabPlace tab,
                           int16_t index) {
  widget->setObjectName(index < 0 ? QString(name) : QString("%1(%2)").arg(name).arg(index));
  mControls.Add(widget, kind, name, tab, index);
}

QGroupBox* PanelLayout::Frame(QWidget* parent, const char* name, TabPlace tab, int16_t index,
                              int left, int top, int width, int height, const QString& caption) {
  auto* frame = new QGroupBox(caption, parent);
  Place(frame, left, top, width, height);
  Register(frame, ControlKind::Frame, name, tab, index);
  return frame;
}

QLabel* PanelLayout::PlainLabel(QWidget* parent, const QString& text, int left, int top, int width,
                                int height) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Place(label, left, top, width, height);
  return label;
}

QLabel* PanelLayout::Label(QWidget* parent, const char* name, TabPlace tab, const QString& text,
                           int left, int top, int width, int height, int16_t index) {
  QLabel* label = PlainLabel(parent, text, left, top, width, height);
  Register(label, ControlKind::Label, name, tab, index);
  return label;
}

QLineEdit* PanelLayout::TextBox(QWidget* parent, const char* name, TabPlace tab, int maxBytes,
                                bool masked, int left, int top, int width) {
  auto* box = new QLineEdit(parent);
  box->setValidator(new Utf8LimitValidator(maxBytes, box));
  if (masked) {
    // Every character shows as "*".
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet("lineedit-password-character: 42");
  }
  Place(box, left, top, width, kTextBoxHeight);
  Register(box, ControlKind::TextBox, name, tab);
  return box;
}

CommandButton* PanelLayout::Button(QWidget* parent, const char* name, TabPlace tab,
                                   const QString& caption, int left, int top, int width,
                                   int height, int16_t index) {
  auto* button = new CommandButton(caption, parent);
  Place(button, left, top, width, height);
  Register(button, ControlKind::CommandButton, name, tab, index);
  return button;
}

QCheckBox* PanelLayout::CheckBox(QWidget* parent, const char* name, TabPlace tab,
                                const QString& caption, int left, int top, int width,
                                bool checked) {
  auto* box = new QCheckBox(caption, parent);
  box->setChecked(checked);
  Place(box, left, top, width, kTextBoxHeight);
  Register(box, ControlKind::CheckBox, name, tab);
  return box;
}

QSpinBox* PanelLayout::SpinBox(QWidget* parent, const char* name, TabPlace tab, int minimum,
                               int maximum, int value, int left, int top, int width) {
  auto* box = new QSpinBox(parent);
  box->setRange(minimum, maximum);
  box->setValue(value);
  Place(box, left, top, width, kTextBoxHeight);
  Register(box, ControlKind::SpinBox, name, tab);
  return box;
}

CommandButton* PanelLayout::PictureButton(QWidget* parent, const char* name, TabPlace tab,
                                          int left, int top) {
  CommandButton* button = Button(parent, name, tab, {}, left, top, 405, 345);
  button->setIcon(QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon));
  button->setToolTip(QStringLiteral("Browse"));
  return button;
}

}  // namespace ostrel
