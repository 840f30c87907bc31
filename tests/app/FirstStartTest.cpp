// What a person meets first: the toolbar button's icon, and the welcome
// page a first start shows in the real (headless) Chromium.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "app/OstrelSession.h"
#include "platform/devtools/JsonFields.h"
#include "tests/window/Fakes.h"

namespace ostrel::test {
namespace {

const std::filesystem::path kSource = OSTREL_SOURCE_DIR;

// The toolbar button shows the desktop entry's icon at each size it names.
TEST(ToolbarIconTest, TheButtonShowsTheDesktopEntrysIcon) {
  const nlohmann::json manifest = nlohmann::json::parse(std::ifstream(kSource / "app/extension/manifest.json"));
  const nlohmann::json& icons = manifest["action"]["default_icon"];
  EXPECT_EQ(manifest["icons"], icons);
  QSvgRenderer desktopIcon(QString::fromStdString((kSource / "packaging/ostrel.svg").string()));
  for (const auto& [size, file] : icons.items()) {
    QImage drawn(std::stoi(size), std::stoi(size), QImage::Format_ARGB32);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    desktopIcon.render(&painter);
    painter.end();
    const QString shown = QString::fromStdString((kSource / "app/extension" / file.get<std::string>()).string());
    EXPECT_EQ(QImage(shown).convertToFormat(QImage::Format_ARGB32), drawn) << file;
  }
}

// The pages of the browser, by address, and the last one's target id.
std::vector<std::string> Pages(OstrelSession& session, std::string* last = nullptr) {
  std::vector<std::string> urls;
  for (const TargetInfo& target : session.Chromium().Targets()) {
    if (target.type != "page") continue;
    urls.push_back(target.url);
    if (last) *last = target.id;
  }
  return urls;
}

TEST(FirstStartTest, TheFirstStartShowsTheWelcomePageAndLaterStartsDoNot) {
  QTemporaryDir profile;
  FakeMessageBox box;
  SessionOptions options;
  options.headless = true;
  options.profile = profile.path().toStdString();
  options.welcome = true;
  auto services = [&box] {
    WindowServices services;
    services.messages = &box;
    return services;
  };
  {
    OstrelSession session(options, services, box, [] {});
    const std::string welcome = "chrome-extension://" + session.ExtensionId() + "/welcome.html";
    std::string tab;
    EXPECT_TRUE(QTest::qWaitFor([&] { return Pages(session, &tab) == std::vector<std::string>{welcome}; }, 10000));
    EXPECT_EQ(session.BrowserVersion().rfind("Chromium ", 0), 0u) << session.BrowserVersion();
    // The page is whole: its pictures (the button's icon) load.
    auto page = session.Chromium().Attach(tab);
    // The tab's first, empty document answers too until the page commits.
    const std::string script =
        "location.href === '" + welcome + "' && document.readyState === 'complete' && document.title + '|' + "
        "[...document.images].every(i => i.complete && i.naturalWidth > 0) + '|' + "
        "document.body.innerText.includes('Alt+Shift+O')";
    std::string seen;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          const auto result = page->Call("Runtime.evaluate", {{"expression", script}, {"returnByValue", true}});
          const auto value = devtools::Obj(result, "result");
          seen = value.contains("value") && value["value"].is_string() ? value["value"].get<std::string>() : "";
          return !seen.empty();
        },
        10000));
    EXPECT_EQ(seen, "Welcome to Ostrel|true|true");
  }
  OstrelSession again(options, services, box, [] {});
  EXPECT_EQ(Pages(again), std::vector<std::string>{"about:blank"});
  EXPECT_TRUE(box.shown.empty());
}

}  // namespace
}  // namespace ostrel::test
