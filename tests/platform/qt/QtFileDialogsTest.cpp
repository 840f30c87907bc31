#include "platform/qt/QtFileDialogs.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QTemporaryDir>
#include <fstream>

#include "tests/platform/qt/ModalAnswer.h"

namespace ostrel {
namespace {

class QtFileDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    std::ofstream(Path("data.xps")) << "x";
  }
  std::string Folder() const { return dir_.path().toStdString(); }
  std::string Path(const std::string& name) const { return Folder() + "/" + name; }

  QTemporaryDir dir_;
  QtFileDialogs dialogs_;
};

TEST_F(QtFileDialogsTest, OpenShowsTitleFolderAndFilterAndGivesThePath) {
  QString title, folder;
  QStringList filters;
  QFileDialog::AcceptMode mode = QFileDialog::AcceptSave;
  const std::string wanted = Path("data.xps");
  test::AnswerNextModal<QFileDialog>([&](QFileDialog* dialog) {
    title = dialog->windowTitle();
    folder = dialog->directory().absolutePath();
    filters = dialog->nameFilters();
    mode = dialog->acceptMode();
    dialog->selectFile(QString::fromStdString(wanted));
    static_cast<QDialog*>(dialog)->accept();
  });
  EXPECT_EQ(dialogs_.OpenFile("Select another Ostrel file", Folder(), "All Files (*.xps)"), wanted);
  EXPECT_EQ(title, "Select another Ostrel file");
  EXPECT_EQ(folder.toStdString(), Folder());
  EXPECT_EQ(filters, QStringList{"All Files (*.xps)"});
  EXPECT_EQ(mode, QFileDialog::AcceptOpen);
}

TEST_F(QtFileDialogsTest, CancelGivesAnEmptyName) {
  test::AnswerNextModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
  EXPECT_EQ(dialogs_.OpenFile("Open", "", "All Files (*.xps)"), "");
}

TEST_F(QtFileDialogsTest, SaveTakesAnExistingFileWithoutAQuestion) {
  bool confirms = true;
  const std::string wanted = Path("data.xps");
  test::AnswerNextModal<QFileDialog>([&](QFileDialog* dialog) {
    confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
    dialog->selectFile(QString::fromStdString(wanted));
    static_cast<QDialog*>(dialog)->accept();
  });
  EXPECT_EQ(dialogs_.SaveFile("Copy your Ostrel file to another location", Folder(),
                              "All Files (*.xps)"),
            wanted);
  EXPECT_FALSE(confirms);
}

TEST_F(QtFileDialogsTest, ANameTypedWithoutExtensionGetsTheFiltersOne) {
  // Saving "copy" makes "copy.xps"; opening "data" finds "data.xps".
  const std::pair<bool, const char*> rows[] = {{true, "copy"}, {false, "data"}};
  for (const auto& [save, typed] : rows) {
    test::AnswerNextModal<QFileDialog>([&, typed = typed](QFileDialog* dialog) {
      dialog->selectFile(QString::fromStdString(Path(typed)));
      static_cast<QDialog*>(dialog)->accept();
    });
    const std::string chosen = save ? dialogs_.SaveFile("Copy", Folder(), "All Files (*.xps)")
                                    : dialogs_.OpenFile("Open", Folder(), "All Files (*.xps)");
    EXPECT_EQ(chosen, Path(typed) + ".xps");
  }
}

}  // namespace
}  // namespace ostrel
