// The log-off after a period without input in the window, and when the
// person leaves (the screen locks, the machine suspends).
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QProcess>
#include <filesystem>

#include "platform/qt/DBusLockSignals.h"

#include "tests/common/FileBytes.h"
#include "tests/window/WindowTest.h"

namespace ostrel::test {
namespace {

constexpr int64_t kMinute = 60 * 1000;

class IdleTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Seed({{"ann", "pw"}}, {{1, "alpha"}});
    Open();
    LogIn(1, "pw");
  }
};

TEST_F(IdleTest, TheSettingGivesThePeriodAndZeroTurnsItOff) {
  const std::pair<const char*, int64_t> rows[] = {
      {"", 10 * kMinute}, {"3", 3 * kMinute}, {"0", 0}, {"-4", 10 * kMinute}, {"ten", 10 * kMinute}};
  for (const auto& [setting, period] : rows) {
    settings_.values["IdleMinutes"] = setting;
    Open();
    EXPECT_EQ(idle_.active ? idle_.interval : 0, period) << setting;
  }
  W().close();
  EXPECT_FALSE(idle_.active);
}

TEST_F(IdleTest, ThePeriodEndsInALogOffThatChangesNothingElse) {
  const MainPanels& p = P();
  const std::vector<QLineEdit*> boxes = PasswordBoxes();
  for (QLineEdit* box : boxes) box->setText("secret");
  p.txtSiteName->setText("typed");
  const std::string file = ReadFileBytes(DefaultFile());
  const size_t writes = settings_.writes.size();
  idle_.Fire();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  EXPECT_FALSE(W().isVisible());
  EXPECT_EQ(hooks_->ended, 1);  // a recording given up ends with it
  for (QLineEdit* box : boxes) EXPECT_EQ(box->text(), "") << box->objectName().toStdString();
  EXPECT_EQ(p.txtSiteName->text(), "typed");
  EXPECT_EQ(W().SelectedUserIndex(), 1);
  EXPECT_EQ(P().lstSites->count(), 0);
  EXPECT_EQ(W().windowTitle(), "Ostrel");
  EXPECT_EQ(ReadFileBytes(DefaultFile()), file);
  EXPECT_EQ(settings_.writes.size(), writes);
  NoSite site;
  W().ShowOver(site);  // the button starts a period
  EXPECT_TRUE(idle_.active);
}

TEST_F(IdleTest, OnlyInputInTheWindowStartsThePeriodOver) {
  QWidget other;
  other.show();
  const int starts = idle_.starts;
  QTest::keyClick(&other, Qt::Key_A);
  QTest::mouseClick(&other, Qt::LeftButton);
  EXPECT_EQ(idle_.starts, starts);
  QTest::keyClick(P().lstSites, Qt::Key_Down);
  EXPECT_GT(idle_.starts, starts);
}

TEST_F(IdleTest, WorkUnderWayOrAnOpenQuestionIsNeverCut) {
  hooks_->inProgress = true;  // a recording or a Go To
  idle_.Fire();
  EXPECT_EQ(idle_.interval, IdleWatch::kBusyRetryMs);
  hooks_->inProgress = false;
  box_.onAsk = [this] { idle_.Fire(); };  // the next look comes during a question
  P().lstSites->setCurrentRow(0);
  P().cmdEdit->click();
  box_.answers = {false};
  P().cmdDeleteSite->click();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kModifySite);
  idle_.Fire();  // all has ended: a whole period follows
  EXPECT_EQ(idle_.interval, 10 * kMinute);
  idle_.Fire();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
  // A file without users keeps its panel.
  window_.reset();
  std::filesystem::remove(DefaultFile());
  Open();
  idle_.Fire();
  EXPECT_EQ(W().CurrentPanel(), frmMain::kWelcome);
}

// The person leaves while a question is open: the log-off waits for the
// handler to return (a real message box would be answered No).
TEST_F(IdleTest, LeavingDuringAQuestionLogsOffOnceItIsAnswered) {
  P().lstSites->setCurrentRow(0);
  P().cmdEdit->click();
  int panelDuringQuestion = -1;
  box_.onAsk = [&] {
    lock_.Leave();
    panelDuringQuestion = W().CurrentPanel();
  };
  box_.answers = {false};
  P().cmdDeleteSite->click();
  EXPECT_EQ(panelDuringQuestion, frmMain::kModifySite);
  EXPECT_TRUE(QTest::qWaitFor([this] { return W().CurrentPanel() == frmMain::kLogin; }, 2000));
  EXPECT_FALSE(W().isVisible());
  EXPECT_EQ(ReadSites(DefaultFile(), kKey).size(), 1u);
}

// login1's manager and the one session it knows.
class FakeLogin1 : public QDBusVirtualObject {
 public:
  static constexpr const char* kSession = "/org/freedesktop/login1/session/_31";
  QString introspect(const QString&) const override { return {}; }
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
    return connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(kSession))));
  }
};

// The real D-Bus signals of a desktop, sent on a dbus-daemon of the test's
// own.
class LockSignalsTest : public IdleTest {
 protected:
  void SetUp() override {
    daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    ASSERT_TRUE(daemon_.waitForReadyRead(5000)) << "dbus-daemon could not be started";
    const QString address = QString::fromUtf8(daemon_.readLine()).trimmed();
    desktop_ = QDBusConnection::connectToBus(address, "desktop");
    ASSERT_TRUE(desktop_.registerService("org.freedesktop.login1"));
    ASSERT_TRUE(desktop_.registerVirtualObject("/org/freedesktop/login1", &login1_));
    const QDBusConnection ostrel = QDBusConnection::connectToBus(address, "ostrel");
    signals_ = std::make_unique<DBusLockSignals>(ostrel, ostrel);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !signals_->SessionPath().isEmpty(); }, 5000));
    lockSignals_ = signals_.get();
    IdleTest::SetUp();
  }
  void TearDown() override {
    IdleTest::TearDown();
    signals_.reset();
    for (const char* name : {"desktop", "ostrel"}) QDBusConnection::disconnectFromBus(name);
    daemon_.kill();
    daemon_.waitForFinished();
  }
  void Send(const char* path, const char* interface, const char* member, QVariantList arguments) {
    QDBusMessage signal = QDBusMessage::createSignal(path, interface, member);
    signal.setArguments(arguments);
    ASSERT_TRUE(desktop_.send(signal));
  }

  QProcess daemon_;
  QDBusConnection desktop_{QString()};
  FakeLogin1 login1_;
  std::unique_ptr<DBusLockSignals> signals_;
};

TEST_F(LockSignalsTest, TheScreenLockingOrTheMachineSuspendingLogsOff) {
  const char *kLogin1 = "/org/freedesktop/login1", *kManager = "org.freedesktop.login1.Manager",
             *kSession = "org.freedesktop.login1.Session", *kSaver = "org.freedesktop.ScreenSaver";
  const struct {
    const char *path, *interface, *member;
    QVariantList arguments;
    bool leaves;
  } rows[] = {
      {kLogin1, kManager, "PrepareForSleep", {true}, true},
      {kLogin1, kManager, "PrepareForSleep", {false}, false},  // resumed
      {FakeLogin1::kSession, kSession, "Lock", {}, true},
      {"/org/freedesktop/login1/session/c2", kSession, "Lock", {}, false},  // somebody else's
      {"/ScreenSaver", kSaver, "ActiveChanged", {true}, true},
      {"/ScreenSaver", kSaver, "ActiveChanged", {false}, false},
      {"/org/gnome/ScreenSaver", "org.gnome.ScreenSaver", "ActiveChanged", {true}, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.path) + " " + row.member);
    if (W().CurrentPanel() != frmMain::kSiteList) LogIn(1, "pw");
    W().show();
    const int before = hooks_->ended;
    Send(row.path, row.interface, row.member, row.arguments);
    // A suspend after it, from the same sender, arrives after it.
    Send(kLogin1, kManager, "PrepareForSleep", {true});
    const int expected = before + (row.leaves ? 2 : 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return hooks_->ended >= expected; }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(hooks_->ended, expected);
    EXPECT_EQ(W().CurrentPanel(), frmMain::kLogin);
    EXPECT_FALSE(W().isVisible());
  }
  EXPECT_TRUE(box_.shown.empty());
}

}  // namespace
}  // namespace ostrel::test
