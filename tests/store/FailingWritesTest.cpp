#include <gtest/gtest.h>

#include <algorithm>

#include "store/FileInfo.h"
#include "store/WebRecord.h"
#include "store/WebUsers.h"
#include "support/ErrorNumbers.h"
#include "tests/store/FailingRecordFiles.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

using test::ErrorNumberOf;

// Where in an operation's write the disk fails.
enum class FailAt { kFirstByte, kSecondByte, kInsideFirstSlot, kSlotBoundary,
                    kInsideLaterSlot, kLastByte };

// The number of bytes that reach the file before a write of `total` bytes
// in slots of `slot` bytes fails at `where` (always fewer than `total`).
int64_t BytesBefore(FailAt where, int64_t total, int64_t slot) {
  int64_t bytes = 0;
  switch (where) {
    case FailAt::kFirstByte: bytes = 0; break;
    case FailAt::kSecondByte: bytes = 1; break;
    case FailAt::kInsideFirstSlot: bytes = slot / 2 + 3; break;
    case FailAt::kSlotBoundary: bytes = slot; break;
    case FailAt::kInsideLaterSlot: bytes = 2 * slot + slot / 3; break;
    case FailAt::kLastByte: bytes = total - 1; break;
  }
  return std::min(bytes, total - 1);
}

std::string PlaceName(const ::testing::TestParamInfo<FailAt>& info) {
  switch (info.param) {
    case FailAt::kFirstByte: return "FirstByte";
    case FailAt::kSecondByte: return "SecondByte";
    case FailAt::kInsideFirstSlot: return "InsideFirstSlot";
    case FailAt::kSlotBoundary: return "SlotBoundary";
    case FailAt::kInsideLaterSlot: return "InsideLaterSlot";
    case FailAt::kLastByte: return "LastByte";
  }
  return "Unknown";
}

// A password file with a header, four users and five site records, on files
// whose writes can be made to fail after a number of bytes. Every operation
// that writes must leave the file byte for byte as it was when its write
// fails, wherever the failure strikes.
class FailingWritesTest : public ::testing::TestWithParam<FailAt> {
 protected:
  FailingWritesTest() {
    auto files = std::make_unique<test::FailingRecordFiles>();
    failing = files.get();
    context = std::make_unique<StoreContext>(std::move(files));
    test::KeyContext(*context);
    context->PasswordFileName = dir.Path() + "/ostrel.xps";
    test::WriteFileBytes(context->PasswordFileName, Built());
    original = Bytes();
  }

  // The file every case starts from, made once with the real store.
  static const std::string& Built() {
    static const std::string bytes = [] {
      test::TempDir folder;
      StoreContext made;
      test::KeyContext(made);
      made.PasswordFileName = folder.Path() + "/ostrel.xps";
      FileInfo header(made);
      header.SetEncryptionKey(test::kDataKey);
      WebUsers users(made);
      int16_t last = 0;
      for (const char* name : {"ann", "bob", "cid", "dan"}) users.CreateUser(last, name, "pw");
      header.SetLastUserID(last);
      for (int i = 1; i <= 5; ++i) {
        int16_t index = -1;
        test::MakeSite(made, "site" + std::to_string(i)).Save(static_cast<int16_t>(i % 2 + 1), index);
      }
      return test::ReadFileBytes(made.PasswordFileName);
    }();
    return bytes;
  }

  std::string Bytes() { return test::ReadFileBytes(context->PasswordFileName); }

  // Runs `operation`, whose one write covers `total` bytes in slots of
  // `slot` bytes, with that write failing where GetParam() says, and checks
  // that it failed with the injected error and left the file unchanged.
  template <typename Operation>
  void ExpectIntactAfterFailure(int64_t total, int64_t slot, Operation&& operation,
                                bool failAgain = false) {
    failing->FailAfter(BytesBefore(GetParam(), total, slot), failAgain);
    EXPECT_EQ(ErrorNumberOf(operation), err::kDiskFull);
    EXPECT_TRUE(failing->Fired());
    failing->Disarm();
    EXPECT_EQ(Bytes(), original);
  }

  test::TempDir dir;
  test::FailingRecordFiles* failing = nullptr;
  std::unique_ptr<StoreContext> context;
  std::string original;
};

TEST_P(FailingWritesTest, SaveAppending) {
  ExpectIntactAfterFailure(2048, 2048, [&] {
    int16_t index = -1;
    test::MakeSite(*context, "new").Save(1, index);
  });
}

TEST_P(FailingWritesTest, SaveAppendingOnADiskThatStaysFull) {
  ExpectIntactAfterFailure(
      2048, 2048,
      [&] {
        int16_t index = -1;
        test::MakeSite(*context, "new").Save(1, index);
      },
      true);
}

TEST_P(FailingWritesTest, SaveOverwriting) {
  ExpectIntactAfterFailure(2048, 2048, [&] {
    int16_t index = 3;
    test::MakeSite(*context, "changed").Save(1, index);
  });
}

TEST_P(FailingWritesTest, DeleteMovingFourRecords) {
  ExpectIntactAfterFailure(5 * 2048, 2048, [&] {
    WebRecord list(*context);
    list.FileOpen();
    list.Delete(1);
  });
}

TEST_P(FailingWritesTest, DeleteUserMovingTenSlots) {
  ExpectIntactAfterFailure(11 * 256, 256, [&] { WebUsers(*context).DeleteUser(2); });
}

TEST_P(FailingWritesTest, CreateUser) {
  ExpectIntactAfterFailure(256, 256, [&] {
    int16_t last = 4;
    WebUsers(*context).CreateUser(last, "eve", "pw");
  });
}

TEST_P(FailingWritesTest, ChangePassword) {
  ExpectIntactAfterFailure(256, 256,
                           [&] { WebUsers(*context).ChangePassword(3, "new password"); });
}

TEST_P(FailingWritesTest, HeaderWrite) {
  ExpectIntactAfterFailure(2 * 256, 256, [&] { FileInfo header(*context); });
}

INSTANTIATE_TEST_SUITE_P(Everywhere, FailingWritesTest,
                         ::testing::Values(FailAt::kFirstByte, FailAt::kSecondByte,
                                           FailAt::kInsideFirstSlot, FailAt::kSlotBoundary,
                                           FailAt::kInsideLaterSlot, FailAt::kLastByte),
                         PlaceName);

class FailingWritesAfterwardsTest : public FailingWritesTest {};

TEST_P(FailingWritesAfterwardsTest, FileStaysUsable) {
  failing->FailAfter(BytesBefore(GetParam(), 4 * 2048, 2048));
  WebRecord list(*context);
  list.FileOpen();
  EXPECT_EQ(ErrorNumberOf([&] { list.Delete(2); }), err::kDiskFull);
  list.Delete(2);
  EXPECT_EQ(list.RecordCount(), 4);
  std::vector<std::string> names;
  for (int16_t k = 1; k <= 4; ++k) {
    std::string name;
    if (list.Read(k, 1, name) || list.Read(k, 2, name)) names.push_back(name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"site1", "site3", "site4", "site5"}));
}

INSTANTIATE_TEST_SUITE_P(SomePlaces, FailingWritesAfterwardsTest,
                         ::testing::Values(FailAt::kFirstByte, FailAt::kSlotBoundary,
                                           FailAt::kLastByte),
                         PlaceName);

TEST(FailingWritesPersistently, OverwriteThatCannotBeTakenBackSaysSo) {
  test::TempDir dir;
  auto files = std::make_unique<test::FailingRecordFiles>();
  test::FailingRecordFiles* failing = files.get();
  StoreContext context(std::move(files));
  test::KeyContext(context);
  context.PasswordFileName = dir.Path() + "/ostrel.xps";
  FileInfo(context).SetEncryptionKey(test::kDataKey);
  failing->FailAfter(10, true);
  try {
    FileInfo(context).SetLastUserID(1);
    ADD_FAILURE() << "the write did not fail";
  } catch (const OstrelError& e) {
    EXPECT_EQ(e.Number(), err::kDiskFull);
    EXPECT_NE(e.Description().find("could not be put back"), std::string::npos);
  }
}

}  // namespace
}  // namespace ostrel
