#include "store/WebRecord.h"

#include <algorithm>
#include <climits>

#include "store/Codec.h"
#include "store/SlotLimits.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

// Field order of the stored record is given in WebRecord.h; note that it
// differs from the order of the in-memory fields.
std::string WebRecord::Pack(int16_t intUserID) const {
  if (!mForm || mControls.empty()) {
    throw OstrelError(err::kInvalidArgument, "the site record has no form or no control",
                      "The recording holds no login form or no input to fill. Nothing was saved.");
  }
  std::string text = PackInteger(intUserID) + PackInteger(0) + PackString(mSiteName) +
                     PackString(mURL);
  text += PackByte(ToByte(mForm->FrameIndex));
  text += PackString(mForm->FrameURL);
  text += PackByte(ToByte(mForm->Index));
  text += PackString(mForm->ID);
  text += PackString(mForm->Name);
  text += PackString(mForm->Javascript);
  text += PackByte(ToByte(static_cast<int32_t>(mControls.size())));
  for (const ControlInfo& control : mControls) {
    text += PackByte(ToByte(control.Index));
    text += PackString(control.ID);
    text += PackString(control.Name);
    text += PackByte(ToByte(control.CtlType));
    text += PackString(control.Value);
  }
  return text;
}

int32_t WebRecord::PackedLength() const {
  size_t length = kSiteRecordFixedBytes + mSiteName.size() + mURL.size();
  if (mForm) {
    length += mForm->FrameURL.size() + mForm->ID.size() + mForm->Name.size() +
              mForm->Javascript.size();
  }
  for (const ControlInfo& control : mControls) {
    length += kSiteControlFixedBytes + control.ID.size() + control.Name.size() +
              control.Value.size();
  }
  return static_cast<int32_t>(std::min<size_t>(length, INT32_MAX));
}

void WebRecord::Unpack(const std::string& text) {
  int16_t pos = 1;
  UnpackInteger(pos, text);
  UnpackInteger(pos, text);
  std::string siteName = UnpackString(pos, text);
  std::string url = UnpackString(pos, text);
  FormInfo form;
  form.FrameIndex = UnpackByte(pos, text);
  form.FrameURL = UnpackString(pos, text);
  form.Index = UnpackByte(pos, text);
  form.ID = UnpackString(pos, text);
  form.Name = UnpackString(pos, text);
  form.Javascript = UnpackString(pos, text);
  const int16_t count = UnpackByte(pos, text);
  std::vector<ControlInfo> controls(static_cast<size_t>(count));
  for (ControlInfo& control : controls) {
    control.Index = UnpackByte(pos, text);
    control.ID = UnpackString(pos, text);
    control.Name = UnpackString(pos, text);
    control.CtlType = UnpackByte(pos, text);
    control.Value = UnpackString(pos, text);
  }
  mSiteName = std::move(siteName);
  mURL = std::move(url);
  mForm = std::move(form);
  mControls = std::move(controls);
}

}  // namespace ostrel
