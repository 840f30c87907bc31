#include "platform/qt/QtMessageBox.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMessageBox>

#include "tests/platform/qt/ModalAnswer.h"

namespace ostrel {
namespace {

struct SeenBox {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::Information;
  QMessageBox::StandardButtons buttons;
};

// Answers the next QMessageBox by pressing `press`, noting what it showed.
void Answer(SeenBox& seen, QMessageBox::StandardButton press) {
  test::AnswerNextModal<QMessageBox>([&seen, press](QMessageBox* box) {
    seen.title = box->windowTitle();
    seen.text = box->text();
    seen.icon = box->icon();
    seen.buttons = box->standardButtons();
    box->button(press)->click();
  });
}

TEST(QtMessageBoxTest, ShowHasOkOnlyAndTheApplicationTitle) {
  QtMessageBox boxes;
  SeenBox seen;
  Answer(seen, QMessageBox::Ok);
  boxes.Show("Invalid password.");
  EXPECT_EQ(seen.title, "Ostrel");
  EXPECT_EQ(seen.text, "Invalid password.");
  EXPECT_EQ(seen.icon, QMessageBox::NoIcon);
  EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST(QtMessageBoxTest, TextIsShownPlainNotAsMarkup) {
  QWidget owner;
  QtMessageBox boxes(&owner);
  SeenBox seen;
  test::AnswerNextModal<QMessageBox>([&seen](QMessageBox* box) {
    seen.text = box->text();
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    box->button(QMessageBox::Ok)->click();
  });
  boxes.Show("<b>site</b>");
  EXPECT_EQ(seen.text, "<b>site</b>");
}

TEST(QtMessageBoxTest, AskYesNoIsTrueOnlyForYes) {
  QtMessageBox boxes;
  SeenBox seen;
  Answer(seen, QMessageBox::Yes);
  EXPECT_TRUE(boxes.AskYesNo("Are you sure you want to delete this user?"));
  EXPECT_EQ(seen.title, "Ostrel");
  EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);

  Answer(seen, QMessageBox::No);
  EXPECT_FALSE(boxes.AskYesNo("Are you sure you want to delete this user?"));
}

TEST(QtMessageBoxTest, EscapeOnAQuestionMeansNo) {
  QtMessageBox boxes;
  test::AnswerNextModal<QMessageBox>([](QMessageBox* box) { box->reject(); });
  EXPECT_FALSE(boxes.AskYesNo("Are you sure you want to delete this site from your list?"));
}

}  // namespace
}  // namespace ostrel
