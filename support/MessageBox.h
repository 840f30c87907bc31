#pragma once

#include <string>

namespace ostrel {

// Modal message boxes captioned with the application's title ("Ostrel").
// The window layer supplies the real one; tests answer through a fake.
class IMessageBox {
 public:
  virtual ~IMessageBox() = default;
  // A message with an OK button only, no icon; returns when it is closed.
  virtual void Show(const std::string& text) = 0;
  // A question with Yes and No buttons; true only for Yes.
  virtual bool AskYesNo(const std::string& text) = 0;
};

}  // namespace ostrel
