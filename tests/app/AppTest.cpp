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
  ASSERT_EQ(c.type.size(), 2u);
  EXPECT_EQ(c.type[0].frame, -1);
  EXPECT_EQ(c.type[1].frame, 1);
  EXPECT_EQ(c.submit.click, "#go");
  EXPECT_EQ(c.siteName, "My bank");
  EXPECT_EQ(c.expectName, "Test Login");
  EXPECT_EQ(c.replayServe.at("login.html"), "login_v2.html");
  EXPECT_EQ(c.expectFields.at("pw"), "s3cret");
}

TEST_F(CaseFileTest, ASubmitWithNeitherClickNorPressIsRefused) {
  Write(dir / "c" / "case.json",
        R"({"start": "a.html", "submit": {"press": "Enter"}, "expect": {"path": "/x"}})");
  EXPECT_THROW(scenario::LoadCase(dir / "c"), std::runtime_error);
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
