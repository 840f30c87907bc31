#include "window/WidgetGeometry.h"

#include <cmath>

#include "window/Twips.h"

namespace ostrel {

namespace {
int ToPixels(float twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }
}  // namespace

float WidgetGeometry::Top() const { return PixelsToTwips(mWidget.pos().y()); }
float WidgetGeometry::Left() const { return PixelsToTwips(mWidget.pos().x()); }
float WidgetGeometry::Height() const { return PixelsToTwips(mWidget.frameGeometry().height()); }
float WidgetGeometry::Width() const { return PixelsToTwips(mWidget.frameGeometry().width()); }

void WidgetGeometry::SetTop(float twips) { mWidget.move(mWidget.pos().x(), ToPixels(twips)); }
void WidgetGeometry::SetLeft(float twips) { mWidget.move(ToPixels(twips), mWidget.pos().y()); }

}  // namespace ostrel
