#pragma once

#include <string>

namespace ostrel {

// The standard file choosers. filter is in the dialogs' own notation, for
// example "All Files (*.xps)". Each call is modal and gives back the chosen
// full path ("/" separators), or an empty string when the user cancelled. A
// name typed without an extension gets the filter's first one.
class IFileDialogs {
 public:
  virtual ~IFileDialogs() = default;
  // Chooses an existing file. initialFolder may be empty (the dialog's own
  // choice).
  virtual std::string OpenFile(const std::string& title, const std::string& initialFolder,
                               const std::string& filter) = 0;
  // Chooses a file to write; an existing file may be chosen without any
  // overwrite question.
  virtual std::string SaveFile(const std::string& title, const std::string& initialFolder,
                               const std::string& filter) = 0;
};

}  // namespace ostrel
