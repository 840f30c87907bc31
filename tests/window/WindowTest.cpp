#include "tests/window/WindowTest.h"

#include "store/BuiltInKey.h"

namespace ostrel::test {

void WindowTest::SetUp() { ASSERT_TRUE(dir_.isValid()); }

void WindowTest::TearDown() {
  if (window_) window_->close();
  window_.reset();
}

frmMain& WindowTest::Open() {
  if (window_) window_->close();
  window_.reset();  // its idle watch lets go of the shared timer
  WindowServices services;
  services.messages = &box_;
  services.dialogs = &dialogs_;
  services.settings = &settings_;
  services.tools = &tools_;
  services.idleTimer = &idle_;
  services.clipboardTimer = &clipboardTimer_;
  services.lockSignals = lockSignals_;
  const std::string folder = Folder();
  services.documentsFolder = [folder] { return folder; };
  services.files = [this] { return std::make_unique<SwitchableFiles>(&failWrites_); };
  window_ = std::make_unique<frmMain>(services);
  hooks_ = nullptr;
  if (hooksFactory_) {
    window_->SetRecordingHooks(hooksFactory_);
  } else {
    window_->SetRecordingHooks([this](frmMain&, StoreContext&) {
      auto hooks = std::make_unique<FakeHooks>();
      hooks_ = hooks.get();
      return hooks;
    });
  }
  window_->Load();
  if (!window_->IsLoaded()) return *window_;
  window_->show();
  window_->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  return *window_;
}

void WindowTest::Seed(const std::vector<SeedUser>& users, const std::vector<SeedSite>& sites) {
  SeedPasswordFile(DefaultFile(), kKey, users, sites);
}

void WindowTest::LogIn(int16_t index, const std::string& password) {
  QComboBox* list = P().cmbUserNames;
  list->setCurrentIndex(list->findData(index));
  P().txtPassword->setText(QString::fromStdString(password));
  P().cmdOK[4]->click();
}

void WindowTest::Type(QWidget* box, const std::string& text) {
  for (QChar ch : QString::fromUtf8(text)) {
    const auto key = static_cast<Qt::Key>(ch.toUpper().unicode());
    QTest::sendKeyEvent(QTest::Click, box, key, QString(ch), Qt::NoModifier);
  }
}

void WindowTest::Key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
  QWidget* target = window_->focusWidget() ? window_->focusWidget() : window_.get();
  QTest::keyClick(target, key, modifiers);
}

std::vector<QLineEdit*> WindowTest::PasswordBoxes() const {
  const MainPanels& p = P();
  return {p.txtPassword,     p.txtPassword1,    p.txtPassword2,   p.txtOldPassword,
          p.txtNewPassword1, p.txtNewPassword2, p.txtNewPassword, p.txtNewPasswordConfirm,
          p.txtEncryptionKey};
}

std::unique_ptr<StoreContext> WindowTest::AnotherProgram() const {
  auto context = std::make_unique<StoreContext>();
  context->HeaderCipher.SetSecret(BuildBuiltInKey());
  context->DataCipher.SetSecret(kKey);
  context->PasswordFileName = DefaultFile();
  return context;
}

std::vector<std::string> WindowTest::SiteNames() const {
  std::vector<std::string> names;
  for (int row = 0; row < P().lstSites->count(); ++row) {
    names.push_back(P().lstSites->text(row).toStdString());
  }
  return names;
}

std::vector<int> WindowTest::SiteSlots() const {
  std::vector<int> result;
  for (int row = 0; row < P().lstSites->count(); ++row) {
    result.push_back(P().lstSites->model()->index(row, 0).data(Qt::UserRole).toInt());
  }
  return result;
}

}  // namespace ostrel::test
