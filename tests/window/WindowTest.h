#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <memory>
#include <string>

#include "tests/window/Fakes.h"
#include "tests/window/StoreSeed.h"
#include "window/frmMain.h"

namespace ostrel::test {

// A main window on real password files in a temporary folder (which is
// also the documents folder), with fake message boxes, file dialogs and
// settings. The window is made by Open(), loaded and shown.
class WindowTest : public ::testing::Test {
 protected:
  static constexpr const char* kKey = "correct horse";

  void SetUp() override;
  void TearDown() override;

  std::string Folder() const { return dir_.path().toStdString(); }
  std::string Path(const std::string& name) const { return Folder() + "/" + name; }
  std::string DefaultFile() const { return Path("ostrel.xps"); }

  // Makes, loads and shows the window (replacing any earlier one).
  frmMain& Open();
  // Writes the default file with these users and sites.
  void Seed(const std::vector<SeedUser>& users, const std::vector<SeedSite>& sites = {});
  // Picks user index (1-based) on Login, types password, presses OK.
  void LogIn(int16_t index, const std::string& password);
  // Types into a text box as a user would (each character a key press).
  static void Type(QWidget* box, const std::string& text);
  // A key pressed where the window's focus is (or on the window).
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
  // The texts of the entries lstSites shows and their entry data.
  std::vector<std::string> SiteNames() const;
  std::vector<int> SiteSlots() const;
  QWidget* Focus() const { return window_->focusWidget(); }
  // Every box of the window that takes a password or the encryption key.
  std::vector<QLineEdit*> PasswordBoxes() const;
  // The store of another Ostrel program on the default file, keyed.
  std::unique_ptr<StoreContext> AnotherProgram() const;

  const MainPanels& P() const { return window_->Panels(); }
  frmMain& W() { return *window_; }

  QTemporaryDir dir_;
  FakeMessageBox box_;
  FakeFileDialogs dialogs_;
  FakeSettings settings_;
  FakeSystemTools tools_;
  FakeTimer idle_;
  FakeTimer clipboardTimer_;
  FakeLockSignals lock_;
  // The lock signals given to the window; &lock_ unless a test sets others.
  ILockSignals* lockSignals_ = &lock_;
  std::unique_ptr<frmMain> window_;
  // The hooks of the current load (made by the window at Load), unless
  // hooksFactory_ makes other ones.
  FakeHooks* hooks_ = nullptr;
  RecordingHooksFactory hooksFactory_;
  // How many of the next writes to a password file fail.
  int failWrites_ = 0;
};

}  // namespace ostrel::test
