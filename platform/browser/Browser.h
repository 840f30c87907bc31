#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The browser and its HTML document object model, as the page model, the
// recorder and replay use them. Every call is synchronous and runs on the
// user-interface thread. A refused operation throws OstrelError with a stable
// number per kind (support/ErrorNumbers.h):
//   err::kAccessDenied        the document of another site's frame
//   err::kObjectDisconnected  an element, frame or document that no longer exists
//   err::kScriptError         a script raised an exception
//   err::kBrowserGone         the browser exited or crashed
//   err::kBrowserTimeout      the browser did not answer a call in time
//   err::kBrowserProtocol     the browser refused a command for another reason
// Objects handed out are owned by the caller; each holds a reference to a
// live browser object that is released when the C++ object is destroyed.
// No object may outlive the IBrowser it came from.
namespace ostrel {

class IDocument;
class IElement;

// An ordered collection of elements: a document's forms, a form's elements,
// an element's descendants.
class IElementCollection {
 public:
  virtual ~IElementCollection() = default;
  virtual int32_t length() = 0;
  // The element at a 0-based position; nullptr when there is none.
  virtual std::unique_ptr<IElement> item(int32_t index) = 0;
  // The first element whose name (or, failing that, id) equals name exactly;
  // nullptr when none matches.
  virtual std::unique_ptr<IElement> item(const std::string& name) = 0;
};

// Any element. The input and form operations are answered by every element;
// on an element of another kind they read as empty strings or fail with
// err::kObjectRequired (elements(), submit(), setValue()).
class IElement {
 public:
  virtual ~IElement() = default;
  virtual std::string tagName() = 0;  // upper case for HTML elements
  virtual std::string id() = 0;
  virtual void click() = 0;           // never waits for a navigation it starts
  virtual std::unique_ptr<IElementCollection> all() = 0;  // descendants, document order
  virtual std::unique_ptr<IDocument> document() = 0;      // the owning document

  // Input elements.
  virtual std::string type() = 0;
  virtual std::string name() = 0;
  virtual std::string value() = 0;
  // Sets the value so that the page's own scripts see it (native setter, then
  // "input" and "change" events).
  virtual void setValue(const std::string& value) = 0;

  // Form elements.
  virtual std::unique_ptr<IElementCollection> elements() = 0;
  // Sends the form with the form prototype's own method, so a field named
  // "submit" does not shadow it; never waits for the navigation.
  virtual void submit() = 0;
};

class IWindow;

// Where a secret may go: into a document whose own (security) origin is
// `origin`; into a document of an opaque origin (a sandboxed frame, a data:
// address) only when its parent's origin is `origin` and the top page's is
// `top`. An empty origin checks nothing.
struct OriginRule {
  OriginRule(std::string origin = {}, std::string top = {}) : origin(std::move(origin)), top(std::move(top)) {}
  OriginRule(const char* origin) : origin(origin) {}
  std::string origin;
  std::string top;
};

// A document's frames.
class IFramesCollection {
 public:
  virtual ~IFramesCollection() = default;
  virtual int32_t length() = 0;
  // The frame's window at a 0-based position; throws err::kObjectDisconnected
  // when there is no such frame.
  virtual std::unique_ptr<IWindow> item(int32_t index) = 0;
};

// A window: the top-level page's or a frame's.
class IWindow {
 public:
  virtual ~IWindow() = default;
  // The window's document; err::kAccessDenied for another site's frame.
  virtual std::unique_ptr<IDocument> Document() = 0;
  // Runs text as script in this window, in the page's own world;
  // err::kScriptError when it throws. The text runs only if the window's
  // document meets rule (checked in the same evaluation), else
  // err::kWebsiteProblem and nothing of it runs.
  virtual void execScript(const std::string& text, const OriginRule& rule) = 0;
};

// What a replay writes into one form: see IDocument::FillForm.
struct FormFill {
  struct Field {
    std::string name;   // found by name (else id) when not empty,
    int32_t index = 0;  // else by 0-based position among the form's controls
    std::string value;
    bool secret = false;  // a password: typed only into a password input, and
                          // nothing else into one
  };
  OriginRule where;     // the document must meet it
  std::string form_name;  // found by name (else id) when not empty,
  int32_t form_index = 0;  // else by position among the document's forms
  bool group = false;      // the document's inputs outside any form, not a form
  std::vector<Field> fields;
  bool submit = true;   // press the form's button (or submit it) after writing
  std::string pressed;  // press this element (a description) instead
  int32_t enter = 0;    // else press Enter in this field (1-based) instead
  // A form that would send the login to another origin than this one is
  // not typed into (empty: not checked).
  std::string sent_to;
  // Nothing is typed or pressed after this moment (milliseconds since the
  // epoch; 0: no limit): the caller gives up on the fill then.
  int64_t deadline_ms = 0;
  // How long a press may wait for a disabled button, or for a form the page
  // replaces, before it is given up.
  int32_t press_wait_ms = 5000;
};

// What FillForm did.
struct FillOutcome {
  enum class Status {
    kDone,            // written (and pressed, when asked)
    kWrongOrigin,     // the document has another origin: nothing written
    kNoForm,          // no such form (yet): nothing written
    kMissingField,    // field `field` is not in the form; those before it written
    kNotAnInput,      // field `field` is not an INPUT; those before it written
    kButtonDisabled,  // written; the button stayed disabled: nothing pressed
    kReplaced,        // written; the form or a field left the page for good: nothing pressed
    kLate,            // the deadline passed: nothing more written or pressed
    kSentElsewhere,   // the form sends to origin `sent`, not sent_to: nothing written
    kNoButton,        // written; what was pressed is not on the page: nothing pressed
  };
  Status status = Status::kDone;
  std::string origin;    // the document's origin (scheme://host[:port], "null" when opaque)
  std::string expected;  // the origin it should have had
  std::string sent;      // kSentElsewhere: where the form sends
  int32_t field = 0;     // 1-based
};

class IDocument {
 public:
  virtual ~IDocument() = default;
  virtual std::string url() = 0;
  // Navigates the window that shows this document. The same IDocument then
  // answers for the page that window shows next.
  virtual void setUrl(const std::string& url) = 0;
  virtual std::string title() = 0;
  virtual std::string readyState() = 0;  // "loading", "interactive", "complete"
  virtual std::unique_ptr<IElementCollection> forms() = 0;
  virtual std::unique_ptr<IFramesCollection> frames() = 0;
  virtual std::unique_ptr<IWindow> parentWindow() = 0;
  // A replay's whole writing in one step where the document can do it so:
  // checks the origin (in the same step as the writes, so nothing can change
  // in between), finds the form and its fields, types the values as a
  // person would (focus, then the text inserted in place of what was
  // there, with the events of typing) and, with fill.submit, presses the
  // form's first submit input, else its first image input, else submits
  // it, and answers once that is done or given up: never a button that is
  // disabled or no longer in the page, never a form that is gone, nothing
  // after fill.deadline_ms. std::nullopt when this document offers no such
  // step: the caller then uses the element operations.
  virtual std::optional<FillOutcome> FillForm(const FormFill& fill) {
    (void)fill;
    return std::nullopt;
  }
  // Asks the browser to keep nothing of what is typed into this document's
  // inputs, and those of its frames of the same origin, from now on (also
  // into inputs added later): no form history, no form state in its session
  // files. Does nothing where there is no such thing to ask.
  virtual void KeepNothingTyped() {}
  // Makes what sits in the document's closed shadow roots reachable to
  // forms() and FillForm (a browser whose scripts cannot see into them
  // may do nothing). Failures other than a browser gone are absorbed.
  virtual void FindClosedRoots() {}
  // Clicks the element a description (see NavigationInfo::target) stands
  // for, when the document meets rule; whether it was there. A document
  // that cannot find described elements finds none.
  virtual bool ClickDescribed(const std::string& description, const OriginRule& rule) {
    (void)description;
    (void)rule;
    return false;
  }
};

// What the page notification tells: a moment at which a login may be sent
// (while the page is held, with what was typed still in its inputs), or
// what happened since.
struct NavigationInfo {
  enum class Kind {
    kNavigate,    // the document is about to be left for url
    kScriptLink,  // the person clicked a "javascript:" link: url is its whole text
    kUnload,      // the document is being unloaded (url unknown, empty)
    kSubmit,      // a form is submitted (even one the page cancels): url its
                  // action as resolved, target the form
    kPress,       // the person pressed something that is not a field: target it
    kEnter,       // the person pressed Enter in an input: target the input
    kLoaded,      // the top document's content has loaded (not held)
    kRequest,     // the page sent a request: url, body (not held)
  };
  Kind kind = Kind::kNavigate;
  std::string url;
  // The document concerned, and whether it is the tab's top-level one (else
  // a frame's).
  std::string document_url;
  std::string document_origin;  // its own origin ("null" when opaque); empty when unknown
  bool top_level = true;
  // The element concerned, as a description that finds it again (JSON text
  // of tag, id, name, text, position n among elements of its tag and text,
  // path of the shadow hosts over it); empty when none.
  std::string target;
  std::string body;  // kRequest: what it posts, when the browser tells
};

// One browser tab.
class IBrowser {
 public:
  // Called before the page or one of its frames is left, and at the other
  // moments a login may be sent (a submit, a press, Enter), while the page
  // still holds what the user typed; also once the top document has loaded
  // and for each request the page sends. Only Ostrel's own hook reports
  // the held moments, never a page script. A held page waits until the
  // handler returns; the handler may read the page through this browser.
  using BeforeNavigateHandler = std::function<void(const NavigationInfo& navigation)>;

  virtual ~IBrowser() = default;
  // Starts loading url and returns at once (it does not wait for the
  // server); ReadyState() is below 4 from then on until the new page has
  // loaded.
  virtual void Navigate(const std::string& url) = 0;
  // 4 = complete. Fails with err::kWebsiteProblem when the page asked for
  // by Navigate could not be loaded at all (no such host, refused...).
  virtual int32_t ReadyState() = 0;
  virtual std::unique_ptr<IDocument> Document() = 0;
  // One handler at a time; an empty function disconnects (a page held by
  // the handler then goes on: disconnect only once it has been read).
  virtual void SetBeforeNavigate(BeforeNavigateHandler handler) = 0;

  // While a call into this tab waits for the page (a page busy in a script
  // of its own, a dialog it shows), `waiting` runs every few milliseconds
  // with how long the call has waited so far: it may process the window's
  // events, and may throw to give the call up (what it throws leaves the
  // call). Not run while the page is held for the before-navigate handler.
  // An empty function: calls just wait.
  using WaitHandler = std::function<void(std::chrono::milliseconds waited)>;
  virtual void SetWaitHandler(WaitHandler waiting) { (void)waiting; }
};

// Lets waits keep the window and the browser alive: processes what is
// pending (window events, browser messages) and returns. When nothing is
// pending it may wait a few milliseconds for something to arrive, so a loop
// around it does not keep a processor core busy.
class IEventPump {
 public:
  virtual ~IEventPump() = default;
  virtual void ProcessPending() = 0;
  // Processes only what is pending now, never waiting for more.
  virtual void ProcessPendingNow() { ProcessPending(); }
};

}  // namespace ostrel
