// ostrel --check's store side on sample files, whole and damaged. It must
// report each damaged slot and change nothing.
//   sound.xps  key "sample data key", version 2; users ann (1), bob (2),
//              cid (3); sites alpha (1), beta (2), gamma (1), delta (3),
//              epsilon (2). Written by this build.
// (damaged-site.xps and version1-header.xps: see SampleFilesTest.)
#include "store/FileCheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "store/Blocks.h"
#include "store/BuiltInKey.h"
#include "store/Codec.h"
#include "store/Journal.h"
#include "support/ErrorNumbers.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

constexpr int64_t kSite = 4096;  // offset of site slot 1

struct Case {
  const char* name;
  const char* sample;
  // Changes the copy; given the path and a context keyed for the sample.
  std::function<void(const std::string&, StoreContext&)> damage;
  std::vector<std::string> problems;  // the start of each line, in order
  std::string summary;                // the start of the summary
};

void Flip(const std::string& path, int64_t offset) {
  std::string bytes = test::ReadFileBytes(path);
  bytes[static_cast<size_t>(offset)] ^= 0x01;
  test::WriteFileBytes(path, bytes);
}

// Writes `text`, encrypted with the data key, into 2048-byte record `record`.
void PutSite(const std::string& path, StoreContext& context, int32_t slot, std::string text) {
  EncryptBlock(context, text, 2048, false);
  std::string bytes = test::ReadFileBytes(path);
  bytes.replace(static_cast<size_t>(kSite + (slot - 1) * 2048), 2048, text);
  test::WriteFileBytes(path, bytes);
}

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class FileCheckTest : public ::testing::TestWithParam<Case> {};

TEST_P(FileCheckTest, ReportsEachFaultAndChangesNothing) {
  test::TempDir dir;
  const std::string path = dir.Path() + "/check.xps";
  std::filesystem::copy_file(std::string(OSTREL_STORE_TEST_DATA) + "/" + GetParam().sample, path);
  StoreContext keyed;
  keyed.HeaderCipher.SetSecret(BuildBuiltInKey());
  keyed.DataCipher.SetSecret("sample data key");
  if (GetParam().damage) GetParam().damage(path, keyed);
  const std::string before = test::ReadFileBytes(path);
  const std::string journal = test::ReadFileBytes(JournalPath(path));

  StoreContext context;
  const FileCheck::Result result = FileCheck(context).Run(path);
  ASSERT_EQ(result.problems.size(), GetParam().problems.size()) << ::testing::PrintToString(result.problems);
  for (size_t i = 0; i < result.problems.size(); ++i) {
    EXPECT_EQ(result.problems[i].rfind(GetParam().problems[i], 0), 0u) << result.problems[i];
  }
  EXPECT_EQ(result.summary.rfind(GetParam().summary, 0), 0u) << result.summary;
  EXPECT_EQ(result.Sound(), GetParam().problems.empty());
  EXPECT_EQ(test::ReadFileBytes(path), before);
  EXPECT_EQ(test::ReadFileBytes(JournalPath(path)), journal);
}

const char kSound[] = "header version 2, 3 users, 5 sites in 5 site slots";

INSTANTIATE_TEST_SUITE_P(
    Samples, FileCheckTest,
    ::testing::Values(
        Case{"Sound", "sound.xps", {}, {}, kSound},
        Case{"VersionOneWithAnOldSlot15", "version1-header.xps", {}, {},
             "header version 1, 2 users, 1 site in 1 site slot"},
        Case{"DamagedSite", "damaged-site.xps", {}, {"site slot 2: cannot be decrypted"},
             "header version 0, 2 users, 2 sites in 3 site slots"},
        Case{"DamagedUser", "sound.xps",
             [](const std::string& path, StoreContext&) { Flip(path, 256 + 20); },
             {"user slot 2: cannot be decrypted"}, "header version 2, 2 users"},
        Case{"DamagedHeader", "sound.xps",
             [](const std::string& path, StoreContext&) { Flip(path, 15 * 256 + 3); },
             {"header (slot 16): cannot be decrypted"}, "the header cannot be read"},
        Case{"DamagedReservedSlot", "sound.xps",
             [](const std::string& path, StoreContext&) { Flip(path, 14 * 256 + 3); },
             {"reserved header slot 15: cannot be decrypted"}, kSound},
        Case{"LengthNotWholeSlots", "sound.xps",
             [](const std::string& path, StoreContext&) {
               std::filesystem::resize_file(path, std::filesystem::file_size(path) - 100);
             },
             {"the file is 14236 bytes long, which is not a whole number of slots"},
             "header version 2, 3 users, 4 sites in 4 site slots"},
        Case{"ShorterThanItsHeader", "sound.xps",
             [](const std::string& path, StoreContext&) { std::filesystem::resize_file(path, 3000); },
             {"the file is 3000 bytes long, shorter than its header"}, "the header cannot be read"},
        Case{"AGap", "sound.xps",
             [](const std::string& path, StoreContext& keyed) { PutSite(path, keyed, 2, ""); },
             {"site slot 2: empty, but records follow"}, "header version 2, 3 users, 4 sites"},
        Case{"ASiteOfNoUser", "sound.xps",
             [](const std::string& path, StoreContext& keyed) {
               WebRecord site = test::MakeSite(keyed, "orphan");
               PutSite(path, keyed, 6, site.Pack(9));
             },
             {"site slot 6: \"orphan\" belongs to user id 9, who is not in the user table"},
             "header version 2, 3 users, 6 sites in 6 site slots"},
        Case{"ACutRecord", "sound.xps",
             [](const std::string& path, StoreContext& keyed) {
               PutSite(path, keyed, 3, PackInteger(1) + PackInteger(0) + PackString("cut"));
             },
             {"site slot 3: its record is cut short or malformed"},
             "header version 2, 3 users, 4 sites in 5 site slots"},
        Case{"AnUnfinishedChange", "sound.xps",
             [](const std::string& path, StoreContext& keyed) {
               keyed.PasswordFileName = path;
               test::LeaveUnfinishedChange(keyed);
             },
             {"a change that did not finish is recorded in", "site slot 2: cannot be decrypted",
              "site slot 6: cannot be decrypted"},
             "header version 2, 3 users, 4 sites in 6 site slots"},
        Case{"Empty", "sound.xps",
             [](const std::string& path, StoreContext&) { test::WriteFileBytes(path, ""); }, {},
             "empty: no header yet"}),
    [](const ::testing::TestParamInfo<Case>& info) { return info.param.name; });

TEST(FileCheck, AMissingFileCannotBeChecked) {
  test::TempDir dir;
  StoreContext context;
  EXPECT_EQ(test::ErrorNumberOf([&] { FileCheck(context).Run(dir.Path() + "/none.xps"); }),
            err::kFileMissing);
  EXPECT_FALSE(test::FileExists(dir.Path() + "/none.xps"));
}

}  // namespace
}  // namespace ostrel
