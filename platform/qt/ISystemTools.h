#pragma once

#include <string>
#include <vector>

namespace ostrel {

// What the about box needs to start the platform's system information tool:
// reading a text value of the system registry, finding a program and
// starting it.
class ISystemTools {
 public:
  enum class KeyRoot { kLocalMachine };

  virtual ~ISystemTools() = default;
  // Reads value subKeyRef of keyName under keyRoot. On success: true, and
  // keyVal holds the text of a string value (unchanged for a value of another
  // type). On failure (no registry, no such key or value): false and keyVal
  // empty.
  virtual bool GetKeyValue(KeyRoot keyRoot, const std::string& keyName,
                           const std::string& subKeyRef, std::string& keyVal) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  // The full path of the program called name on the search path (PATH);
  // empty when there is none.
  virtual std::string FindProgram(const std::string& name) = 0;
  // Starts program with arguments, with a normal, focused window, and does
  // not wait for it; false when it could not be started.
  virtual bool StartProgram(const std::string& program,
                            const std::vector<std::string>& arguments) = 0;
};

}  // namespace ostrel
