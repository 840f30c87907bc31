#include "platform/qt/LinuxSystemTools.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <fstream>
#include <sys/stat.h>

namespace ostrel {
namespace {

TEST(LinuxSystemToolsTest, ThereIsNoRegistry) {
  LinuxSystemTools tools;
  std::string value = "left over";
  EXPECT_FALSE(tools.GetKeyValue(ISystemTools::KeyRoot::kLocalMachine,
                                 "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", value));
  EXPECT_EQ(value, "");
}

TEST(LinuxSystemToolsTest, FileExistsOnlyForFiles) {
  QTemporaryDir dir;
  const std::string file = dir.filePath("MSINFO32.EXE").toStdString();
  std::ofstream(file) << "x";
  LinuxSystemTools tools;
  EXPECT_TRUE(tools.FileExists(file));
  EXPECT_FALSE(tools.FileExists(dir.path().toStdString()));
  EXPECT_FALSE(tools.FileExists(file + ".missing"));
}

TEST(LinuxSystemToolsTest, StartsAProgramWithItsArgumentsWithoutWaitingForIt) {
  QTemporaryDir dir;
  const QString script = dir.filePath("tool.sh");
  const QString mark = dir.filePath("started");
  std::ofstream(script.toStdString()) << "#!/bin/sh\necho \"$1\" > '" << mark.toStdString() << "'\n";
  chmod(script.toLocal8Bit().constData(), 0700);
  LinuxSystemTools tools;
  ASSERT_TRUE(tools.StartProgram(script.toStdString(), {"info overview"}));
  std::string written;
  QElapsedTimer clock;
  clock.start();
  while (written.empty() && clock.elapsed() < 5000) {
    std::ifstream in(mark.toStdString());
    std::getline(in, written);
    if (written.empty()) QThread::msleep(10);
  }
  EXPECT_EQ(written, "info overview");
  EXPECT_FALSE(tools.StartProgram(dir.filePath("no-such-tool").toStdString(), {}));
}

}  // namespace
}  // namespace ostrel
