#pragma once

#include <QValidator>

namespace ostrel {

// Refuses any edit that would make a text box hold more than maxBytes bytes
// of UTF-8, so typed or pasted text always fits the record it goes into.
class Utf8LimitValidator : public QValidator {
 public:
  Utf8LimitValidator(int maxBytes, QObject* parent) : QValidator(parent), mMaxBytes(maxBytes) {}
  State validate(QString& input, int& pos) const override;

 private:
  int mMaxBytes;
};

}  // namespace ostrel
