#pragma once

#include <string>

namespace ostrel {

// Where the documents-folder lookup looks. FromEnvironment() reads $HOME,
// $XDG_CONFIG_HOME and $XDG_DOCUMENTS_DIR of this process, and takes the
// folder of the file that holds Ostrel's code as the application path.
struct DocumentsLookup {
  std::string home;             // $HOME
  std::string configHome;       // $XDG_CONFIG_HOME; empty means home + "/.config"
  std::string documentsDir;     // $XDG_DOCUMENTS_DIR; empty when unset
  std::string applicationPath;  // folder of the program's own file

  static DocumentsLookup FromEnvironment();
};

// The user's documents folder, without a trailing "/":
//   1. $XDG_DOCUMENTS_DIR when set, else XDG_DOCUMENTS_DIR of
//      <configHome>/user-dirs.dirs ("$HOME/..." or an absolute path), else
//      home + "/Documents";
//   2. when that folder does not exist: the home folder, when it exists;
//   3. when there is no usable home folder either: the application path.
// Never throws; the result is empty only when even the application path is
// unknown.
std::string GetDocumentsFolder(const DocumentsLookup& lookup);
std::string GetDocumentsFolder();

}  // namespace ostrel
