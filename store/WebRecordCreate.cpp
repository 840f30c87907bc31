// Building a site record from two captures of one login page.
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "page/WebPage.h"
#include "page/FramePath.h"
#include "store/WebRecord.h"
#include "support/ErrorNumbers.h"
#include "support/OstrelError.h"

namespace ostrel {

namespace {

constexpr char kFormChanged[] =
    "The page changed its login form while you were logging in, so nothing was saved; "
    "please record the login again.";

[[noreturn]] void Refuse(const std::string& description) {
  throw OstrelError(err::kSubscript, description, kFormChanged);
}

// Text that keeps its length in front, so that no two different lists of
// parts give the same key.
std::string Part(const std::string& text) { return std::to_string(text.size()) + ":" + text; }

// One form in both captures: the same frame and name, and the same position
// among its document's forms when it has no name.
std::string FormKey(const WebForm& form) {
  std::string key = std::to_string(form.FrameIndex()) + "/" +
                    Part(FramePath::NestedPart(form.FrameIndex(), form.FrameURL())) + Part(form.Name());
  if (form.IsGroup()) {
    key += "/group";  // one per document, wherever its forms come and go
  } else if (form.Name().empty()) {
    key += "/" + std::to_string(form.Index());
  }
  return key;
}

// One input in both captures: the same tag, type code and name, or the same
// id when it has no name. Only inputs that carry a value take part.
std::optional<std::string> ControlKey(const WebControl& control) {
  if (!WebControl::IsValueBearing(control.CtlType())) return std::nullopt;
  std::string key = Part(control.TagName()) + std::to_string(control.CtlType());
  key += control.Name().empty() ? "i" + Part(control.ID()) : "n" + Part(control.Name());
  return key;
}

// What the person types: text and password inputs. Hidden inputs belong to
// the page, whose scripts add and drop them as they please.
bool Typed(const WebControl& control) {
  return control.CtlType() == ctl::kText || control.CtlType() == ctl::kPassword;
}

// The items of two captures that share a key, paired within each key in
// order: the k-th of the first capture with the k-th of the second.
struct Pairing {
  std::vector<int32_t> partner;  // per position of the first: position in the second, 0 for none
  std::vector<bool> taken;       // per position of the second: paired
};

template <typename List, typename KeyOf>
Pairing PairByKey(const List& first, const List& second, KeyOf key_of) {
  std::map<std::string, std::deque<int32_t>> waiting;
  for (int32_t k = 1; k <= second.Count(); ++k) {
    if (std::optional<std::string> key = key_of(second.Item(k))) waiting[*key].push_back(k);
  }
  Pairing pairing{std::vector<int32_t>(static_cast<size_t>(first.Count()), 0),
                  std::vector<bool>(static_cast<size_t>(second.Count()), false)};
  for (int32_t j = 1; j <= first.Count(); ++j) {
    std::optional<std::string> key = key_of(first.Item(j));
    if (!key) continue;
    auto it = waiting.find(*key);
    if (it == waiting.end() || it->second.empty()) continue;
    const int32_t k = it->second.front();
    it->second.pop_front();
    pairing.partner[static_cast<size_t>(j - 1)] = k;
    pairing.taken[static_cast<size_t>(k - 1)] = true;
  }
  return pairing;
}

std::string Describe(const WebControl& control, int32_t position, int32_t form) {
  return "input " + std::to_string(position) + " (" + control.TagName() + ", type " +
         std::to_string(control.CtlType()) + ", name \"" + control.Name() + "\", id \"" +
         control.ID() + "\") of form " + std::to_string(form);
}

// An input of the first capture that the person may have typed into must
// still be on the page when it is left.
void RequirePaired(const WebControl& control, bool paired, int32_t position, int32_t form) {
  if (Typed(control) && !paired) {
    Refuse(Describe(control, position, form) + " was gone when the page was left");
  }
}

// An input that holds text when the page is left but was not there when
// recording started would be lost.
void RequireNotNew(const WebControl& control, bool paired, int32_t position, int32_t form) {
  if (Typed(control) && !paired && !control.Value().empty()) {
    Refuse(Describe(control, position, form) + " holds text but was not on the page when recording started");
  }
}

int16_t ControlIndex(int32_t position) {
  if (position - 1 > INT16_MAX) {
    throw OstrelError(err::kOverflow, "input position " + std::to_string(position) +
                                          " does not fit a site record");
  }
  return static_cast<int16_t>(position - 1);
}

}  // namespace

namespace {

// A form (or group) in which the person typed, and what they typed.
struct Typing {
  FormInfo form;
  bool group = false;
  bool password = false;
  std::vector<ControlInfo> controls;
};

Typing TypingIn(const WebForm& where, const WebPage& page2) {
  Typing typing;
  typing.group = where.IsGroup();
  typing.form.Index = typing.group ? 0 : where.Index();
  typing.form.FrameIndex = where.FrameIndex();
  typing.form.FrameURL = where.FrameURL();
  typing.form.ID = where.ID();
  typing.form.Name = where.Name();
  typing.form.Javascript = page2.Javascript();
  return typing;
}

void Add(Typing& typing, const WebControl& positioned, int32_t position, const std::string& value) {
  ControlInfo control;
  control.Index = ControlIndex(position);
  control.ID = positioned.ID();
  control.Name = positioned.Name();
  control.CtlType = positioned.CtlType();
  control.Value = value;
  typing.password = typing.password || control.CtlType == ctl::kPassword;
  typing.controls.push_back(std::move(control));
}

// A form present at both captures: its inputs pair up, and their positions
// are those of the first capture; an input of the login gone or come in
// between would shift them.
Typing TypingInPaired(const WebForm& form1, int32_t i, const WebForm& form2, int32_t paired_form,
                      const WebPage& page2) {
  Typing typing = TypingIn(form1, page2);
  const Pairing pairs = PairByKey(form1.Controls(), form2.Controls(), ControlKey);
  for (int32_t k = 1; k <= form2.Controls().Count(); ++k) {
    RequireNotNew(form2.Controls().Item(k), pairs.taken[static_cast<size_t>(k - 1)], k, paired_form);
  }
  for (int32_t j = 1; j <= form1.Controls().Count(); ++j) {
    const WebControl& control1 = form1.Controls().Item(j);
    const int32_t partner = pairs.partner[static_cast<size_t>(j - 1)];
    RequirePaired(control1, partner != 0, j, i);
    if (partner == 0) continue;
    const WebControl& control2 = form2.Controls().Item(partner);
    if (control2.Value() != control1.Value()) Add(typing, control1, j, control2.Value());
  }
  return typing;
}

// A form that came after recording started (a dialog, a view the page
// drew), or a group of inputs outside any form, which pages build and
// rebuild as they please: what holds typed text at the second capture, at
// its positions then, and was not there with that text at the first.
Typing TypingInNew(const WebForm& form2, const WebForm* form1, const WebPage& page2) {
  Typing typing = TypingIn(form2, page2);
  const WebControls& controls2 = form2.Controls();
  Pairing pairs{{}, std::vector<bool>(static_cast<size_t>(controls2.Count()), false)};
  std::vector<int32_t> partner_of(static_cast<size_t>(controls2.Count()), 0);
  if (form1) {
    pairs = PairByKey(form1->Controls(), controls2, ControlKey);
    for (size_t j = 0; j < pairs.partner.size(); ++j) {
      if (pairs.partner[j] != 0) partner_of[static_cast<size_t>(pairs.partner[j] - 1)] = static_cast<int32_t>(j + 1);
    }
  }
  for (int32_t k = 1; k <= controls2.Count(); ++k) {
    const WebControl& control2 = controls2.Item(k);
    if (!Typed(control2) || control2.Value().empty()) continue;
    const int32_t partner = partner_of[static_cast<size_t>(k - 1)];
    if (partner != 0 && form1->Controls().Item(partner).Value() == control2.Value()) continue;
    Add(typing, control2, k, control2.Value());
  }
  return typing;
}

}  // namespace

void WebRecord::CreateRecord(const std::string& strSiteName, const WebPage& WebPage1,
                             const WebPage& WebPage2) {
  const WebForms& forms1 = WebPage1.Forms();
  const WebForms& forms2 = WebPage2.Forms();
  const Pairing form_pairs = PairByKey(forms1, forms2, [](const WebForm& form) {
    return std::optional<std::string>(FormKey(form));
  });

  // Where the person typed, forms of the first capture first.
  std::vector<Typing> typed;
  for (int32_t i = 1; i <= forms1.Count(); ++i) {
    const WebForm& form1 = forms1.Item(i);
    const int32_t paired_form = form_pairs.partner[static_cast<size_t>(i - 1)];
    if (paired_form == 0) continue;  // the page took it away: the login went elsewhere
    const WebForm& form2 = forms2.Item(paired_form);
    typed.push_back(form1.IsGroup() ? TypingInNew(form2, &form1, WebPage2)
                                    : TypingInPaired(form1, i, form2, paired_form, WebPage2));
  }
  for (int32_t k = 1; k <= forms2.Count(); ++k) {
    if (!form_pairs.taken[static_cast<size_t>(k - 1)]) typed.push_back(TypingInNew(forms2.Item(k), nullptr, WebPage2));
  }
  // The login is the form that got a password, else the first typed in;
  // what was typed elsewhere (a search box) is not part of it.
  const Typing* login = nullptr;
  for (const Typing& typing : typed) {
    if (typing.controls.empty()) continue;
    if (!login || (typing.password && !login->password)) login = &typing;
  }

  mSiteName = strSiteName;
  mURL = WebPage1.URL();
  mForm.reset();
  mControls.clear();
  mExtra = StepExtra{};
  mMoreSteps.clear();
  if (!login) return;
  mForm = login->form;
  mControls = login->controls;
  mExtra.Group = login->group;
}

}  // namespace ostrel
