#include "support/ShowError.h"

#include "support/ErrorText.h"

namespace ostrel {

void ShowError(IMessageBox& box, int32_t number, const std::string& text) {
  box.Show(text.empty() ? ErrorText(number) : text);
}

}  // namespace ostrel
