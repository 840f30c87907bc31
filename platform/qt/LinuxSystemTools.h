#pragma once

#include "platform/qt/ISystemTools.h"

namespace ostrel {

// The system tools on Linux: there is no registry, so GetKeyValue always
// fails (and the about box says system information is unavailable); files
// and programs are the real ones.
class LinuxSystemTools : public ISystemTools {
 public:
  bool GetKeyValue(KeyRoot keyRoot, const std::string& keyName, const std::string& subKeyRef,
                   std::string& keyVal) override;
  bool FileExists(const std::string& path) override;
  bool StartProgram(const std::string& program) override;
};

}  // namespace ostrel
