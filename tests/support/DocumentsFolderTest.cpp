#include "support/DocumentsFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace ostrel {
namespace {

namespace fs = std::filesystem;

// A throw-away home folder with its own .config.
class DocumentsFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("ostrel-docs-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "home/.config");
    lookup_.home = (root_ / "home").string();
    lookup_.applicationPath = "/opt/ostrel";
  }
  void TearDown() override { fs::remove_all(root_); }

  void WriteUserDirs(const std::string& text) {
    std::ofstream(root_ / "home/.config/user-dirs.dirs") << text;
  }
  std::string Home() const { return lookup_.home; }

  fs::path root_;
  DocumentsLookup lookup_;
};

TEST_F(DocumentsFolderTest, ReadsTheConfiguredFolderRelativeToHome) {
  fs::create_directories(root_ / "home/Dokumente");
  WriteUserDirs("# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n");
  EXPECT_EQ(GetDocumentsFolder(lookup_), Home() + "/Dokumente");
}

TEST_F(DocumentsFolderTest, ReadsAnAbsoluteConfiguredFolderWithEscapes) {
  fs::create_directories(root_ / "my \"docs\"");
  WriteUserDirs("XDG_DOCUMENTS_DIR=\"" + root_.string() + "/my \\\"docs\\\"/\"\n");
  EXPECT_EQ(GetDocumentsFolder(lookup_), root_.string() + "/my \"docs\"");
}

TEST_F(DocumentsFolderTest, EnvironmentValueComesFirst) {
  fs::create_directories(root_ / "elsewhere");
  fs::create_directories(root_ / "home/Documents");
  lookup_.documentsDir = (root_ / "elsewhere").string() + "/";
  EXPECT_EQ(GetDocumentsFolder(lookup_), (root_ / "elsewhere").string());
}

TEST_F(DocumentsFolderTest, WithoutConfigurationUsesDocumentsUnderHome) {
  fs::create_directories(root_ / "home/Documents");
  EXPECT_EQ(GetDocumentsFolder(lookup_), Home() + "/Documents");
}

TEST_F(DocumentsFolderTest, HonoursXdgConfigHome) {
  fs::create_directories(root_ / "cfg");
  fs::create_directories(root_ / "home/Papers");
  std::ofstream(root_ / "cfg/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n";
  lookup_.configHome = (root_ / "cfg").string();
  EXPECT_EQ(GetDocumentsFolder(lookup_), Home() + "/Papers");
}

TEST_F(DocumentsFolderTest, MissingFolderFallsBackToHome) {
  WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Gone\"\n");
  EXPECT_EQ(GetDocumentsFolder(lookup_), Home());
}

TEST_F(DocumentsFolderTest, UnusableLinesAreIgnored) {
  fs::create_directories(root_ / "home/Documents");
  WriteUserDirs("XDG_DOCUMENTS_DIR=relative/path\nXDG_DOCUMENTS_DIR=\"unterminated\n");
  EXPECT_EQ(GetDocumentsFolder(lookup_), Home() + "/Documents");
}

TEST_F(DocumentsFolderTest, NoHomeGivesTheApplicationPath) {
  lookup_.home.clear();
  EXPECT_EQ(GetDocumentsFolder(lookup_), "/opt/ostrel");
}

TEST(DocumentsLookupTest, ApplicationPathIsTheFolderOfThisProgram) {
  const std::string path = DocumentsLookup::FromEnvironment().applicationPath;
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path, fs::canonical("/proc/self/exe").parent_path().string());
}

}  // namespace
}  // namespace ostrel
