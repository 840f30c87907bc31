#pragma once

#include <optional>
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
  // A short dialog asking for a secret (typed masked) with OK and Cancel;
  // gives what was typed, or nothing for Cancel. A box that cannot ask
  // answers as cancelled.
  virtual std::optional<std::string> AskSecret(const std::string& text) {
    static_cast<void>(text);
    return std::nullopt;
  }
};

}  // namespace ostrel
