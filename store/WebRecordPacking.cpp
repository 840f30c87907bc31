#include <algorithm>
#include <climits>

#include "store/Codec.h"
#include "store/RecordWriter.h"
#include "store/SlotLimits.h"
#include "store/WebRecord.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

// Field order of the stored record is given in WebRecord.h; note that it
// differs from the order of the in-memory fields.
namespace {

constexpr int16_t kPlainRecord = 0;     // the reserved integer of a record without extension
constexpr int16_t kExtendedRecord = 1;  // ... of one with the extension
constexpr int16_t kExtensionVersion = 1;
constexpr uint8_t kGroupFlag = 1;

// "step 2's " in front of the names of a further step's fields.
std::string Of(size_t step, const std::string& what) {
  return step == 1 ? what : what + " of step " + std::to_string(step);
}

void WriteForm(RecordWriter& w, const FormInfo& form, size_t step) {
  w.Byte(form.FrameIndex, Of(step, "the position of the login form's frame"));
  w.String(form.FrameURL, Of(step, "the address of the login form's frame"));
  w.Byte(form.Index, Of(step, "the position of the login form among the page's forms"));
  w.String(form.ID, Of(step, "the login form's identifier"));
  w.String(form.Name, Of(step, "the login form's name"));
  w.String(form.Javascript, Of(step, "the script that sent the login"));
}

void WriteControls(RecordWriter& w, const std::vector<ControlInfo>& controls, size_t step) {
  w.Byte(static_cast<int32_t>(std::min<size_t>(controls.size(), INT32_MAX)), Of(step, "the number of inputs to fill"));
  for (size_t i = 0; i < controls.size(); ++i) {
    const ControlInfo& control = controls[i];
    const std::string input = "input " + std::to_string(i + 1);
    w.Byte(control.Index, Of(step, "the position of " + input + " in its form"));
    w.String(control.ID, Of(step, "the identifier of " + input));
    w.String(control.Name, Of(step, "the name of " + input));
    w.Byte(control.CtlType, Of(step, "the kind of " + input));
    w.String(control.Value, Of(step, "the text typed into " + input));
  }
}

void WriteExtra(RecordWriter& w, const StepExtra& extra, size_t controls, size_t step) {
  w.Byte(extra.Group ? kGroupFlag : 0, "flags");
  w.Byte(static_cast<int32_t>(extra.Send), "the way the login was sent");
  w.String(extra.Pressed, Of(step, "the description of what was pressed to send the login"));
  w.String(extra.Origin, Of(step, "the origin of the login form's page"));
  w.String(extra.SentTo, Of(step, "the origin the login was sent to"));
  w.Byte(static_cast<int32_t>(std::min<size_t>(extra.Reveal.size(), INT32_MAX)),
         Of(step, "the number of clicks before the login"));
  for (size_t i = 0; i < extra.Reveal.size(); ++i) {
    const RevealClick& click = extra.Reveal[i];
    const std::string which = "click " + std::to_string(i + 1) + " before the login";
    w.Byte(click.FrameIndex, Of(step, "the position of the frame of " + which));
    w.String(click.FrameURL, Of(step, "the address of the frame of " + which));
    w.String(click.Target, Of(step, "the description of " + which));
  }
  if (!extra.Paths.empty() && extra.Paths.size() != controls) {
    throw OstrelError(err::kInvalidArgument, "a step has " + std::to_string(extra.Paths.size()) + " paths for " +
                                                 std::to_string(controls) + " inputs");
  }
  w.Byte(extra.Paths.empty() ? 0 : 1, "paths");
  for (size_t i = 0; i < extra.Paths.size(); ++i) {
    w.String(extra.Paths[i], Of(step, "the place of input " + std::to_string(i + 1) + " among the page's components"));
  }
}

FormInfo ReadForm(int16_t& pos, const std::string& text) {
  FormInfo form;
  form.FrameIndex = UnpackByte(pos, text);
  form.FrameURL = UnpackString(pos, text);
  form.Index = UnpackByte(pos, text);
  form.ID = UnpackString(pos, text);
  form.Name = UnpackString(pos, text);
  form.Javascript = UnpackString(pos, text);
  return form;
}

std::vector<ControlInfo> ReadControls(int16_t& pos, const std::string& text) {
  const int16_t count = UnpackByte(pos, text);
  std::vector<ControlInfo> controls(static_cast<size_t>(count));
  for (ControlInfo& control : controls) {
    control.Index = UnpackByte(pos, text);
    control.ID = UnpackString(pos, text);
    control.Name = UnpackString(pos, text);
    control.CtlType = UnpackByte(pos, text);
    control.Value = UnpackString(pos, text);
  }
  return controls;
}

StepExtra ReadExtra(int16_t& pos, const std::string& text, size_t controls) {
  StepExtra extra;
  extra.Group = (UnpackByte(pos, text) & kGroupFlag) != 0;
  const int16_t send = UnpackByte(pos, text);
  if (send > static_cast<int16_t>(SendKind::kEnter)) {
    throw OstrelError(err::kInvalidArgument, "a step sent in an unknown way (" + std::to_string(send) + ")");
  }
  extra.Send = static_cast<SendKind>(send);
  extra.Pressed = UnpackString(pos, text);
  extra.Origin = UnpackString(pos, text);
  extra.SentTo = UnpackString(pos, text);
  const int16_t reveals = UnpackByte(pos, text);
  for (int16_t i = 0; i < reveals; ++i) {
    RevealClick click;
    click.FrameIndex = UnpackByte(pos, text);
    click.FrameURL = UnpackString(pos, text);
    click.Target = UnpackString(pos, text);
    extra.Reveal.push_back(std::move(click));
  }
  if (UnpackByte(pos, text) != 0) {
    for (size_t i = 0; i < controls; ++i) extra.Paths.push_back(UnpackString(pos, text));
  }
  return extra;
}

}  // namespace

RecordWriter WebRecord::Write(int16_t intUserID) const {
  if (!mForm || mControls.empty()) {
    throw OstrelError(err::kInvalidArgument, "the site record has no form or no control",
                      "The recording holds no login form or no input to fill. Nothing was saved.");
  }
  if (intUserID < 0) throw OstrelError(err::kInvalidArgument, "negative owner " + std::to_string(intUserID));
  if (StepCount() > static_cast<int16_t>(kMaxLoginSteps)) {
    throw OstrelError(err::kInvalidArgument, std::to_string(StepCount()) + " steps",
                      "A login of more than " + std::to_string(kMaxLoginSteps) +
                          " steps cannot be stored. Nothing was saved.");
  }
  const bool extended = !(mExtra == StepExtra{}) || !mMoreSteps.empty();
  RecordWriter w;
  w.Integer(intUserID);
  w.Integer(extended ? kExtendedRecord : kPlainRecord);
  w.String(mSiteName, "the site's name");
  w.String(mURL, "the login page's address");
  WriteForm(w, *mForm, 1);
  WriteControls(w, mControls, 1);
  if (extended) {
    w.Byte(kExtensionVersion, "version");
    WriteExtra(w, mExtra, mControls.size(), 1);
    w.Byte(static_cast<int32_t>(mMoreSteps.size()), "the number of steps");
    for (size_t i = 0; i < mMoreSteps.size(); ++i) {
      const LoginStep& step = mMoreSteps[i];
      if (step.Controls.empty()) throw OstrelError(err::kInvalidArgument, "step " + std::to_string(i + 2) + " has no input");
      w.String(step.URL, Of(i + 2, "the address"));
      WriteForm(w, step.Form, i + 2);
      WriteControls(w, step.Controls, i + 2);
      WriteExtra(w, step.Extra, step.Controls.size(), i + 2);
    }
  }
  return w;
}

std::string WebRecord::Pack(int16_t intUserID) const { return Write(intUserID).Text(kMaxSiteRecordBytes); }

int32_t WebRecord::PackedLength() const {
  try {
    return static_cast<int32_t>(std::min<size_t>(Write(0).Size(), INT32_MAX));
  } catch (const OstrelError&) {
    return INT32_MAX;
  }
}

void WebRecord::Unpack(const std::string& text) {
  int16_t pos = 1;
  UnpackInteger(pos, text);
  const int16_t reserved = UnpackInteger(pos, text);
  if (reserved != kPlainRecord && reserved != kExtendedRecord) {
    throw OstrelError(err::kInvalidArgument, "a site record of kind " + std::to_string(reserved),
                      "This site was recorded by a newer version of Ostrel, which this one cannot read.");
  }
  std::string siteName = UnpackString(pos, text);
  std::string url = UnpackString(pos, text);
  FormInfo form = ReadForm(pos, text);
  std::vector<ControlInfo> controls = ReadControls(pos, text);
  StepExtra extra;
  std::vector<LoginStep> more;
  if (reserved == kExtendedRecord) {
    const int16_t version = UnpackByte(pos, text);
    if (version != kExtensionVersion) {
      throw OstrelError(err::kInvalidArgument, "a site record extension of version " + std::to_string(version),
                        "This site was recorded by a newer version of Ostrel, which this one cannot read.");
    }
    extra = ReadExtra(pos, text, controls.size());
    const int16_t steps = UnpackByte(pos, text);
    if (steps + 1 > static_cast<int16_t>(kMaxLoginSteps)) {
      throw OstrelError(err::kInvalidArgument, std::to_string(steps + 1) + " steps in a site record");
    }
    for (int16_t i = 0; i < steps; ++i) {
      LoginStep step;
      step.URL = UnpackString(pos, text);
      step.Form = ReadForm(pos, text);
      step.Controls = ReadControls(pos, text);
      step.Extra = ReadExtra(pos, text, step.Controls.size());
      more.push_back(std::move(step));
    }
  }
  mSiteName = std::move(siteName);
  mURL = std::move(url);
  mForm = std::move(form);
  mControls = std::move(controls);
  mExtra = std::move(extra);
  mMoreSteps = std::move(more);
}

LoginStep WebRecord::Step(int16_t k) const {
  if (k < 1 || k > StepCount()) {
    throw OstrelError(err::kSubscript, "step " + std::to_string(k) + " of " + std::to_string(StepCount()));
  }
  if (k > 1) return mMoreSteps[static_cast<size_t>(k - 2)];
  return LoginStep{mURL, Form(), mControls, mExtra};
}

ControlInfo* WebRecord::FirstControlOfType(int32_t ctl_type) {
  for (ControlInfo& control : mControls) {
    if (control.CtlType == ctl_type) return &control;
  }
  for (LoginStep& step : mMoreSteps) {
    for (ControlInfo& control : step.Controls) {
      if (control.CtlType == ctl_type) return &control;
    }
  }
  return nullptr;
}

}  // namespace ostrel
