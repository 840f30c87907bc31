#include "platform/devtools/DomScripts.h"

#include "PageScripts.h"

namespace ostrel::dom {

namespace {

// A function expression that runs the function `name`, declared in source,
// with the helpers of prelude.js in front, on `this` and the arguments it is
// called with.
std::string Function(const char* source, const char* name) {
  return std::string("function(...ostrelArgs) {\n") + scripts::kPrelude + "\n" + scripts::kDescribe + "\n" + source +
         "\nreturn " + name + ".apply(this, ostrelArgs);\n}";
}

// An expression for the page's own world that calls the function `name`,
// declared in source, with the given argument texts.
std::string PageExpression(const char* source, const char* name, const std::string& arguments) {
  return std::string("(() => {\n") + source + "\nreturn " + name + "(" + arguments + ");\n})()";
}

// text as the inside of a JavaScript string literal in double quotes.
std::string EscapeForScript(const std::string& text) {
  std::string out;
  for (const unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      static const char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

std::string ReadSnapshot() { return Function(scripts::kReadSnapshot, "readSnapshot"); }

std::string AlongPath(const std::string& function) {
  return std::string("function(ostrelPath, ...ostrelArgs) {\n") + scripts::kAlongPath +
         "\nreturn alongPath.call(this, " + function + ", ostrelPath, ...ostrelArgs);\n}";
}

std::string FormsOfWindow() { return Function(scripts::kFormsOfWindow, "formsOfWindow"); }
std::string ElementsOfForm() { return Function(scripts::kElementsOfForm, "elementsOfForm"); }
std::string DescendantsOf() { return Function(scripts::kDescendantsOf, "descendantsOf"); }
std::string ElementInfo() { return Function(scripts::kElementInfo, "elementInfo"); }
std::string SetInputValue() { return Function(scripts::kSetInputValue, "setInputValue"); }
std::string ClickLater() { return Function(scripts::kClickLater, "clickLater"); }
std::string SubmitLater() { return Function(scripts::kSubmitLater, "submitLater"); }
std::string OwnerWindow() { return Function(scripts::kOwnerWindow, "ownerWindow"); }
std::string CheckDocumentAccess() { return Function(scripts::kCheckDocumentAccess, "checkDocumentAccess"); }
std::string DocumentUrl() { return Function(scripts::kDocumentUrl, "documentUrl"); }
std::string DocumentTitle() { return Function(scripts::kDocumentTitle, "documentTitle"); }
std::string DocumentReadyState() { return Function(scripts::kDocumentReadyState, "documentReadyState"); }
std::string NavigateWindow() { return Function(scripts::kNavigateWindow, "navigateWindow"); }
std::string FrameCount() { return Function(scripts::kFrameCount, "frameCount"); }
std::string FrameAt() { return Function(scripts::kFrameAt, "frameAt"); }
std::string TopReadyState() { return Function(scripts::kTopReadyState, "topReadyState"); }
std::string FrameElement() { return Function(scripts::kFrameElement, "frameElement"); }
std::string FrameElementAt() { return Function(scripts::kFrameElementAt, "frameElementAt"); }
std::string KeepNothingTyped() { return Function(scripts::kKeepNothingTyped, "keepNothingTyped"); }
std::string FillForm() { return Function(scripts::kFillForm, "fillForm"); }
std::string RegisterClosedRoot() { return Function(scripts::kRegisterClosedRoot, "registerClosedRoot"); }
std::string ComponentDocument() { return Function(scripts::kComponentDocument, "componentDocument"); }
std::string ClickDescribed() { return Function(scripts::kClickDescribed, "clickDescribed"); }

std::string CustomControls() { return PageExpression(scripts::kCustomControls, "customControls", ""); }

std::string WriteCustomControls(const std::string& fill, const std::string& which) {
  return PageExpression(scripts::kWriteCustomControls, "writeCustomControls", fill + ", " + which);
}

std::string OriginCheckInPage(const std::string& origin, const std::string& top, int32_t fail) {
  const auto quoted = [](const std::string& text) { return "\"" + EscapeForScript(text) + "\""; };
  return PageExpression(scripts::kOriginCheckInPage, "originCheckInPage",
                        quoted(origin) + ", " + quoted(top) + ", " + std::to_string(fail)) + ";";
}

std::string BeforeNavigateScript() {
  // In a function of its own, so that running it again in a document (which
  // it then leaves alone) declares nothing twice.
  return std::string("(() => {\n") + scripts::kDescribe + "\n" + scripts::kBeforeNavigate + "\n})();\n//# sourceURL=" +
         kHookAddress + "\n";
}

}  // namespace ostrel::dom
