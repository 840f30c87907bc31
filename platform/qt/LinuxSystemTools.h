#pragma once

#include "platform/qt/ISystemTools.h"

namespace ostrel {

// The system tools on Linux: there is no registry, so GetKeyValue always
// fails; files and programs are the real ones.
class LinuxSystemTools : public ISystemTools {
 public:
  bool GetKeyValue(KeyRoot keyRoot, const std::string& keyName, const std::string& subKeyRef,
                   std::string& keyVal) override;
  bool FileExists(const std::string& path) override;
  std::string FindProgram(const std::string& name) override;
  bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) override;
};

}  // namespace ostrel
