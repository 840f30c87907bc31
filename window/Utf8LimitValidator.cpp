#include "window/Utf8LimitValidator.h"

namespace ostrel {

QValidator::State Utf8LimitValidator::validate(QString& input, int&) const {
  return input.toUtf8().size() <= mMaxBytes ? Acceptable : Invalid;
}

}  // namespace ostrel
