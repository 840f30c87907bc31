#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "platform/devtools/PipeTransport.h"

namespace ostrel {

// Two pipes whose browser ends the test holds: what the test writes to
// browser_out_ arrives as the browser's messages; what Ostrel sends can be
// read from browser_in_. A fixture deriving from this one resets what owns
// the transport before calling this TearDown.
class PipeEndsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int to_us[2], to_browser[2];
    ASSERT_EQ(pipe(to_us), 0);
    ASSERT_EQ(pipe(to_browser), 0);
    browser_out_ = to_us[1];
    browser_in_ = to_browser[0];
    our_in_ = to_us[0];
    our_out_ = to_browser[1];
  }
  void TearDown() override {
    if (browser_out_ >= 0) close(browser_out_);
    if (browser_in_ >= 0) close(browser_in_);
  }
  // A transport over Ostrel's ends of the pipes; call once.
  std::unique_ptr<PipeTransport> MakeTransport() { return std::make_unique<PipeTransport>(our_in_, our_out_); }
  void BrowserWrites(const std::string& bytes) {
    ASSERT_EQ(write(browser_out_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }

  int browser_out_ = -1;
  int browser_in_ = -1;

 private:
  int our_in_ = -1;
  int our_out_ = -1;
};

}  // namespace ostrel
