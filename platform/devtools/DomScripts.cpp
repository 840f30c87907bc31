#include "platform/devtools/DomScripts.h"

namespace ostrel::dom {

namespace {

// Helpers put in front of the functions that need them.
const char* const kPrelude = R"JS(
  const ostrelGet = (proto, property, object) =>
      Object.getOwnPropertyDescriptor(proto, property).get.call(object);
  const ostrelClass = (object) => Object.prototype.toString.call(object);
  const ostrelFail = (number) => { throw new Error('ostrel:' + number); };
  const ostrelGetter = (proto, property) => Object.getOwnPropertyDescriptor(proto, property).get;
  const ostrelInput = ['type', 'name', 'value'].map((p) => ostrelGetter(HTMLInputElement.prototype, p));
  const ostrelFormName = ostrelGetter(HTMLFormElement.prototype, 'name');
  const ostrelTag = ostrelGetter(Element.prototype, 'tagName');
  const ostrelId = ostrelGetter(Element.prototype, 'id');
  const ostrelAttribute = Element.prototype.getAttribute;
  // [kind, tag, id, type, name, value, name attribute]; the name attribute
  // is left out (0) when it equals the name.
  const ostrelInfo = (el) => {
    const k = ostrelClass(el);
    let kind = 'other', type = '', name = '', value = '';
    if (k === '[object HTMLInputElement]') {
      kind = 'input';
      type = ostrelInput[0].call(el);
      name = ostrelInput[1].call(el);
      value = ostrelInput[2].call(el);
    } else if (k === '[object HTMLFormElement]') {
      kind = 'form';
      name = ostrelFormName.call(el);
    } else if (ostrelTag.call(el).includes('-')) {
      // A custom element: its type, name and value live in the page's own
      // world, which is asked for them (CustomControls).
      kind = 'custom';
      type = ostrelAttribute.call(el, 'type') ?? '';
      name = ostrelAttribute.call(el, 'name') ?? '';
    }
    const attribute = ostrelAttribute.call(el, 'name') ?? '';
    return [kind, ostrelTag.call(el), ostrelId.call(el), type, name, value, attribute === name ? 0 : attribute];
  };
  const ostrelElements = (form) => Array.from(ostrelGet(HTMLFormElement.prototype, 'elements', form));
  const ostrelPack = (list, nested) => {
    const items = Array.from(list);
    const meta = {items: items.map(ostrelInfo)};
    if (nested) {
      items.ostrelElements = items.map(ostrelElements);
      meta.elements = items.ostrelElements.map((elements) => elements.map(ostrelInfo));
    }
    items.ostrelSnapshot = JSON.stringify(meta);
    return items;
  };
  const ostrelWindowOf = (el) => (el.ownerDocument && el.ownerDocument.defaultView) || window;
  const ostrelLeaving = Symbol.for('ostrel.leaving');
)JS";

std::string Function(const std::string& params, const std::string& body) {
  return "function(" + params + ") {" + kPrelude + body + "}";
}

}  // namespace

std::string ReadSnapshot() { return "function() { return this.ostrelSnapshot; }"; }

std::string AlongPath(const std::string& function) {
  return "function(ostrelPath, ...ostrelArgs) {"
         "  let target = this;"
         "  for (const key of ostrelPath) target = target == null ? target : target[key];"
         "  if (target == null) throw new Error('ostrel:-2147417848');"
         "  return (" + function + ").apply(target, ostrelArgs);"
         "}";
}

std::string FormsOfWindow() {
  return Function("", "return ostrelPack(ostrelGet(Document.prototype, 'forms', this.document), true);");
}

std::string ElementsOfForm() {
  return Function("",
                  "if (ostrelClass(this) !== '[object HTMLFormElement]') ostrelFail(424);"
                  "return ostrelPack(ostrelElements(this));");
}

std::string DescendantsOf() {
  return Function("", "return ostrelPack(Element.prototype.querySelectorAll.call(this, '*'));");
}

std::string ElementInfo() { return Function("", "return ostrelInfo(this);"); }

std::string SetInputValue() {
  return Function("value", R"JS(
    if (ostrelClass(this) !== '[object HTMLInputElement]') ostrelFail(424);
    Object.getOwnPropertyDescriptor(HTMLInputElement.prototype, 'value').set.call(this, value);
    const w = ostrelWindowOf(this);
    for (const type of ['input', 'change']) {
      EventTarget.prototype.dispatchEvent.call(this, new w.Event(type, {bubbles: true}));
    }
    return ostrelInfo(this);
  )JS");
}

std::string ClickLater() {
  return Function("", R"JS(
    const el = this;
    ostrelWindowOf(el).setTimeout(() => HTMLElement.prototype.click.call(el), 0);
  )JS");
}

std::string SubmitLater() {
  return Function("", R"JS(
    if (ostrelClass(this) !== '[object HTMLFormElement]') ostrelFail(424);
    const form = this;
    ostrelWindowOf(form).setTimeout(() => HTMLFormElement.prototype.submit.call(form), 0);
  )JS");
}

std::string OwnerWindow() {
  return Function("", R"JS(
    const w = this.ownerDocument && this.ownerDocument.defaultView;
    if (!w) ostrelFail(-2147417848);
    return w;
  )JS");
}

std::string CheckDocumentAccess() { return Function("", "void this.document.URL; return true;"); }

std::string DocumentUrl() { return Function("", "return ostrelGet(Document.prototype, 'URL', this.document);"); }

std::string DocumentTitle() {
  return Function("", "return ostrelGet(Document.prototype, 'title', this.document);");
}

std::string DocumentReadyState() {
  return Function("", R"JS(
    const d = this.document;
    if (d[ostrelLeaving]) return 'loading';
    return ostrelGet(Document.prototype, 'readyState', d);
  )JS");
}

std::string NavigateWindow() {
  return Function("url", R"JS(
    const d = this.document;
    let leaves = !/^\s*javascript:/i.test(url);
    if (leaves && url.includes('#')) {
      const target = new URL(url, d.baseURI), current = new URL(ostrelGet(Document.prototype, 'URL', d));
      target.hash = '';
      current.hash = '';
      leaves = target.href !== current.href;
    }
    if (leaves) Object.defineProperty(d, ostrelLeaving, {value: true, configurable: true});
    this.location.href = url;
  )JS");
}

std::string FrameCount() { return Function("", "return this.length;"); }

std::string FrameAt() {
  return Function("index", "if (index < 0 || index >= this.length) ostrelFail(-2147417848); return this[index];");
}

std::string TopReadyState() { return Function("", "return document.readyState;"); }

std::string FrameElement() { return Function("", "return this.frameElement;"); }

std::string CustomControls() {
  return R"JS((() => {
    const found = [];
    Array.from(document.forms).forEach((form, f) => {
      Array.from(form.elements).forEach((el, e) => {
        if (!el.localName.includes('-')) return;
        const text = (v) => (v === undefined || v === null ? '' : String(v));
        found.push([f, e, text(el.type), text(el.getAttribute('name')), text(el.value)]);
      });
    });
    return found;
  })())JS";
}

std::string WriteCustomControls(const std::string& fill, const std::string& which) {
  return R"JS(((fill, which) => {
    const byName = (list, name) =>
        list.find((el) => el.getAttribute('name') === name) || list.find((el) => el.id === name);
    const forms = Array.from(document.forms);
    const form = fill.formName ? byName(forms, fill.formName) : forms[fill.formIndex];
    if (!form) return;
    const elements = Array.from(form.elements);
    const controls = elements.filter((el) => el.tagName !== 'FIELDSET');
    for (const i of which) {
      const field = fill.fields[i];
      const el = field.name ? byName(elements, field.name) : controls[field.index];
      if (!el || !el.localName.includes('-')) continue;
      el.value = field.value;
      for (const type of ['input', 'change']) el.dispatchEvent(new Event(type, {bubbles: true}));
    }
  })()JS" + fill + ", " + which + ")";
}

std::string KeepNothingTyped() {
  return Function("", R"JS(
    // Forms too (the state of a form's own custom controls follows the
    // form's), and the inputs inside open shadow roots.
    const shadowOf = Object.getOwnPropertyDescriptor(Element.prototype, 'shadowRoot').get;
    const mark = (root) => {
      for (const el of root.querySelectorAll('form, input, textarea')) {
        Element.prototype.setAttribute.call(el, 'autocomplete', 'off');
      }
      for (const el of root.querySelectorAll('*')) {
        const shadow = shadowOf.call(el);
        if (shadow) mark(shadow);
      }
    };
    const visit = (w) => {
      let d = null;
      try { d = w.document; } catch (e) { return; }
      if (!d) return;
      mark(d);
      if (!d.ostrelKeepsNothing) {
        d.ostrelKeepsNothing = true;
        new MutationObserver(() => mark(d)).observe(d, {subtree: true, childList: true});
      }
      for (let i = 0; i < w.length; ++i) visit(w[i]);
    };
    visit(this);
  )JS");
}

std::string FillForm() {
  return Function("fill", R"JS(
    const w = this, d = this.document;
    const expected = new URL(fill.address).origin;
    const origin = this.location.origin;
    if (origin !== expected) return {status: 'origin', origin, expected};
    const byName = (list, name) =>
        list.find((el) => ostrelAttribute.call(el, 'name') === name) || list.find((el) => ostrelId.call(el) === name);
    const upper = (text) => text.replace(/[a-z]/g, (c) => String.fromCharCode(c.charCodeAt(0) - 32));
    const isInput = (el) => upper(ostrelTag.call(el)) === 'INPUT' && ostrelClass(el) === '[object HTMLInputElement]';
    const typed = (el, tag, type) => upper(ostrelTag.call(el)) === tag && upper(ostrelInput[0].call(el)) === type;
    const setValue = Object.getOwnPropertyDescriptor(HTMLInputElement.prototype, 'value').set;
    const formOf = Object.getOwnPropertyDescriptor(HTMLInputElement.prototype, 'form').get;
    const buttonType = Object.getOwnPropertyDescriptor(HTMLButtonElement.prototype, 'type').get;
    const connected = (node) => Object.getOwnPropertyDescriptor(Node.prototype, 'isConnected').get.call(node);
    const disabled = (el) => Element.prototype.matches.call(el, ':disabled');
    // Finds the form and its fields, writes the values and, to submit,
    // finds the button: the first submit input, else the first image input
    // among all descendants, else the first submit button element.
    const run = () => {
      const forms = Array.from(ostrelGet(Document.prototype, 'forms', d));
      const form = fill.formName ? byName(forms, fill.formName) : forms[fill.formIndex];
      if (!form) return {status: 'noform'};
      Element.prototype.setAttribute.call(form, 'autocomplete', 'off');
      const elements = ostrelElements(form);
      const controls = elements.filter((el) => ostrelTag.call(el) !== 'FIELDSET');
      const written = [];
      custom.length = 0;
      for (let i = 0; i < fill.fields.length; ++i) {
        const field = fill.fields[i];
        const el = field.name ? byName(elements, field.name) : controls[field.index];
        if (!el) return {status: 'missing', field: i + 1};
        if (ostrelTag.call(el).includes('-')) {
          // Written in the page's own world (WriteCustomControls), then
          // this runs again with them marked done.
          if (!fill.customDone) custom.push(i);
          written.push(el);
          continue;
        }
        if (!isInput(el)) return {status: 'notinput', field: i + 1};
        Element.prototype.setAttribute.call(el, 'autocomplete', 'off');
        setValue.call(el, field.value);
        for (const type of ['input', 'change']) {
          EventTarget.prototype.dispatchEvent.call(el, new (ostrelWindowOf(el).Event)(type, {bubbles: true}));
        }
        written.push(el);
      }
      if (!fill.submit) return {status: 'done'};
      const button = elements.find((el) => typed(el, 'INPUT', 'SUBMIT')) ||
          Array.from(Element.prototype.querySelectorAll.call(form, '*')).find((el) => typed(el, 'INPUT', 'IMAGE')) ||
          elements.find((el) => upper(ostrelTag.call(el)) === 'BUTTON' && buttonType.call(el) === 'submit');
      const state = {status: 'ready', form, button, written};
      if (!connected(form) ||
          !written.every((el) => connected(el) && (ownerForm(el) === form || ownerForm(el) === null))) {
        state.status = 'replaced';
      } else if (button && (disabled(button) || !connected(button))) {
        state.status = 'disabled';
      }
      return state;
    };
    const ownerForm = (el) => ostrelClass(el) === '[object HTMLInputElement]' ? formOf.call(el) : null;
    const ready = (r) => r.status === 'ready' && connected(r.form) &&
        r.written.every((el) => connected(el) && (ownerForm(el) === r.form || ownerForm(el) === null)) &&
        (!r.button || (connected(r.button) && !disabled(r.button)));
    const custom = [];
    let current = run();
    if (custom.length) return {status: 'custom', origin, custom};
    if (current.status !== 'ready') return {status: current.status, origin, field: current.field || 0};
    // Pressed from a page timer, so a dialog the page shows cannot hold
    // this call. Should the page have replaced the form in between, the new
    // one is found and filled again first (for up to a second).
    const pressLater = (delay, tries) => w.setTimeout(() => {
      if (!ready(current)) {
        if (tries >= 20) return;
        current = run();
        if (!ready(current)) {
          pressLater(50, tries + 1);
          return;
        }
      }
      if (current.button) {
        HTMLElement.prototype.click.call(current.button);
      } else if (HTMLFormElement.prototype.requestSubmit) {
        HTMLFormElement.prototype.requestSubmit.call(current.form);
      } else {
        HTMLFormElement.prototype.submit.call(current.form);
      }
    }, delay);
    pressLater(0, 0);
    return {status: 'done', origin};
  )JS");
}

std::string BeforeNavigateScript() {
  return std::string(R"JS((() => {
  if (window.ostrelHookInstalled) return;
  window.ostrelHookInstalled = true;
  let lastStop = -1e9;
  function ostrelBeforeNavigate(info) {
    debugger;
    return info;
  }
  // A frame of another origin than the top document's holds no form Ostrel
  // records: it never stops the page (a stop holds every frame of the
  // process, and could hold back what the person is doing meanwhile).
  const watched = () => {
    if (window === window.top) return true;
    try {
      return window.top.location.origin === window.location.origin;
    } catch (e) {
      return false;
    }
  };
  const stop = (kind, url) => {
    if (performance.now() - lastStop < 1000 || !watched()) return;
    ostrelBeforeNavigate({kind, url});
    lastStop = performance.now();
  };
  if (window.navigation) {
    window.navigation.addEventListener('navigate', (event) => {
      if (!event.destination.sameDocument) stop('navigate', event.destination.url);
    });
  }
  window.addEventListener('click', (event) => {
    if (!event.isTrusted) return;
    for (const node of event.composedPath()) {
      if (!(node instanceof Element)) continue;
      if ((node.localName === 'a' || node.localName === 'area') && node.hasAttribute('href')) {
        const href = node.getAttribute('href');
        if (/^\s*javascript:/i.test(href)) stop('script', href.trim());
        return;
      }
    }
  }, true);
  window.addEventListener('beforeunload', () => stop('unload', ''));
})();
//# sourceURL=)JS") + kHookAddress + "\n";
}

}  // namespace ostrel::dom
