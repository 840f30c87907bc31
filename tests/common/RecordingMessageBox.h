#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "support/MessageBox.h"

namespace ostrel::test {

// Message boxes answered by the test: every text shown and every question
// asked is kept in order; questions are answered from `answers`, and with
// `otherwise` once it is empty.
class RecordingMessageBox : public IMessageBox {
 public:
  explicit RecordingMessageBox(bool otherwise = false) : otherwise(otherwise) {}
  void Show(const std::string& text) override { shown.push_back(text); }
  bool AskYesNo(const std::string& text) override {
    questions.push_back(text);
    if (answers.empty()) return otherwise;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  std::optional<std::string> AskSecret(const std::string& text) override {
    questions.push_back(text);
    if (secrets.empty()) return std::nullopt;
    std::optional<std::string> typed = secrets.front();
    secrets.pop_front();
    return typed;
  }
  std::vector<std::string> shown;
  std::vector<std::string> questions;
  std::deque<bool> answers;
  std::deque<std::optional<std::string>> secrets;  // typed into AskSecret, in turn
  bool otherwise;
};

}  // namespace ostrel::test
