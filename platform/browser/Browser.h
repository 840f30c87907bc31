#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

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
  // Runs text as script in this window; err::kScriptError when it throws.
  virtual void execScript(const std::string& text) = 0;
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
};

// One browser tab.
class IBrowser {
 public:
  // Called before the page or one of its frames is left, while the page
  // still holds what the user typed. url is the destination (the whole
  // "javascript:..." text for a script link). The page waits until the
  // handler returns; the handler may read the page through this browser.
  using BeforeNavigateHandler = std::function<void(const std::string& url)>;

  virtual ~IBrowser() = default;
  // Starts loading url and returns; ReadyState() is below 4 from then on
  // until the new page has loaded.
  virtual void Navigate(const std::string& url) = 0;
  virtual int32_t ReadyState() = 0;  // 4 = complete
  virtual std::unique_ptr<IDocument> Document() = 0;
  // One handler at a time; an empty function disconnects.
  virtual void SetBeforeNavigate(BeforeNavigateHandler handler) = 0;
};

// Lets waits keep the window and the browser alive: processes what is
// pending (window events, browser messages) and returns. When nothing is
// pending it may wait a few milliseconds for something to arrive, so a loop
// around it does not keep a processor core busy.
class IEventPump {
 public:
  virtual ~IEventPump() = default;
  virtual void ProcessPending() = 0;
};

}  // namespace ostrel
