#include "platform/qt/LinuxSystemTools.h"

#include <QFileInfo>
#include <QProcess>

namespace ostrel {

bool LinuxSystemTools::GetKeyValue(KeyRoot, const std::string&, const std::string&,
                                   std::string& keyVal) {
  keyVal.clear();
  return false;
}

bool LinuxSystemTools::FileExists(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).isFile();
}

bool LinuxSystemTools::StartProgram(const std::string& program) {
  return QProcess::startDetached(QString::fromStdString(program), {});
}

}  // namespace ostrel
