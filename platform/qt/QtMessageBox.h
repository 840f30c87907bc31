#pragma once

#include <QPointer>
#include <QWidget>

#include "support/MessageBox.h"

namespace ostrel {

// Message boxes as QMessageBox: caption "Ostrel", no icon, plain text, modal
// over parent (which may be null, or go away before a box is shown).
class QtMessageBox : public IMessageBox {
 public:
  explicit QtMessageBox(QWidget* parent = nullptr) : parent_(parent) {}
  void Show(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  std::optional<std::string> AskSecret(const std::string& text) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace ostrel
