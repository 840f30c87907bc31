#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/qt/IFileDialogs.h"

namespace ostrel {

// The file choosers as QFileDialog (Qt's own dialog, so every desktop shows
// the same one), modal over parent.
class QtFileDialogs : public IFileDialogs {
 public:
  explicit QtFileDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  std::string OpenFile(const std::string& title, const std::string& initialFolder,
                       const std::string& filter) override;
  std::string SaveFile(const std::string& title, const std::string& initialFolder,
                       const std::string& filter) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace ostrel
