#include "platform/devtools/PipeTransport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/platform/devtools/PipeEndsTest.h"

namespace ostrel {
namespace {

// A transport whose far ends the test holds.
class PipeTransportTest : public PipeEndsTest {
 protected:
  void SetUp() override {
    PipeEndsTest::SetUp();
    transport_ = MakeTransport();
  }
  void TearDown() override {
    transport_.reset();
    PipeEndsTest::TearDown();
  }
  std::vector<std::string> Receive() {
    std::vector<std::string> out;
    transport_->Receive(100, out);
    return out;
  }

  std::unique_ptr<PipeTransport> transport_;
};

TEST_F(PipeTransportTest, TwoMessagesInOneReadAreSplit) {
  BrowserWrites(std::string("{\"id\":1}\0{\"id\":2}\0", 18));
  EXPECT_EQ(Receive(), (std::vector<std::string>{"{\"id\":1}", "{\"id\":2}"}));
}

TEST_F(PipeTransportTest, MessageSplitAcrossReadsIsHandedOutWhole) {
  BrowserWrites("{\"method\":\"Page.");
  EXPECT_TRUE(Receive().empty());
  BrowserWrites(std::string("load\"}\0{\"id\"", 12));
  EXPECT_EQ(Receive(), std::vector<std::string>{"{\"method\":\"Page.load\"}"});
  BrowserWrites(std::string(":3}\0", 4));
  EXPECT_EQ(Receive(), std::vector<std::string>{"{\"id\":3}"});
}

TEST_F(PipeTransportTest, SplitInsideMultiByteCharacterKeepsTheBytes) {
  const std::string message = "{\"title\":\"Caf\xC3\xA9 \xE2\x82\xAC\"}";
  size_t cut = message.find('\xC3') + 1;  // between the two bytes of the e-acute
  BrowserWrites(message.substr(0, cut));
  EXPECT_TRUE(Receive().empty());
  size_t cut2 = message.find('\xE2') + 2;  // inside the euro sign
  BrowserWrites(message.substr(cut, cut2 - cut));
  EXPECT_TRUE(Receive().empty());
  BrowserWrites(message.substr(cut2) + std::string(1, '\0'));
  EXPECT_EQ(Receive(), std::vector<std::string>{message});
}

TEST_F(PipeTransportTest, PipeClosingMidMessageDropsTheRestAndCloses) {
  BrowserWrites(std::string("{\"id\":1}\0{\"id\":", 15));
  close(browser_out_);
  browser_out_ = -1;
  std::vector<std::string> out;
  EXPECT_FALSE(transport_->Receive(100, out));
  EXPECT_EQ(out, std::vector<std::string>{"{\"id\":1}"});
  EXPECT_TRUE(transport_->Closed());
  EXPECT_EQ(transport_->ReadFd(), -1);
  out.clear();
  EXPECT_FALSE(transport_->Receive(0, out));
  EXPECT_TRUE(out.empty());
}

TEST_F(PipeTransportTest, SendAppendsOneNul) {
  ASSERT_TRUE(transport_->Send("{\"id\":7}"));
  char buffer[64];
  ssize_t n = read(browser_in_, buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, static_cast<size_t>(n)), std::string("{\"id\":7}\0", 9));
}

TEST_F(PipeTransportTest, SendToClosedPipeFailsWithoutSigpipe) {
  close(browser_in_);
  browser_in_ = -1;
  // With the default action SIGPIPE would end this test program.
  struct sigaction old_action {};
  struct sigaction default_action {};
  default_action.sa_handler = SIG_DFL;
  sigaction(SIGPIPE, &default_action, &old_action);
  EXPECT_FALSE(transport_->Send("{\"id\":1}"));
  EXPECT_TRUE(transport_->Closed());
  EXPECT_FALSE(transport_->Send("{\"id\":2}"));
  sigset_t pending;
  sigpending(&pending);
  EXPECT_FALSE(sigismember(&pending, SIGPIPE));
  sigaction(SIGPIPE, &old_action, nullptr);
}

}  // namespace
}  // namespace ostrel
