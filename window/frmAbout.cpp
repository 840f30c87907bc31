#include "window/frmAbout.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <sodium.h>

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

const std::vector<std::vector<std::string>>& frmAbout::DesktopTools() {
  static const std::vector<std::vector<std::string>> tools = {
      {"kinfocenter"},
      {"gnome-control-center", "info-overview"},
      {"cinnamon-settings", "info"},
      {"xfce4-about"},
      {"hardinfo"},
  };
  return tools;
}

frmAbout::frmAbout(IMessageBox& messages, ISystemTools& tools, QWidget* owner, const Facts& facts)
    : QDialog(owner), mMessages(messages), mTools(tools) {
  setWindowTitle(QStringLiteral("About ") + kTitle);
  setModal(true);
  if (owner) setFont(owner->font());
  setFixedSize(5730 / 15, 4830 / 15);

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
  // A long path keeps its beginning and its file name; the whole of it is
  // in the tool tip.
  const QString file = QString::fromStdString(facts.fileName);
  lblFileInUse = PanelLayout::PlainLabel(this, {}, 1050, 2355, 4455, 285);
  lblFileInUse->setText(QStringLiteral("File: ") +
                        (file.isEmpty() ? QStringLiteral("none yet")
                                        : lblFileInUse->fontMetrics().elidedText(
                                              file, Qt::ElideMiddle, 4455 / 15 - 30)));
  lblFileInUse->setToolTip(file);
  lblFileInUse->setTextInteractionFlags(Qt::TextSelectableByMouse);
  const QString browser = facts.browserVersion.empty()
                              ? QStringLiteral("Chromium (version not known)")
                              : QString::fromStdString(facts.browserVersion);
  lblComponents = PanelLayout::PlainLabel(
      this,
      QStringLiteral("Built on %1, Qt %2 and libsodium %3.")
          .arg(browser, QString::fromLatin1(qVersion()), QString::fromLatin1(sodium_version_string())),
      1050, 2700, 4455, 570);
  lblDisclaimer = PanelLayout::PlainLabel(this,
                                          "Warning: this program is protected by copyright law. "
                                          "Copying or distributing it, or any part of it, "
                                          "without permission is prohibited.",
                                          255, 3705, 3870, 825);
  cmdOK = new QPushButton(QStringLiteral("OK"), this);
  PanelLayout::Place(cmdOK, 4245, 3705, 1260, 375);
  cmdOK->setDefault(true);
  cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
  PanelLayout::Place(cmdSysInfo, 4260, 4155, 1245, 375);
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
    if (!program.empty() && mTools.StartProgram(program, {})) return;
    if (program.empty()) {
      for (const std::vector<std::string>& tool : DesktopTools()) {
        const std::string found = mTools.FindProgram(tool.front());
        if (!found.empty() && mTools.StartProgram(found, {tool.begin() + 1, tool.end()})) return;
      }
    }
  } catch (...) {
    // Any failure on the way means the tool is unavailable.
  }
  mMessages.Show("System Information Is Unavailable At This Time");
}

}  // namespace ostrel
