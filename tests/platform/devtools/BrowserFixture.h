#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/devtools/ChromiumProcess.h"
#include "platform/devtools/DevToolsBrowser.h"
#include "platform/devtools/DevToolsEventPump.h"
#include "tests/common/TestServer.h"

namespace ostrel::test {

// One headless Chromium and two fixture servers (two origins) for a whole
// suite; each test gets a fresh tab.
class BrowserFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // Navigates the tab to path on the first server and waits until complete.
  void Open(const std::string& path);
  // Pumps events until done() or the time-out; returns done().
  bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  bool WaitComplete() { return PumpUntil([this] { return browser_->ReadyState() == 4; }); }
  // Runs script in the top page (through the test's own protocol calls)
  // and gives back its value as text.
  std::string Eval(const std::string& expression);
  // Focuses the element with that id and types text as a person would.
  void TypeInto(const std::string& element_id, const std::string& text);
  // Presses Enter in the focused element.
  void PressEnter();
  // A real mouse click at the centre of the element with that id.
  void MouseClick(const std::string& element_id);

  static std::unique_ptr<ChromiumProcess> chromium_;
  static std::unique_ptr<TestServer> server_;
  static std::unique_ptr<TestServer> other_server_;
  std::shared_ptr<DevToolsBrowser> browser_;
  std::unique_ptr<DevToolsEventPump> pump_;
};

}  // namespace ostrel::test
