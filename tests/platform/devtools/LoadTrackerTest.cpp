#include "platform/devtools/LoadTracker.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

class LoadTrackerTest : public ::testing::Test {
 protected:
  void LoadPage(const std::string& loader) {
    tracker_.StartedLoading();
    tracker_.Committed(loader);
    tracker_.Lifecycle(loader, "init");
    tracker_.Lifecycle(loader, "DOMContentLoaded");
    tracker_.Lifecycle(loader, "load");
    tracker_.StoppedLoading();
  }
  LoadTracker tracker_;
};

TEST_F(LoadTrackerTest, NavigateNeverReportsTheOldPagesCompletion) {
  LoadPage("old");
  ASSERT_EQ(tracker_.ReadyState(), 4);
  tracker_.NavigationRequested();
  EXPECT_EQ(tracker_.ReadyState(), 1);
  tracker_.NavigationAnswered("new");
  EXPECT_EQ(tracker_.ReadyState(), 1);
  tracker_.Lifecycle("old", "load");  // a late event of the old page
  EXPECT_EQ(tracker_.ReadyState(), 1);
  tracker_.Committed("new");
  tracker_.Lifecycle("new", "DOMContentLoaded");
  EXPECT_EQ(tracker_.ReadyState(), 3);
  tracker_.Lifecycle("new", "load");
  EXPECT_EQ(tracker_.ReadyState(), 4);
}

TEST_F(LoadTrackerTest, APageThatForwardsItselfIsFollowed) {
  LoadPage("old");
  tracker_.NavigationRequested();
  tracker_.NavigationAnswered("asked");
  tracker_.Committed("asked");
  tracker_.Lifecycle("asked", "DOMContentLoaded");
  tracker_.Lifecycle("forwarded", "init");  // location.replace before its load
  tracker_.Committed("forwarded");
  EXPECT_EQ(tracker_.ReadyState(), 1);
  tracker_.Lifecycle("forwarded", "load");
  EXPECT_EQ(tracker_.ReadyState(), 4);
}

TEST_F(LoadTrackerTest, LoadBeforeTheNavigateAnswerStillCounts) {
  LoadPage("old");
  tracker_.NavigationRequested();
  LoadPage("new");
  EXPECT_EQ(tracker_.ReadyState(), 1);
  tracker_.NavigationAnswered("new");
  EXPECT_EQ(tracker_.ReadyState(), 4);
}

TEST_F(LoadTrackerTest, SameDocumentNavigationKeepsTheState) {
  LoadPage("old");
  tracker_.NavigationRequested();
  tracker_.NavigationAnswered("");
  EXPECT_EQ(tracker_.ReadyState(), 4);
}

TEST_F(LoadTrackerTest, NavigationStartedByThePageReadsLoadingUntilLoaded) {
  LoadPage("old");
  tracker_.StartedLoading();
  EXPECT_EQ(tracker_.ReadyState(), 1);
  tracker_.Committed("new");
  EXPECT_EQ(tracker_.ReadyState(), 1);
  tracker_.Lifecycle("new", "load");
  EXPECT_EQ(tracker_.ReadyState(), 4);
}

TEST_F(LoadTrackerTest, AbortedNavigationGivesTheOldStateBack) {
  LoadPage("old");
  tracker_.StartedLoading();
  tracker_.StoppedLoading();
  EXPECT_EQ(tracker_.ReadyState(), 4);
}

TEST_F(LoadTrackerTest, NavigationCutOffByThePagesOwnStaysLoadingUntilAskedAgain) {
  LoadPage("old");
  const uint64_t first = tracker_.NavigationRequested();
  LoadPage("link");  // a link clicked a moment before commits instead
  tracker_.NavigationLost();
  EXPECT_TRUE(tracker_.Lost());
  EXPECT_EQ(tracker_.ShownState(), 4);
  EXPECT_EQ(tracker_.ReadyState(), 1);  // never the link's page taken for the one asked for
  const uint64_t second = tracker_.NavigationRequested();
  EXPECT_FALSE(tracker_.IsCurrent(first));  // a late answer to the first is not taken
  EXPECT_TRUE(tracker_.IsCurrent(second));
  EXPECT_FALSE(tracker_.Lost());
  tracker_.NavigationAnswered("asked");
  LoadPage("asked");
  EXPECT_EQ(tracker_.ReadyState(), 4);
}

}  // namespace
}  // namespace ostrel
