#include "platform/qt/QtFileDialogs.h"

#include <QFileDialog>
#include <QRegularExpression>

namespace ostrel {

namespace {

std::string Run(QWidget* parent, QFileDialog::AcceptMode mode, const std::string& title,
                const std::string& initialFolder, const std::string& filter) {
  QFileDialog dialog(parent, QString::fromStdString(title), QString::fromStdString(initialFolder),
                     QString::fromStdString(filter));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(mode);
  // A name typed without an extension gets the filter's ("*.xps": "xps").
  const QRegularExpressionMatch pattern =
      QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(QString::fromStdString(filter));
  if (pattern.hasMatch()) dialog.setDefaultSuffix(pattern.captured(1));
  if (mode == QFileDialog::AcceptOpen) {
    dialog.setFileMode(QFileDialog::ExistingFile);
  } else {
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
  }
  dialog.setWindowModality(Qt::ApplicationModal);
  if (dialog.exec() != QDialog::Accepted) return "";
  const QStringList chosen = dialog.selectedFiles();
  return chosen.isEmpty() ? "" : chosen.front().toStdString();
}

}  // namespace

std::string QtFileDialogs::OpenFile(const std::string& title, const std::string& initialFolder,
                                    const std::string& filter) {
  return Run(parent_, QFileDialog::AcceptOpen, title, initialFolder, filter);
}

std::string QtFileDialogs::SaveFile(const std::string& title, const std::string& initialFolder,
                                    const std::string& filter) {
  return Run(parent_, QFileDialog::AcceptSave, title, initialFolder, filter);
}

}  // namespace ostrel
