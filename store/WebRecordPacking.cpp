#include "store/WebRecord.h"

#include <algorithm>
#include <climits>

#include "store/Codec.h"
#include "store/RecordWriter.h"
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
  if (intUserID < 0) throw OstrelError(err::kInvalidArgument, "negative owner " + std::to_string(intUserID));
  RecordWriter w;
  w.Integer(intUserID);
  w.Integer(0);
  w.String(mSiteName, "the site's name");
  w.String(mURL, "the login page's address");
  w.Byte(mForm->FrameIndex, "the position of the login form's frame");
  w.String(mForm->FrameURL, "the address of the login form's frame");
  w.Byte(mForm->Index, "the position of the login form among the page's forms");
  w.String(mForm->ID, "the login form's identifier");
  w.String(mForm->Name, "the login form's name");
  w.String(mForm->Javascript, "the script that sent the login");
  w.Byte(static_cast<int32_t>(mControls.size()), "the number of inputs to fill");
  for (size_t i = 0; i < mControls.size(); ++i) {
    const ControlInfo& control = mControls[i];
    const std::string input = "input " + std::to_string(i + 1);
    w.Byte(control.Index, "the position of " + input + " in its form");
    w.String(control.ID, "the identifier of " + input);
    w.String(control.Name, "the name of " + input);
    w.Byte(control.CtlType, "the kind of " + input);
    w.String(control.Value, "the text typed into " + input);
  }
  return w.Text(kMaxSiteRecordBytes);
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
