#pragma once

#include <cstdint>
#include <string>

// The JavaScript that the DOM objects run in the page. Each is the source of
// a function called with `this` set to the object it works on. They reach
// the DOM through the prototypes' own getters and methods, so a page that
// names a field "submit", "name" or "forms" cannot shadow what they read.
// A failure of our own is thrown as Error("ostrel:<error number>").
namespace ostrel::dom {

// Collections: each returns an array of elements whose property
// "ostrelSnapshot" is the JSON text {"items": [row, ...]} (rows as
// ElementInfo reads them). The forms of a window also carry every form's
// elements: the arrays in property kNestedProperty, their rows in
// "elements": [[row, ...], ...].
inline constexpr const char* kNestedProperty = "ostrelElements";
std::string ReadSnapshot();       // this: such an array; its JSON text
std::string FormsOfWindow();      // this: a window
std::string ElementsOfForm();     // this: a form element
std::string DescendantsOf();      // this: an element

// Wraps function so that it runs on the object reached from `this` along
// the path given as first argument.
std::string AlongPath(const std::string& function);

// Elements.
std::string ElementInfo();        // this: an element; its snapshot row
std::string SetInputValue();      // (value) -> snapshot row after the write
std::string ClickLater();
std::string SubmitLater();
std::string OwnerWindow();

// Windows and their documents.
std::string CheckDocumentAccess();
std::string DocumentUrl();
std::string DocumentTitle();
std::string DocumentReadyState();
std::string NavigateWindow();     // (url)
std::string FrameCount();
std::string FrameAt();            // (index)
std::string TopReadyState();
std::string FrameElement();       // this: a frame's window; its element in the parent
std::string FrameElementAt();     // this: a window; (index) the element of its frame at index
std::string KeepNothingTyped();   // this: a window; see DevToolsDocument

// Run in the page's own world (expressions, not functions). The custom
// elements among the controls of the document's forms: [[form position,
// element position, type, name attribute, value], ...], read through the
// elements themselves (their state is the page's).
std::string CustomControls();
// Writes the values of the fields at positions which (a JSON array) of
// fill (the FillForm argument, as JSON) that are custom elements, through
// their own value, then "input" and "change" events.
std::string WriteCustomControls(const std::string& fill, const std::string& which);
// A statement for the page's own world that throws Error("ostrel:<fail>")
// unless the document meets the rule {origin, top} (see OriginRule), read
// from location and its ancestor origins only, which a page cannot redefine.
std::string OriginCheckInPage(const std::string& origin, const std::string& top, int32_t fail);

// The whole of a replay's writing in one call (this: the window of the
// document; argument: {address, formName, formIndex, fields: [{name, index,
// value}], submit}). Checks first that the document's origin is that of
// address, then finds the form (by name, else by position), every field (by
// name, else by position among the form's controls, FIELDSET elements
// taking none) and writes the values as setValue does; with submit, it then
// presses the first submit input, else the first image input among all of
// the form's descendants, else the first submit button element, else
// submits the form as pressing Enter would (its submit event runs), from a
// page timer, after checking that the form and every field are still in the
// page and the button is enabled. Returns {status, origin, expected, field}, status one
// of "done", "origin" (another origin: nothing written), "noform",
// "missing" or "notinput" (field, 1-based; the fields before it were
// written), "disabled" (written, the button is disabled: nothing pressed),
// "replaced" (written, but a field or the form has left the page), "custom"
// (custom: the positions of fields that are custom elements, which this
// world cannot write: nothing pressed; run again with customDone once they
// are written).
std::string FillForm();
std::string RegisterClosedRoot();  // this: a closed shadow root, resolved in our world
std::string ComponentDocument();
std::string ClickDescribed();  // this: a window; see DevToolsDocument

// Installed in Ostrel's world of every new document of a tab: stops in the
// debugger, in the function named kStopFunction, before the document is
// left (see scripts/beforeNavigate.js). The script's source address is
// kHookAddress.
inline constexpr const char* kStopFunction = "ostrelBeforeNavigate";
inline constexpr const char* kHookAddress = "ostrel://before-navigate.js";
std::string BeforeNavigateScript();

}  // namespace ostrel::dom
