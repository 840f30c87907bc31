#include "platform/qt/LinuxSystemTools.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace ostrel {

bool LinuxSystemTools::GetKeyValue(KeyRoot, const std::string&, const std::string&,
                                   std::string& keyVal) {
  keyVal.clear();
  return false;
}

bool LinuxSystemTools::FileExists(const std::string& path) {
  return QFileInfo(QString::fromStdString(path)).isFile();
}

std::string LinuxSystemTools::FindProgram(const std::string& name) {
  return QStandardPaths::findExecutable(QString::fromStdString(name)).toStdString();
}

bool LinuxSystemTools::StartProgram(const std::string& program,
                                    const std::vector<std::string>& arguments) {
  QStringList list;
  for (const std::string& argument : arguments) list << QString::fromStdString(argument);
  return QProcess::startDetached(QString::fromStdString(program), list);
}

}  // namespace ostrel
