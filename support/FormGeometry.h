#pragma once

namespace ostrel {

// A window's outer rectangle in twips (1/1440 inch; the window layer converts
// at 15 twips per pixel), as the placement arithmetic reads and moves it.
class IFormGeometry {
 public:
  virtual ~IFormGeometry() = default;
  virtual float Top() const = 0;
  virtual float Left() const = 0;
  virtual float Height() const = 0;
  virtual float Width() const = 0;
  virtual void SetTop(float twips) = 0;
  virtual void SetLeft(float twips) = 0;
};

}  // namespace ostrel
