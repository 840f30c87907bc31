#include "platform/devtools/DevToolsConnection.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "platform/devtools/DevToolsSession.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"
#include "tests/common/ErrorNumberOf.h"
#include "tests/platform/devtools/PipeEndsTest.h"

namespace ostrel {
namespace {

// A connection over pipes whose browser side is played by the test: answers
// are written before the call that expects them (ids count from 1).
class DevToolsConnectionTest : public PipeEndsTest {
 protected:
  void SetUp() override {
    PipeEndsTest::SetUp();
    connection_ = std::make_unique<DevToolsConnection>(MakeTransport());
    connection_->SetCallTimeout(std::chrono::milliseconds(300));
  }
  void TearDown() override {
    connection_.reset();
    PipeEndsTest::TearDown();
  }
  void BrowserSays(const nlohmann::json& message) { BrowserWrites(message.dump() + '\0'); }
  nlohmann::json LastSent() {
    char buffer[4096];
    ssize_t n = read(browser_in_, buffer, sizeof buffer);
    std::string all(buffer, static_cast<size_t>(n));
    all.pop_back();
    return nlohmann::json::parse(all.substr(all.rfind('\0') == std::string::npos ? 0 : all.rfind('\0') + 1));
  }

  std::unique_ptr<DevToolsConnection> connection_;
};

TEST_F(DevToolsConnectionTest, CallReturnsTheResultOfItsOwnId) {
  BrowserSays({{"id", 99}, {"result", {{"wrong", true}}}});
  BrowserSays({{"id", 1}, {"result", {{"product", "Chromium"}}}});
  auto result = connection_->Browser().Call("Browser.getVersion");
  EXPECT_EQ(result["product"], "Chromium");
  auto sent = LastSent();
  EXPECT_EQ(sent["id"], 1);
  EXPECT_EQ(sent["method"], "Browser.getVersion");
  EXPECT_EQ(connection_->RoundTrips(), 1u);
}

TEST_F(DevToolsConnectionTest, SessionMessagesAreRoutedBySessionId) {
  DevToolsSession tab(*connection_, "S1");
  std::vector<std::string> seen;
  tab.AddListener("Page.loadEventFired", [&](const nlohmann::json& p) { seen.push_back("tab:" + p["n"].dump()); });
  connection_->Browser().AddListener("Page.loadEventFired", [&](const nlohmann::json&) { seen.push_back("browser"); });
  BrowserSays({{"method", "Page.loadEventFired"}, {"params", {{"n", 1}}}, {"sessionId", "S1"}});
  BrowserSays({{"method", "Page.loadEventFired"}, {"params", {{"n", 2}}}, {"sessionId", "other"}});
  BrowserSays({{"id", 1}, {"result", {{"ok", 1}}}, {"sessionId", "S1"}});
  EXPECT_EQ(tab.Call("Page.enable")["ok"], 1);
  EXPECT_EQ(seen, std::vector<std::string>{"tab:1"});
  EXPECT_EQ(LastSent()["sessionId"], "S1");
}

TEST_F(DevToolsConnectionTest, ErrorAnswerNamesTheMethod) {
  BrowserSays({{"id", 1}, {"error", {{"code", -32000}, {"message", "Cannot find context with specified id"}}}});
  try {
    connection_->Browser().Call("Runtime.callFunctionOn");
    FAIL() << "no error";
  } catch (const OstrelError& e) {
    EXPECT_EQ(e.Number(), err::kObjectDisconnected);
    EXPECT_NE(e.Description().find("Runtime.callFunctionOn"), std::string::npos);
  }
  BrowserSays({{"id", 2}, {"error", {{"code", -32601}, {"message", "'Foo.bar' wasn't found"}}}});
  EXPECT_EQ(test::ErrorNumberOf([&] { connection_->Browser().Call("Foo.bar"); }), err::kBrowserProtocol);
}

TEST_F(DevToolsConnectionTest, NoAnswerTimesOutAndALateAnswerIsDropped) {
  auto start = std::chrono::steady_clock::now();
  try {
    connection_->Browser().Call("Page.navigate");
    FAIL() << "no error";
  } catch (const OstrelError& e) {
    EXPECT_EQ(e.Number(), err::kBrowserTimeout);
    EXPECT_NE(e.Description().find("Page.navigate"), std::string::npos);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  BrowserSays({{"id", 1}, {"result", {{"late", true}}}});
  BrowserSays({{"id", 2}, {"result", {{"fresh", true}}}});
  EXPECT_EQ(connection_->Browser().Call("Page.reload"), (nlohmann::json{{"fresh", true}}));
}

// An answer that is not well formed fails its call at once, with a
// numbered error, instead of leaving it to wait out the time-out; one whose
// page text holds a lone surrogate is read with the replacement character.
TEST_F(DevToolsConnectionTest, AMalformedAnswerFailsItsCallAtOnce) {
  connection_->SetCallTimeout(std::chrono::seconds(20));
  const std::vector<std::string> answers = {
      R"({"id":1,"result":[1,2]})",           R"({"id":2,"error":"refused"})",
      R"({"id":"3","result":{}})",            R"({"id":4,"result":{},"sessionId":7})",
      R"({"id":5,"result":{"title":"a",})",   R"({"id":6})",
  };
  for (const std::string& answer : answers) {
    BrowserWrites(answer + std::string(1, '\0'));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(test::ErrorNumberOf([&] { connection_->Browser().Call("Page.getTitle"); }), err::kBrowserProtocol)
        << answer;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << answer;
  }
  BrowserWrites(std::string("{\"id\":7,\"result\":{\"title\":\"a\\ud800b\"}}") + std::string(1, '\0'));
  EXPECT_EQ(connection_->Browser().Call("Page.getTitle")["title"], "a\xef\xbf\xbd" "b");
}

// A listener that fails on an event it did not expect loses that event
// only; the connection goes on.
TEST_F(DevToolsConnectionTest, AnEventWhoseHandlingFailsIsDropped) {
  int seen = 0;
  connection_->Browser().AddListener("Page.loadEventFired", [&](const nlohmann::json& p) {
    seen += p.at("n").get<int>();  // throws for a missing or mistyped field
  });
  BrowserSays({{"method", "Page.loadEventFired"}, {"params", {{"n", "one"}}}});
  BrowserSays({{"method", "Page.loadEventFired"}, {"params", nlohmann::json::object()}});
  BrowserSays({{"method", "Page.loadEventFired"}, {"params", {{"n", 2}}}});
  BrowserSays({{"id", 1}, {"result", nlohmann::json::object()}});
  EXPECT_NO_THROW(connection_->Browser().Call("Page.enable"));
  EXPECT_EQ(seen, 2);
}

TEST_F(DevToolsConnectionTest, ClosingThePipeFailsTheWaitingCallAndEveryLaterOne) {
  connection_->SetCallTimeout(std::chrono::seconds(20));
  BrowserSays({{"method", "Inspector.detached"}, {"params", nlohmann::json::object()}});
  std::string partial = "{\"id\":1,\"res";
  ASSERT_EQ(write(browser_out_, partial.data(), partial.size()), static_cast<ssize_t>(partial.size()));
  close(browser_out_);
  browser_out_ = -1;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(test::ErrorNumberOf([&] { connection_->Browser().Call("Runtime.evaluate"); }), err::kBrowserGone);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_TRUE(connection_->Closed());
  DevToolsSession later(*connection_, "S2");
  EXPECT_FALSE(later.Open());
  EXPECT_EQ(test::ErrorNumberOf([&] { later.Call("Page.enable"); }), err::kBrowserGone);
  later.Post("Runtime.releaseObjectGroup");  // does nothing, throws nothing
}

TEST_F(DevToolsConnectionTest, ListenerCanCallWhileTheOuterCallWaits) {
  // The event arrives while Outer waits; its listener makes a call of its
  // own (id 2), whose answer arrives before Outer's (id 1).
  std::string inner_result;
  connection_->Browser().AddListener("Debugger.paused", [&](const nlohmann::json&) {
    inner_result = connection_->Browser().Call("Inner")["v"];
  });
  BrowserSays({{"method", "Debugger.paused"}, {"params", nlohmann::json::object()}});
  BrowserSays({{"id", 2}, {"result", {{"v", "inner"}}}});
  BrowserSays({{"id", 1}, {"result", {{"v", "outer"}}}});
  EXPECT_EQ(connection_->Browser().Call("Outer")["v"], "outer");
  EXPECT_EQ(inner_result, "inner");
}

TEST_F(DevToolsConnectionTest, DetachedTargetFailsItsSessionOnly) {
  DevToolsSession tab(*connection_, "S1");
  BrowserSays({{"method", "Target.detachedFromTarget"}, {"params", {{"sessionId", "S1"}}}});
  connection_->ProcessPending(50);
  EXPECT_FALSE(tab.Open());
  EXPECT_THROW(tab.Call("Page.enable"), OstrelError);
  BrowserSays({{"id", 1}, {"result", nlohmann::json::object()}});
  EXPECT_NO_THROW(connection_->Browser().Call("Browser.getVersion"));
}

}  // namespace
}  // namespace ostrel
