#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "ScenarioCase.h"
#include "app/ProfilePreferences.h"

namespace ostrel {
namespace {

class TempFolder : public ::testing::Test {
 protected:
  TempFolder() {
    dir = std::filesystem::temp_directory_path() /
          ("ostrel-app-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  ~TempFolder() override { std::filesystem::remove_all(dir); }

  void Write(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
  }
  std::string Read(const std::filesystem::path& file) {
    std::ifstream in(file);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::filesystem::path dir;
};

using ProfileTest = TempFolder;

TEST_F(ProfileTest, ANewProfileGetsTheButtonPinned) {
  EXPECT_TRUE(PrepareProfile(dir, "abc"));
  auto prefs = nlohmann::json::parse(Read(dir / "Default" / "Preferences"));
  EXPECT_EQ(prefs["extensions"]["pinned_extensions"], nlohmann::json::array({"abc"}));
  EXPECT_EQ(prefs["credentials_enable_service"], false);
  EXPECT_EQ(prefs["profile"]["password_manager_enabled"], false);
  for (const char* key : {"enabled", "profile_enabled", "credit_card_enabled"}) {
    EXPECT_EQ(prefs["autofill"][key], false) << key;  // no form suggestions, no form history
  }
}

TEST_F(ProfileTest, OtherPreferencesAndPinsAreKeptAndThePinIsNotRepeated) {
  Write(dir / "Default" / "Preferences",
        R"({"homepage":"x","profile":{"name":"me"},"extensions":{"pinned_extensions":["other"],"theme":{"id":"t"}}})");
  EXPECT_TRUE(PrepareProfile(dir, "abc"));
  EXPECT_TRUE(PrepareProfile(dir, "abc"));
  auto prefs = nlohmann::json::parse(Read(dir / "Default" / "Preferences"));
  EXPECT_EQ(prefs["homepage"], "x");
  EXPECT_EQ(prefs["profile"]["name"], "me");
  EXPECT_EQ(prefs["extensions"]["theme"]["id"], "t");
  EXPECT_EQ(prefs["extensions"]["pinned_extensions"], nlohmann::json::array({"other", "abc"}));
}

// Session files of an earlier run (which may hold posted logins) go, and
// none can be written again.
TEST_F(ProfileTest, TheBrowserCanKeepNoSessionFiles) {
  Write(dir / "Default" / "Sessions" / "Session_1", "user=me&pw=secret");
  EXPECT_TRUE(PrepareProfile(dir, "abc"));
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "Default" / "Sessions"));
  EXPECT_EQ(Read(dir / "Default" / "Sessions"), "");
  EXPECT_TRUE(PrepareProfile(dir, "abc"));
}

TEST_F(ProfileTest, AnUnreadablePreferencesFileIsLeftAlone) {
  Write(dir / "Default" / "Preferences", "{not json");
  EXPECT_FALSE(PrepareProfile(dir, "abc"));
  EXPECT_EQ(Read(dir / "Default" / "Preferences"), "{not json");
}

using CaseFileTest = TempFolder;

TEST_F(CaseFileTest, ReadsEveryPartOfACase) {
  Write(dir / "c" / "case.json", R"({
    "start": "login.html",
    "type": [{"frame": null, "selector": "#user", "text": "alice"},
             {"frame": 1, "selector": "input[name=pw]", "text": "s3cret"}],
    "submit": {"frame": null, "click": "#go"},
    "name": "My bank", "expect_name": "Test Login",
    "replay_serve": {"login.html": "login_v2.html"},
    "expect": {"method": "POST", "path": "/login", "fields": {"user": "alice", "pw": "s3cret"}}})");
  auto c = scenario::LoadCase(dir / "c");
  EXPECT_EQ(c.name, "c");
  using Kind = scenario::Step::Kind;
  ASSERT_EQ(c.steps.size(), 3u) << "the typed texts, then the submit";
  EXPECT_EQ(c.steps[0].kind, Kind::kType);
  EXPECT_EQ(c.steps[0].frame, scenario::FramePath{});
  EXPECT_EQ(c.steps[1].frame, scenario::FramePath{1});
  EXPECT_EQ(c.steps[1].text, "s3cret");
  EXPECT_EQ(c.steps[2].kind, Kind::kClick);
  EXPECT_EQ(c.steps[2].selector, "#go");
  EXPECT_EQ(c.siteName, "My bank");
  EXPECT_EQ(c.expectName, "Test Login");
  EXPECT_EQ(c.replayServe.at("/login.html"), "login_v2.html");
  EXPECT_EQ(c.expectFields.at("pw"), "s3cret");
  EXPECT_FALSE(c.recordingRefused);
  EXPECT_FALSE(c.nothingSent);
}

TEST_F(CaseFileTest, ReadsStepsAndTheServerParts) {
  Write(dir / "c" / "case.json", R"({
    "start": "login.html",
    "steps": [{"wait": "#user", "frame": [0, 2]}, {"type": "#user", "text": "a", "frame": 1},
              {"press": "Enter", "selector": "#pw"}, {"press": "Tab"}, {"click": "#go", "frame": null}],
    "expect_recording": "refused",
    "redirect": {"/a": "/b/"}, "delay": {"login.html": 5000}, "forbid": ["/leak", "x"],
    "expect": {"path": "login", "nothing_sent": true}})");
  auto c = scenario::LoadCase(dir / "c");
  using Kind = scenario::Step::Kind;
  ASSERT_EQ(c.steps.size(), 5u);
  EXPECT_EQ(c.steps[0].kind, Kind::kWait);
  EXPECT_EQ(c.steps[0].frame, (scenario::FramePath{0, 2}));
  EXPECT_EQ(c.steps[1].kind, Kind::kType);
  EXPECT_EQ(c.steps[1].frame, scenario::FramePath{1});
  EXPECT_EQ(c.steps[2].kind, Kind::kPress);
  EXPECT_EQ(c.steps[2].text, "Enter");
  EXPECT_EQ(c.steps[2].selector, "#pw");
  EXPECT_EQ(c.steps[3].selector, "") << "a key pressed where the focus is";
  EXPECT_EQ(c.steps[4].frame, scenario::FramePath{});
  EXPECT_TRUE(c.recordingRefused);
  EXPECT_EQ(c.redirects.at("/a"), "/b/");
  EXPECT_EQ(c.replayDelays.at("/login.html"), 5000);
  EXPECT_EQ(c.forbid, (std::vector<std::string>{"/leak", "/x"}));
  EXPECT_EQ(c.expectPath, "/login");
  EXPECT_TRUE(c.nothingSent);
}

TEST_F(CaseFileTest, CasesThatCannotRunAreRefused) {
  const char* const kBad[] = {
      R"({"start": "a.html", "submit": {"press": "Enter"}, "expect": {"path": "/x"}})",
      R"({"start": "a.html", "steps": [], "expect": {"path": "/x"}})",
      R"({"start": "a.html", "steps": [{"click": "#a", "wait": "#b"}], "expect": {"path": "/x"}})",
      R"({"start": "a.html", "steps": [{"hover": "#a"}], "expect": {"path": "/x"}})",
      R"({"start": "a.html", "steps": [{"click": "#a", "frame": -1}], "expect": {"path": "/x"}})",
      R"({"start": "a.html", "steps": [{"click": "#a", "frame": ["0"]}], "expect": {"path": "/x"}})",
      R"({"start": "a.html", "steps": [{"click": "#a"}], "submit": {"click": "#a"}, "expect": {"path": "/x"}})",
      R"({"start": "a.html", "steps": [{"click": "#a"}]})",
      R"({"start": "a.html", "steps": [{"click": "#a"}], "expect_recording": "stored", "expect": {"path": "/x"}})",
      R"({"start": "a.html", "steps": [{"click": "#a"}], "expect": {"path": "/x", "nothing_sent": true, "fields": {"a": "b"}}})",
  };
  for (const char* text : kBad) {
    Write(dir / "c" / "case.json", text);
    EXPECT_THROW(scenario::LoadCase(dir / "c"), std::runtime_error) << text;
  }
  Write(dir / "c" / "case.json", R"({"start": "a.html", "steps": [{"click": "#a"}], "expect_recording": "refused"})");
  EXPECT_NO_THROW(scenario::LoadCase(dir / "c")) << "a refused recording needs no expect";
}

TEST_F(CaseFileTest, ALandingFollowsRedirectsAndFolders) {
  Write(dir / "c" / "case.json", R"({"start": "a", "steps": [{"click": "#a"}],
    "redirect": {"/a": "/b", "/loop": "/loop"}, "expect": {"path": "/x"}})");
  Write(dir / "c" / "b" / "index.html", "");
  auto c = scenario::LoadCase(dir / "c");
  EXPECT_EQ(scenario::Landing(c, "/a"), "/b/");
  EXPECT_EQ(scenario::Landing(c, "/b/"), "/b/");
  EXPECT_EQ(scenario::Landing(c, "/x"), "/x");
  EXPECT_EQ(scenario::Landing(c, "/loop"), "/loop") << "a redirect loop ends";
}

TEST_F(CaseFileTest, OnlyFoldersWithACaseFileAreCases) {
  Write(dir / "b" / "case.json", "{}");
  Write(dir / "a" / "case.json", "{}");
  Write(dir / "pages" / "x.html", "");
  auto folders = scenario::CaseFolders(dir);
  ASSERT_EQ(folders.size(), 2u);
  EXPECT_EQ(folders[0].filename(), "a");
}

TEST(BuiltInCasesTest, EveryBuiltInCaseReads) {
  auto folders = scenario::CaseFolders(OSTREL_SCENARIO_CASES);
  EXPECT_GE(folders.size(), 15u);
  for (const auto& folder : folders) {
    EXPECT_NO_THROW(scenario::LoadCase(folder)) << folder;
  }
}

}  // namespace
}  // namespace ostrel
