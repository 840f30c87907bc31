#include "store/WebRecord.h"

#include <gtest/gtest.h>

#include <functional>

#include "store/Blocks.h"
#include "store/ChangeMark.h"
#include "store/Journal.h"
#include "store/Codec.h"
#include "store/SlotLimits.h"
#include "support/ErrorNumbers.h"
#include "tests/store/StoreTestSupport.h"

namespace ostrel {
namespace {

using test::ErrorNumberOf;
using test::ExplanationOf;

class WebRecordTest : public test::StoreTest {
 protected:
  // Site slot k of the file, raw.
  std::string SiteSlot(int k) { return FileBytes().substr(4096 + (k - 1) * 2048, 2048); }

  std::string SiteText(int k) {
    std::string text = SiteSlot(k);
    DecryptBlock(context, text, false);
    return text;
  }

  int16_t Count() {
    WebRecord list(context);
    list.FileOpen();
    return list.RecordCount();
  }
};

TEST_F(WebRecordTest, WorkedPackingExample) {
  WebRecord record(context);
  record.SetSiteName("abc");
  record.SetURL("x");
  FormInfo form;
  form.FrameIndex = 255;
  form.Index = 0;
  form.Name = "f";
  record.SetForm(form);
  ControlInfo control;
  control.Index = 0;
  control.Name = "u";
  control.CtlType = 1;
  control.Value = "me";
  record.AddControl(control);
  const unsigned char expected[] = {0x01, 0x00, 0x00, 0x00, 0x03, 0x61, 0x62, 0x63, 0x01,
                                    0x78, 0xFF, 0x00, 0x00, 0x00, 0x01, 0x66, 0x00, 0x01,
                                    0x00, 0x00, 0x01, 0x75, 0x01, 0x02, 0x6D, 0x65};
  EXPECT_EQ(record.Pack(1), std::string(reinterpret_cast<const char*>(expected), 26));
  EXPECT_EQ(record.PackedLength(), 26);
}

TEST_F(WebRecordTest, FirstSaveOnANewFileWritesSlotOne) {
  CreatePasswordFile();
  EXPECT_EQ(Count(), 0);
  int16_t index = -1;
  test::MakeSite(context, "alpha").Save(1, index);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(FileBytes().size(), 6144u);
  EXPECT_EQ(Count(), 1);
  int16_t pos = 1;
  EXPECT_EQ(UnpackInteger(pos, SiteText(1)), 1);
}

TEST_F(WebRecordTest, RetrieveGivesBackEveryField) {
  CreatePasswordFile();
  WebRecord record = test::MakeSite(context, "beta", 3);
  record.Form().FrameIndex = 3;
  record.Form().FrameURL = "https://beta.example/frame";
  record.Form().Index = 2;
  record.Form().ID = "fid";
  record.Form().Javascript = "javascript:go()";
  record.Control(2).ID = "pid";
  record.Control(3).CtlType = 2;
  int16_t index = -1;
  record.Save(9, index);

  WebRecord loaded(context);
  loaded.Retrieve(index);
  EXPECT_EQ(loaded.SiteName(), "beta");
  EXPECT_EQ(loaded.URL(), record.URL());
  EXPECT_EQ(loaded.Form().FrameIndex, 3);
  EXPECT_EQ(loaded.Form().FrameURL, "https://beta.example/frame");
  EXPECT_EQ(loaded.Form().Index, 2);
  EXPECT_EQ(loaded.Form().ID, "fid");
  EXPECT_EQ(loaded.Form().Name, "login");
  EXPECT_EQ(loaded.Form().Javascript, "javascript:go()");
  ASSERT_EQ(loaded.ControlsCount(), 3);
  for (int16_t i = 1; i <= 3; ++i) {
    EXPECT_EQ(loaded.Control(i).Index, record.Control(i).Index);
    EXPECT_EQ(loaded.Control(i).CtlType, record.Control(i).CtlType);
    EXPECT_EQ(loaded.Control(i).Name, record.Control(i).Name);
    EXPECT_EQ(loaded.Control(i).ID, record.Control(i).ID);
    EXPECT_EQ(loaded.Control(i).Value, record.Control(i).Value);
  }
  EXPECT_EQ(ErrorNumberOf([&] { loaded.Control(4); }), err::kSubscript);
  EXPECT_EQ(ErrorNumberOf([&] { loaded.Control(0); }), err::kSubscript);
}

TEST_F(WebRecordTest, DeleteMovesLaterRecordsDownAndTheNextSaveReusesTheSlot) {
  CreatePasswordFile();
  AddSite(1, "one");
  AddSite(1, "two");
  AddSite(1, "three");
  std::string third = SiteSlot(3);
  WebRecord list(context);
  list.FileOpen();
  list.Delete(2);
  EXPECT_EQ(list.RecordCount(), 2);
  list.FileClose();
  EXPECT_EQ(SiteSlot(2), third);
  EXPECT_EQ(SiteText(3), "");
  EXPECT_EQ(FileBytes().size(), 10240u);
  EXPECT_EQ(AddSite(1, "four"), 3);
  EXPECT_EQ(FileBytes().size(), 10240u);
  EXPECT_EQ(ListSites(1), (std::vector<std::string>{"one", "three", "four"}));
}

TEST_F(WebRecordTest, DeleteOfAnotherUsersRecordChangesNothing) {
  CreatePasswordFile();
  AddSite(1, "mine");
  AddSite(2, "yours");
  std::string before = FileBytes();
  WebRecord list(context);
  list.FileOpen();
  list.Delete(2, 1);
  list.FileClose();
  EXPECT_EQ(FileBytes(), before);
}

TEST_F(WebRecordTest, DeleteOutsideTheRecordsChangesNothing) {
  CreatePasswordFile();
  AddSite(1, "a");
  AddSite(1, "b");
  std::string before = FileBytes();
  WebRecord list(context);
  list.FileOpen();
  for (int16_t index : {0, -1, 3, 4, 32767}) {
    list.Delete(index);
    list.Delete(index, 1);
  }
  list.FileClose();
  EXPECT_EQ(FileBytes(), before);
}

TEST_F(WebRecordTest, DeletingAUserScansDownAndKeepsTheOthers) {
  CreatePasswordFile();
  AddSite(1, "u1-a");
  AddSite(2, "u2-a");
  AddSite(1, "u1-b");
  WebRecord list(context);
  list.FileOpen();
  for (int16_t k = list.RecordCount(); k >= 1; --k) list.Delete(k, 1);
  EXPECT_EQ(list.RecordCount(), 1);
  list.FileClose();
  EXPECT_EQ(ListSites(2), std::vector<std::string>{"u2-a"});
  EXPECT_TRUE(ListSites(1).empty());
}

TEST_F(WebRecordTest, InterleavedOwnersListOnlyTheirOwn) {
  CreatePasswordFile();
  for (int i = 0; i < 9; ++i) AddSite(static_cast<int16_t>(i % 3 + 1), "s" + std::to_string(i));
  EXPECT_EQ(ListSites(1), (std::vector<std::string>{"s0", "s3", "s6"}));
  EXPECT_EQ(ListSites(2), (std::vector<std::string>{"s1", "s4", "s7"}));
  EXPECT_TRUE(ListSites(4).empty());
}

TEST_F(WebRecordTest, ListingAcrossManyReadAheadRuns) {
  CreatePasswordFile();
  std::vector<std::string> expected;
  const int total = 2 * WebRecord::kReadAheadSlots + 5;
  std::vector<std::pair<int16_t, std::string>> sites;
  for (int i = 0; i < total; ++i) {
    sites.emplace_back(static_cast<int16_t>(i % 2 + 1), "s" + std::to_string(i));
    if (i % 2 == 1) expected.push_back("s" + std::to_string(i));
  }
  AddSites(sites);
  EXPECT_EQ(ListSites(2), expected);
}

TEST_F(WebRecordTest, ReadAfterDeleteSeesTheMovedRecords) {
  CreatePasswordFile();
  AddSite(1, "one");
  AddSite(1, "two");
  AddSite(1, "three");
  WebRecord list(context);
  list.FileOpen();
  std::string name;
  ASSERT_TRUE(list.Read(1, 1, name));
  list.Delete(1);
  ASSERT_TRUE(list.Read(1, 1, name));
  EXPECT_EQ(name, "two");
  ASSERT_TRUE(list.Read(2, 1, name));
  EXPECT_EQ(name, "three");
  EXPECT_EQ(ErrorNumberOf([&] { list.Read(3, 1, name); }), err::kInvalidArgument);
}

TEST_F(WebRecordTest, ReadOfAnotherUsersRecordLeavesTheName) {
  CreatePasswordFile();
  AddSite(2, "theirs");
  WebRecord list(context);
  list.FileOpen();
  std::string name = "kept";
  EXPECT_FALSE(list.Read(1, 1, name));
  EXPECT_EQ(name, "kept");
  EXPECT_TRUE(list.Read(1, 2, name));
  EXPECT_EQ(name, "theirs");
}

TEST_F(WebRecordTest, SaveWithAnIndexOverwritesInPlace) {
  CreatePasswordFile();
  for (int i = 1; i <= 5; ++i) AddSite(1, "site" + std::to_string(i));
  WebRecord record(context);
  record.Retrieve(4);
  record.SetSiteName("renamed");
  int16_t index = 4;
  record.Save(3, index);
  EXPECT_EQ(index, 4);
  EXPECT_EQ(ListSites(1), (std::vector<std::string>{"site1", "site2", "site3", "site5"}));
  EXPECT_EQ(ListSites(3), std::vector<std::string>{"renamed"});
  EXPECT_EQ(FileBytes().size(), 4096u + 5 * 2048);
}

// A login of several steps, with a group of inputs outside any form,
// reveal clicks and inputs in shadow trees, comes back as it was saved; a
// record of one plain step keeps the reserved integer 0 and reads back
// with nothing more; one of a later kind is refused.
TEST_F(WebRecordTest, StepsAndTheirExtrasRoundTrip) {
  CreatePasswordFile();
  WebRecord record = test::MakeSite(context, "steps", 1);
  record.Extra().Send = SendKind::kPress;
  record.Extra().Pressed = R"({"id":"next"})";
  record.Extra().Origin = "https://steps.example";
  record.Extra().Reveal.push_back({3, "https://id.example/w", R"({"tag":"BUTTON","text":"Show login"})"});
  LoginStep second;
  second.URL = "https://steps.example/password";
  second.Controls.push_back({0, 3, "pw", "", "s3cret"});
  second.Extra.Group = true;
  second.Extra.Send = SendKind::kEnter;
  second.Extra.Pressed = "1";
  second.Extra.SentTo = "https://api.steps.example";
  second.Extra.Paths = {"sign-in#main >>> pass-box"};
  record.MoreSteps().push_back(second);
  int16_t index = -1;
  record.Save(4, index);
  WebRecord loaded(context);
  loaded.Retrieve(index);
  ASSERT_EQ(loaded.StepCount(), 2);
  EXPECT_EQ(loaded.Extra(), record.Extra());
  EXPECT_EQ(loaded.Step(2).URL, second.URL);
  EXPECT_EQ(loaded.Step(2).Extra, second.Extra);
  EXPECT_EQ(loaded.Step(2).Controls[0].Value, "s3cret");
  EXPECT_EQ(loaded.FirstControlOfType(3)->Value, "s3cret");
  EXPECT_EQ(ErrorNumberOf([&] { loaded.Step(3); }), err::kSubscript);

  const std::string plain = test::MakeSite(context, "plain").Pack(1);
  EXPECT_EQ(plain.substr(2, 2), std::string(2, '\0'));
  WebRecord back(context);
  back.Unpack(plain);
  EXPECT_EQ(back.StepCount(), 1);
  EXPECT_EQ(back.Extra(), StepExtra{});
  std::string later = plain;
  later[2] = 2;
  EXPECT_NE(ExplanationOf([&] { back.Unpack(later); }).find("newer version"), std::string::npos);
  for (int i = 0; i < 4; ++i) record.MoreSteps().push_back(second);
  EXPECT_EQ(ErrorNumberOf([&] { record.Pack(1); }), err::kInvalidArgument);
}

TEST_F(WebRecordTest, SaveNeverLeavesAGap) {
  CreatePasswordFile();
  AddSite(1, "a");
  std::string before = FileBytes();
  for (int16_t bad : {int16_t{3}, int16_t{0}, int16_t{-2}}) {
    int16_t index = bad;
    EXPECT_EQ(ErrorNumberOf([&] { test::MakeSite(context, "b").Save(1, index); }),
              err::kBadRecordNumber);
    EXPECT_EQ(index, bad);
  }
  EXPECT_EQ(FileBytes(), before);
  int16_t index = 2;
  test::MakeSite(context, "b").Save(1, index);
  EXPECT_EQ(ListSites(1), (std::vector<std::string>{"a", "b"}));
}

TEST_F(WebRecordTest, LargestRecordFitsAndOneByteMoreIsRefused) {
  CreatePasswordFile();
  WebRecord record = test::MakeSite(context, "big", 6);
  const int32_t spare = kMaxSiteRecordBytes - record.PackedLength();
  record.Control(1).Value.assign(255, 'v');
  record.Control(2).Value.assign(255, 'v');
  record.Control(3).Value.assign(255, 'v');
  record.Control(4).Value.assign(255, 'v');
  record.Control(5).Value.clear();
  record.Control(6).Value.clear();
  int32_t rest = kMaxSiteRecordBytes - record.PackedLength();
  ASSERT_GT(spare, 0);
  ASSERT_GT(rest, 255);
  record.Control(5).Value.assign(255, 'v');
  record.Control(6).Value.assign(static_cast<size_t>(rest - 255), 'w');
  EXPECT_EQ(record.PackedLength(), kMaxSiteRecordBytes);
  EXPECT_EQ(static_cast<int32_t>(record.Pack(1).size()), kMaxSiteRecordBytes);
  int16_t index = -1;
  record.Save(1, index);
  WebRecord loaded(context);
  loaded.Retrieve(index);
  EXPECT_EQ(loaded.Control(6).Value, record.Control(6).Value);

  std::string before = FileBytes();
  record.Control(6).Value += "w";
  index = -1;
  EXPECT_EQ(ErrorNumberOf([&] { record.Save(1, index); }), err::kBadRecordLength);
  const std::string said = ExplanationOf([&] { record.Save(1, index); });
  EXPECT_NE(said.find("1,497 bytes"), std::string::npos) << said;
  EXPECT_NE(said.find("1,496"), std::string::npos) << said;
  EXPECT_NE(said.find("the text typed into input 1 (255 bytes)"), std::string::npos) << said;
  EXPECT_EQ(index, -1);
  EXPECT_EQ(FileBytes(), before);
}

TEST_F(WebRecordTest, RecordThatCannotBePackedIsRefusedBeforeTheFileIsOpened) {
  int16_t index = -1;
  WebRecord noForm(context);
  noForm.AddControl(ControlInfo{});
  EXPECT_EQ(ErrorNumberOf([&] { noForm.Save(1, index); }), err::kInvalidArgument);
  WebRecord noControls(context);
  noControls.SetForm(FormInfo{});
  EXPECT_EQ(ErrorNumberOf([&] { noControls.Save(1, index); }), err::kInvalidArgument);
  WebRecord badIndex = test::MakeSite(context, "x");
  badIndex.Form().Index = 256;
  EXPECT_EQ(ErrorNumberOf([&] { badIndex.Save(1, index); }), err::kOverflow);
  WebRecord longName = test::MakeSite(context, std::string(256, 'n'));
  EXPECT_EQ(ErrorNumberOf([&] { longName.Save(1, index); }), err::kInvalidArgument);
  // Each refusal names what is too long or too large, and the limit.
  const std::string name = ExplanationOf([&] { longName.Save(1, index); });
  EXPECT_NE(name.find("the site's name is 256 bytes long"), std::string::npos) << name;
  EXPECT_NE(name.find("at most 255"), std::string::npos) << name;
  EXPECT_NE(ExplanationOf([&] { badIndex.Save(1, index); }).find("the position of the login form among the page's forms is 256"),
            std::string::npos);
  WebRecord longValue = test::MakeSite(context, "x", 2);
  longValue.Control(2).Value.assign(300, 'v');
  EXPECT_NE(ExplanationOf([&] { longValue.Save(1, index); }).find("the text typed into input 2 is 300 bytes"),
            std::string::npos);
  EXPECT_EQ(ErrorNumberOf([&] { test::MakeSite(context, "x").Save(-5, index); }),
            err::kInvalidArgument);
  EXPECT_FALSE(test::FileExists(context.PasswordFileName));
  EXPECT_EQ(ErrorNumberOf([&] { noForm.Form(); }), err::kObjectRequired);
}

TEST_F(WebRecordTest, DamagedByteInAnySlotIsCorruptedFile) {
  CreatePasswordFile();
  AddSite(1, "one");
  AddSite(1, "two");
  std::string good = FileBytes();
  for (int offset : {0, 100, 300, 2047}) {
    std::string bytes = good;
    bytes[4096 + 2048 + offset] ^= 0x20;
    test::WriteFileBytes(context.PasswordFileName, bytes);
    WebRecord list(context);
    list.FileOpen();
    std::string name;
    EXPECT_EQ(ErrorNumberOf([&] { list.RecordCount(); }), err::kCorruptedFile) << offset;
    EXPECT_TRUE(list.Read(1, 1, name));
    EXPECT_EQ(ErrorNumberOf([&] { list.Read(2, 1, name); }), err::kCorruptedFile) << offset;
    list.FileClose();
    EXPECT_EQ(ErrorNumberOf([&] { WebRecord(context).Retrieve(2); }), err::kCorruptedFile);
  }
}

TEST_F(WebRecordTest, WrongDataKeyIsCorruptedFile) {
  CreatePasswordFile();
  AddSite(1, "one");
  context.DataCipher.SetSecret("another data key");
  WebRecord list(context);
  list.FileOpen();
  EXPECT_EQ(ErrorNumberOf([&] { list.RecordCount(); }), err::kCorruptedFile);
  std::string name;
  EXPECT_EQ(ErrorNumberOf([&] { list.Read(1, 1, name); }), err::kCorruptedFile);
  EXPECT_EQ(ErrorNumberOf([&] { WebRecord(context).Retrieve(1); }), err::kCorruptedFile);
}

TEST_F(WebRecordTest, RecordCountRoundsHalfSlotsToEven) {
  CreatePasswordFile();
  for (int i = 0; i < 4; ++i) AddSite(1, "s" + std::to_string(i));
  std::string full = FileBytes();
  // 4.5 slots round down to 4: slot 3's remains are not counted.
  test::WriteFileBytes(context.PasswordFileName, full.substr(0, 4096 + 2048 * 2 + 1024));
  EXPECT_EQ(Count(), 2);
  // 5.5 slots round up to 6: slot 4 is read with its tail as NUL bytes.
  test::WriteFileBytes(context.PasswordFileName, full.substr(0, 4096 + 2048 * 3 + 1024));
  EXPECT_EQ(Count(), 4);
  // More than half a slot rounds up as well.
  test::WriteFileBytes(context.PasswordFileName, full.substr(0, 4096 + 2048 * 2 + 1025));
  EXPECT_EQ(Count(), 3);
}

TEST_F(WebRecordTest, SlotNumbersOutsideTheViewAreRefused) {
  CreatePasswordFile();
  AddSite(1, "one");
  WebRecord list(context);
  list.FileOpen();
  std::string name;
  EXPECT_EQ(ErrorNumberOf([&] { list.Read(0, 1, name); }), err::kBadRecordNumber);
  EXPECT_EQ(ErrorNumberOf([&] { list.Read(-1, 1, name); }), err::kBadRecordNumber);
  EXPECT_EQ(ErrorNumberOf([&] { list.Read(32766, 1, name); }), err::kOverflow);
  EXPECT_EQ(ErrorNumberOf([&] { WebRecord(context).Retrieve(-1); }), err::kBadRecordNumber);
}

TEST_F(WebRecordTest, NoRecordBeyondTheLastSlot) {
  CreatePasswordFile();
  // A sparse file whose last possible slot is occupied.
  WebRecord last = test::MakeSite(context, "last");
  std::string slot = last.Pack(1);
  EncryptBlock(context, slot, 2048, false);
  context.Files().Open(context.PasswordFileName, 2048)->Write(kMaxSiteRecords + 2, slot);
  const int64_t length = context.Files().FileLength(context.PasswordFileName);
  ASSERT_EQ(length, 4096 + int64_t{kMaxSiteRecords} * 2048);
  ASSERT_EQ(Count(), kMaxSiteRecords);
  const std::string before = FileBytes();
  int16_t index = -1;
  const OstrelError full = test::ErrorOf([&] { test::MakeSite(context, "more").Save(1, index); });
  EXPECT_EQ(full.Number(), err::kOverflow);
  EXPECT_NE(full.Explanation().find("The password file is full: it holds 32,765 sites, the most it can"),
            std::string::npos) << full.Explanation();
  EXPECT_EQ(index, -1);
  EXPECT_TRUE(FileBytes() == before);
  EXPECT_FALSE(test::FileExists(JournalPath(context.PasswordFileName)));
}

// The site count that changes keep in the file is taken only while the
// slots agree with it; programs that keep no count may have changed them.
TEST_F(WebRecordTest, TheKeptCountIsTakenOnlyWhileTheSlotsAgree) {
  CreatePasswordFile();
  for (int i = 1; i <= 6; ++i) AddSite(static_cast<int16_t>(i % 2 + 1), "s" + std::to_string(i));
  auto put = [&](int slot, std::string text) {
    EncryptBlock(context, text, 2048, false);
    context.Files().Open(context.PasswordFileName, 2048)->Write(slot + 2, text);
  };
  auto highest = [&] {  // the highest slot that holds a record, read slot by slot
    int k = static_cast<int>((FileBytes().size() - 4096) / 2048);
    while (k > 0 && SiteText(k).empty()) --k;
    return k;
  };
  const std::pair<const char*, std::function<void()>> steps[] = {
      {"six saved", [] {}},
      {"one appended without the count", [&] { AddSites({{1, "raw"}}); }},
      {"a user's sites deleted", [&] { WebRecord(context).DeleteSitesOf(2); }},
      {"the last emptied without the count", [&] { put(highest(), ""); }},
      {"another saved", [&] { AddSite(1, "s7"); }},
      {"all deleted", [&] { WebRecord(context).DeleteSitesOf(1); }},
      {"one appended at the front without the count", [&] { AddSites({{1, "raw"}}); }}};
  for (const auto& [what, step] : steps) {
    step();
    EXPECT_EQ(Count(), highest()) << what;
  }
  AddSite(1, "kept");
  EXPECT_EQ(ChangeMark::Read(context, *context.Files().Open(context.PasswordFileName, 256)).sites, 2);
  put(3, "a record damaged after the kept count");
  std::string damaged = FileBytes();
  damaged[4096 + 2 * 2048 + 5] ^= 1;
  test::WriteFileBytes(context.PasswordFileName, damaged);
  EXPECT_EQ(ErrorNumberOf([&] { Count(); }), err::kCorruptedFile);
}

TEST_F(WebRecordTest, ListingNeedsTheFileOpen) {
  CreatePasswordFile();
  AddSite(1, "one");
  WebRecord list(context);
  std::string name;
  EXPECT_EQ(ErrorNumberOf([&] { list.RecordCount(); }), err::kBadFileName);
  EXPECT_EQ(ErrorNumberOf([&] { list.Read(1, 1, name); }), err::kBadFileName);
  EXPECT_EQ(ErrorNumberOf([&] { list.Delete(1); }), err::kBadFileName);
  list.FileOpen();
  list.Retrieve(1);
  EXPECT_TRUE(list.Read(1, 1, name));
}

}  // namespace
}  // namespace ostrel
