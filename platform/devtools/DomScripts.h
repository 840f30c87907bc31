#pragma once

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
std::string RunScript();          // (text)
std::string TopReadyState();

// Installed in every new document of a tab: stops in the debugger (in the
// function named kStopFunction, whose parameter `destination` holds the
// address) before the document is left: from the Navigation API's navigate
// event, from a click on a "javascript:" link and from beforeunload. A stop
// within a second after the previous one of the same document is skipped,
// so one navigation stops once.
inline constexpr const char* kStopFunction = "ostrelBeforeNavigate";
std::string BeforeNavigateScript();

}  // namespace ostrel::dom
