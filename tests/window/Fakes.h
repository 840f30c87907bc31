#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "browser/IBrowserWindowSite.h"
#include "platform/files/PosixRecordFiles.h"
#include "tests/common/ForwardingFiles.h"
#include "platform/qt/IFileDialogs.h"
#include "platform/qt/ILockSignals.h"
#include "platform/qt/IOneShotTimer.h"
#include "platform/qt/ISettings.h"
#include "platform/qt/ISystemTools.h"
#include "support/ErrorNumbers.h"
#include "support/MessageBox.h"
#include "support/OstrelError.h"
#include "tests/common/RecordingMessageBox.h"
#include "window/RecordingHooks.h"

namespace ostrel::test {

// Message boxes answered by the test; questions are answered Yes once
// `answers` is empty.
class FakeMessageBox : public RecordingMessageBox {
 public:
  FakeMessageBox() : RecordingMessageBox(true) {}
  bool AskYesNo(const std::string& text) override {
    if (onAsk) onAsk();
    return RecordingMessageBox::AskYesNo(text);
  }
  // Runs while a question is open, before it is answered.
  std::function<void()> onAsk;
};

// File dialogs answered from `results` (cancelled when it is empty); each
// call is kept.
class FakeFileDialogs : public IFileDialogs {
 public:
  struct Call {
    bool save;
    std::string title, folder, filter;
  };
  std::string OpenFile(const std::string& title, const std::string& folder,
                       const std::string& filter) override {
    return Answer({false, title, folder, filter});
  }
  std::string SaveFile(const std::string& title, const std::string& folder,
                       const std::string& filter) override {
    return Answer({true, title, folder, filter});
  }
  std::deque<std::string> results;
  std::vector<Call> calls;

 private:
  std::string Answer(Call call) {
    calls.push_back(std::move(call));
    if (results.empty()) return "";
    std::string result = results.front();
    results.pop_front();
    return result;
  }
};

class FakeSettings : public ISettings {
 public:
  std::string GetSetting(const std::string& key, const std::string& fallback) override {
    auto it = values.find(key);
    return it == values.end() ? fallback : it->second;
  }
  void SaveSetting(const std::string& key, const std::string& value) override {
    values[key] = value;
    writes.push_back(key + "=" + value);
  }
  std::map<std::string, std::string> values;
  std::vector<std::string> writes;
};

// A registry with the values the test puts in, files that exist by name,
// and programs that are only noted.
class FakeSystemTools : public ISystemTools {
 public:
  bool GetKeyValue(KeyRoot, const std::string& keyName, const std::string& subKeyRef,
                   std::string& keyVal) override {
    auto it = registry.find(keyName + "|" + subKeyRef);
    if (it == registry.end()) {
      keyVal.clear();
      return false;
    }
    keyVal = it->second;
    return true;
  }
  bool FileExists(const std::string& path) override { return files.count(path) != 0; }
  std::string FindProgram(const std::string& name) override {
    return programs.count(name) ? "/usr/bin/" + name : "";
  }
  bool StartProgram(const std::string& program, const std::vector<std::string>& arguments) override {
    std::string call = program;
    for (const std::string& argument : arguments) call += " " + argument;
    started.push_back(call);
    return startWorks;
  }
  std::map<std::string, std::string> registry;  // "key|value name" -> text
  std::map<std::string, bool> files;
  std::set<std::string> programs;     // on the search path
  std::vector<std::string> started;  // program and arguments
  bool startWorks = true;
};

// The real files, except that the next *fail writes to a password file
// (its journal aside) and copies fail with "disk full".
class SwitchableFiles : public ForwardingRecordFiles {
 public:
  explicit SwitchableFiles(int* fail) : fail_(fail) {}
  std::unique_ptr<IRecordFile> Open(const std::string& path, int32_t length) override {
    auto real = ForwardingRecordFiles::Open(path, length);
    if (IsJournal(path)) return real;
    return std::make_unique<File>(std::move(real), fail_);
  }
  void CopyFile(const std::string& source, const std::string& target) override {
    if (*fail_ > 0) {
      --*fail_;
      throw OstrelError(err::kDiskFull, "no space left on the device");
    }
    ForwardingRecordFiles::CopyFile(source, target);
  }

 private:
  class File : public ForwardingRecordFile {
   public:
    File(std::unique_ptr<IRecordFile> real, int* fail)
        : ForwardingRecordFile(std::move(real)), fail_(fail) {}
    void Write(int32_t first, std::string_view data) override {
      if (*fail_ > 0) {
        --*fail_;
        throw OstrelError(err::kDiskFull);
      }
      Real().Write(first, data);
    }

   private:
    int* fail_;
  };
  int* fail_;
};

// Recording and replay hooks that only note the calls.
class FakeHooks : public IRecordingHooks {
 public:
  void SetIE(IBrowser* browser) override { browsers.push_back(browser); }
  void cmdRecord_Click() override { calls.push_back("Record"); }
  void cmdSave_Click() override { calls.push_back("Save"); }
  void cmdReRecord_Click() override { calls.push_back("ReRecord"); }
  void EndRecording() override { ++ended; }
  void GoToSite(int16_t n) override {
    calls.push_back("GoTo " + std::to_string(n));
    if (onGoTo) onGoTo();
  }
  void Stop() override { calls.push_back("Stop"); }
  // Runs inside GoToSite, as a replay's wait would run other handlers.
  std::function<void()> onGoTo;
  bool InProgress() const override { return inProgress; }
  std::vector<std::string> calls;
  int ended = 0;  // EndRecording
  std::vector<IBrowser*> browsers;
  bool inProgress = false;
};

// A browser window without tabs, for showing the window.
class NoSite : public IBrowserWindowSite {
 public:
  int64_t WindowHandle() override { return 1; }
  int32_t TabCount() override { return 0; }
  IBrowser* BrowserOfTab(const std::string&) override { return nullptr; }
};

// The desktop's lock signals, sent when the test says so (Leave).
class FakeLockSignals : public ILockSignals {
 public:
  void SetHandler(std::function<void()> locked) override { handler = std::move(locked); }
  void Leave() {
    if (handler) handler();
  }
  std::function<void()> handler;
};

// A timer that runs out only when the test says so (Fire).
class FakeTimer : public IOneShotTimer {
 public:
  void SetHandler(std::function<void()> elapsed) override { handler = std::move(elapsed); }
  void Start(int64_t milliseconds) override {
    interval = milliseconds;
    active = true;
    ++starts;
  }
  void Stop() override { active = false; }
  bool Active() const override { return active; }
  void Fire() {
    if (!active || !handler) return;
    active = false;
    handler();
  }
  std::function<void()> handler;
  int64_t interval = -1;
  bool active = false;
  int starts = 0;
};

}  // namespace ostrel::test
