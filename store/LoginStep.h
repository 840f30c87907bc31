#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/ControlInfo.h"
#include "store/FormInfo.h"

namespace ostrel {

// A click the person made on the page before typing a step's login (a
// "Show login" toggle, a tab, a button that opens a dialog): repeated at
// replay when the step's inputs are not there yet. Plain data.
struct RevealClick {
  int16_t FrameIndex = FormInfo::kTopLevelFrame;  // where, as FormInfo says it
  std::string FrameURL;
  std::string Target;  // the element clicked (see ElementDescription)
  bool operator==(const RevealClick&) const = default;
};

// How a step's login was sent.
enum class SendKind : uint8_t {
  kForm = 0,   // as records always held it: the form's button, else the form, or Javascript
  kPress = 1,  // the person pressed the element StepExtra::Pressed describes
  kEnter = 2,  // the person pressed Enter in the input whose 1-based number is Pressed
};

// What a record holds of a step beyond the fields every record has. Plain
// data; a default StepExtra is what a record without these fields means.
struct StepExtra {
  bool Group = false;            // the inputs sit in no form: they are the group of the document's
                                 // inputs outside any form (Form.Index 0, no name)
  SendKind Send = SendKind::kForm;
  std::string Pressed;           // see SendKind
  std::string Origin;            // the form's document's own origin at recording ("null": opaque)
  std::string SentTo;            // the origin the login was sent to; empty: not known
  std::vector<RevealClick> Reveal;
  // Per control, the shadow hosts it sits under, outermost first, as
  // ElementDescription writes a path; empty when no control sits in a
  // shadow tree.
  std::vector<std::string> Paths;
  bool operator==(const StepExtra&) const = default;
};

// One step of a login sent in several steps (the user name on one page,
// the password on the next): its page's address, its form (or group) and
// inputs, and how it was sent. Plain data.
struct LoginStep {
  std::string URL;
  FormInfo Form;
  std::vector<ControlInfo> Controls;
  StepExtra Extra;
};

// Up to this many steps per site.
inline constexpr size_t kMaxLoginSteps = 4;

}  // namespace ostrel
