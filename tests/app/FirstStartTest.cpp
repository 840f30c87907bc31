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

// The toolbar button shows Ostrel's own icon, the desktop entry's, at each
// size the manifest names.
TEST(ToolbarIconTest, TheButtonShowsTheDesktopEntrysIcon) {
  std::ifstream in(kSource / "app/extension/manifest.json");
  const nlohmann::json manifest = nlohmann::json::parse(in);
  const nlohmann::json& icons = manifest["action"]["default_icon"];
  ASSERT_EQ(icons.size(), 4u);
  EXPECT_EQ(manifest["icons"], icons);
  QSvgRenderer desktopIcon(QString::fromStdString((kSource / "packaging/ostrel.svg").string()));
  ASSERT_TRUE(desktopIcon.isValid());
  for (const auto& [size, file] : icons.items()) {
    const QImage shown(QString::fromStdString((kSource / "app/extension" / file.get<std::string>()).string()));
    const int pixels = std::stoi(size);
    ASSERT_EQ(shown.size(), QSize(pixels, pixels)) << file;
    QImage drawn(pixels, pixels, QImage::Format_ARGB32);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    desktopIcon.render(&painter);
    painter.end();
    int worst = 0;
    const QImage a = shown.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < pixels; ++y) {
      for (int x = 0; x < pixels; ++x) {
        const QColor p = a.pixelColor(x, y), q = drawn.pixelColor(x, y);
        worst = std::max({worst, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                          std::abs(p.blue() - q.blue()), std::abs(p.alpha() - q.alpha())});
      }
    }
    EXPECT_LE(worst, 8) << file;
  }
}

// The pages of the browser, by address.
std::vector<std::string> Pages(OstrelSession& session) {
  std::vector<std::string> urls;
  for (const TargetInfo& target : session.Chromium().Targets()) {
    if (target.type == "page") urls.push_back(target.url);
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
    EXPECT_TRUE(QTest::qWaitFor([&] { return Pages(session) == std::vector<std::string>{welcome}; }, 10000));
    EXPECT_EQ(Pages(session), std::vector<std::string>{welcome});
    EXPECT_EQ(session.BrowserVersion().rfind("Chromium ", 0), 0u) << session.BrowserVersion();
    // The page is whole: its pictures (the button's icon) load.
    std::string tab;
    for (const TargetInfo& target : session.Chromium().Targets()) {
      if (target.type == "page") tab = target.id;
    }
    auto page = session.Chromium().Attach(tab);
    const std::string script =
        "document.readyState === 'complete' && document.title + '|' + "
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
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(options.profile) / OstrelSession::kWelcomedMarker));
  OstrelSession again(options, services, box, [] {});
  EXPECT_EQ(Pages(again), std::vector<std::string>{"about:blank"});
  EXPECT_TRUE(box.shown.empty());
}

}  // namespace
}  // namespace ostrel::test
