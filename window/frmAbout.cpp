#include "window/frmAbout.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "window/PanelLayout.h"

namespace ostrel {

namespace {

const char kTitle[] = "Ostrel";

// The logo: a shield with a keyhole.
QPixmap Logo() {
  QPixmap pixmap(48, 48);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x1f, 0x4e, 0x79));
  QPainterPath shield;
  shield.moveTo(24, 2);
  shield.lineTo(44, 9);
  shield.cubicTo(44, 30, 36, 40, 24, 46);
  shield.cubicTo(12, 40, 4, 30, 4, 9);
  shield.closeSubpath();
  painter.drawPath(shield);
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(24, 20), 6, 6);
  painter.drawRect(QRectF(21.5, 22, 5, 13));
  return pixmap;
}

}  // namespace

frmAbout::frmAbout(IMessageBox& messages, ISystemTools& tools, QWidget* owner)
    : QDialog(owner), mMessages(messages), mTools(tools) {
  setWindowTitle(QStringLiteral("About ") + kTitle);
  setModal(true);
  if (owner) setFont(owner->font());
  setFixedSize(5730 / 15, 3750 / 15);

  picLogo = new QLabel(this);
  picLogo->setPixmap(Logo());
  PanelLayout::Place(picLogo, 240, 240, 720, 720);
  lblTitle = PanelLayout::PlainLabel(this, kTitle, 1050, 240, 4200, 480);
  QFont titleFont = lblTitle->font();
  titleFont.setBold(true);
  titleFont.setPixelSize(20);
  lblTitle->setFont(titleFont);
  lblVersion = PanelLayout::PlainLabel(this,
                                       QStringLiteral("Version %1.%2.%3")
                                           .arg(OSTREL_VERSION_MAJOR)
                                           .arg(OSTREL_VERSION_MINOR)
                                           .arg(OSTREL_VERSION_PATCH),
                                       1050, 780, 4200, 285);
  lblDescription = PanelLayout::PlainLabel(this,
                                           "Your most secure storage for all your usernames and "
                                           "passwords on the Internet.",
                                           1050, 1125, 4200, 570);
  Label1 = PanelLayout::PlainLabel(
      this, "Everything Ostrel keeps is encrypted in your Ostrel file, on this computer.", 1050,
      1740, 4200, 570);
  lblDisclaimer = PanelLayout::PlainLabel(this,
                                          "Warning: this program is protected by copyright law. "
                                          "Copying or distributing it, or any part of it, "
                                          "without permission is prohibited.",
                                          255, 2625, 3870, 825);
  cmdOK = new QPushButton(QStringLiteral("OK"), this);
  PanelLayout::Place(cmdOK, 4245, 2625, 1260, 375);
  cmdOK->setDefault(true);
  cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
  PanelLayout::Place(cmdSysInfo, 4260, 3075, 1245, 375);
  connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(cmdSysInfo, &QPushButton::clicked, this, [this] { StartSysInfo(); });
}

void frmAbout::StartSysInfo() {
  using Root = ISystemTools::KeyRoot;
  std::string program;
  try {
    std::string value;
    if (mTools.GetKeyValue(Root::kLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO",
                           "PATH", value)) {
      program = value;
    } else if (mTools.GetKeyValue(Root::kLocalMachine,
                                  "SOFTWARE\\Microsoft\\Shared Tools Location", "MSINFO",
                                  value) &&
               mTools.FileExists(value + "\\MSINFO32.EXE")) {
      program = value + "\\MSINFO32.EXE";
    }
    if (!program.empty() && mTools.StartProgram(program)) return;
  } catch (...) {
    // Any failure on the way means the tool is unavailable.
  }
  mMessages.Show("System Information Is Unavailable At This Time");
}

}  // namespace ostrel
