#include "platform/qt/QtMessageBox.h"

#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace ostrel {

namespace {

int Run(QWidget* parent, const std::string& text, QMessageBox::StandardButtons buttons,
        QMessageBox::StandardButton defaultButton) {
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Ostrel"), QString::fromStdString(text),
                  buttons, parent);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(defaultButton);
  box.setWindowModality(Qt::ApplicationModal);
  return box.exec();
}

}  // namespace

void QtMessageBox::Show(const std::string& text) {
  Run(parent_, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtMessageBox::AskYesNo(const std::string& text) {
  return Run(parent_, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
         QMessageBox::Yes;
}

std::optional<std::string> QtMessageBox::AskSecret(const std::string& text) {
  QInputDialog dialog(parent_);
  dialog.setWindowTitle(QStringLiteral("Ostrel"));
  dialog.setLabelText(QString::fromStdString(text));
  dialog.setTextEchoMode(QLineEdit::Password);
  dialog.setWindowModality(Qt::ApplicationModal);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  std::string typed = dialog.textValue().toStdString();
  dialog.setTextValue(QString());
  if (!accepted) return std::nullopt;
  return typed;
}

}  // namespace ostrel
