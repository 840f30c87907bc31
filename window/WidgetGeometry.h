#pragma once

#include <QWidget>

#include "support/FormGeometry.h"

namespace ostrel {

// A top-level window's outer rectangle (frame included) in twips, at 15
// twips per pixel, for the placement arithmetic. The widget must outlive
// this object.
class WidgetGeometry : public IFormGeometry {
 public:
  explicit WidgetGeometry(QWidget& widget) : mWidget(widget) {}
  float Top() const override;
  float Left() const override;
  float Height() const override;
  float Width() const override;
  void SetTop(float twips) override;
  void SetLeft(float twips) override;

 private:
  QWidget& mWidget;
};

}  // namespace ostrel
