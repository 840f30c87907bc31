// Helpers put in front of every function Ostrel runs in its own world. They
// reach the DOM through the prototypes' own getters and methods, so a page
// that names a field "submit", "name" or "forms" cannot shadow what they
// read. A failure of our own is thrown as Error("ostrel:<error number>").
/* exported ostrelGet, ostrelClass, ostrelFail, ostrelInfo, ostrelElements, ostrelPack, ostrelWindowOf, ostrelLeaving,
            ostrelMeets, ostrelType, ostrelPressEnter */
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
  } else if (ostrelIsDocument(el)) {
    // A document stands for its group of inputs outside any form.
    return ['form', '#GROUP', '', '', '', '', 0];
  } else if (ostrelTag.call(el).includes('-')) {
    // A custom element: its type, name and value live in the page's own
    // world, which is asked for them (custom-controls.js).
    kind = 'custom';
    type = ostrelAttribute.call(el, 'type') ?? '';
    name = ostrelAttribute.call(el, 'name') ?? '';
  }
  const attribute = ostrelAttribute.call(el, 'name') ?? '';
  return [kind, ostrelTag.call(el), ostrelId.call(el), type, name, value, attribute === name ? 0 : attribute];
};
const ostrelElements = (form) =>
    ostrelIsDocument(form) ? ostrelGroup(form) : Array.from(ostrelGet(HTMLFormElement.prototype, 'elements', form));
// An array of the items of list carrying its snapshot: property
// ostrelSnapshot is the JSON text {"items": [row, ...]}; with nested (the
// forms of a window), every form's elements too, as arrays in property
// ostrelElements and their rows in "elements": [[row, ...], ...].
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
// Whether the document of window w meets rule {origin, top}: its own
// security origin (self.origin: the real one of an about:srcdoc or
// about:blank document too, which location.origin gives as "null") is
// rule.origin; or it is opaque, its parent's origin is rule.origin and the
// top page's is rule.top. An empty rule.origin checks nothing.
const ostrelMeets = (w, rule) => {
  if (!rule || !rule.origin) return true;
  const origin = w.origin;
  if (origin === rule.origin) return true;
  if (origin !== 'null') return false;
  const ancestors = w.location.ancestorOrigins;
  return ancestors.length > 0 && ancestors[0] === rule.origin && ancestors[ancestors.length - 1] === rule.top;
};
// Types value into the input el as a person would: focuses it, selects
// what it holds and inserts the text in its place, so the page sees the
// focus and the "beforeinput" and "input" events of typing (a code box
// that moves the focus on, a masked input, a framework's own state all
// follow), then "change". Where the browser does not insert (an input
// that takes no selection), the value is set and the events sent instead.
const ostrelType = (el, value) => {
  const valueOf = Object.getOwnPropertyDescriptor(HTMLInputElement.prototype, 'value');
  const d = el.ownerDocument;
  HTMLElement.prototype.focus.call(el);
  // The insertion goes wherever the focus is: only into el.
  let focused = ostrelGet(Document.prototype, 'activeElement', d);
  while (focused && focused !== el && focused.shadowRoot && focused.shadowRoot.activeElement) {
    focused = focused.shadowRoot.activeElement;
  }
  let typed = false;
  if (focused === el) try {
    HTMLInputElement.prototype.select.call(el);
    typed = value === '' ? Document.prototype.execCommand.call(d, 'delete', false) || valueOf.get.call(el) === ''
                         : Document.prototype.execCommand.call(d, 'insertText', false, value);
  } catch (e) {
    typed = false;
  }
  const w = ostrelWindowOf(el);
  if (!typed || valueOf.get.call(el) !== value) {
    valueOf.set.call(el, value);
    EventTarget.prototype.dispatchEvent.call(el, new w.Event('input', {bubbles: true}));
  }
  EventTarget.prototype.dispatchEvent.call(el, new w.Event('change', {bubbles: true}));
};
// Presses Enter in the input el as a keyboard would: the page's handlers
// see keydown, keypress and keyup of Enter; unless one of them cancels it,
// the input's form is then submitted, as Enter submits it.
const ostrelPressEnter = (el) => {
  HTMLElement.prototype.focus.call(el);
  const init = {key: 'Enter', code: 'Enter', keyCode: 13, which: 13, bubbles: true, cancelable: true, composed: true};
  const send = (type, more) => EventTarget.prototype.dispatchEvent.call(el, new KeyboardEvent(type, {...init, ...more}));
  const down = send('keydown', {});
  const press = down && send('keypress', {charCode: 13});
  send('keyup', {});
  const form = ostrelClass(el) === '[object HTMLInputElement]'
      ? Object.getOwnPropertyDescriptor(HTMLInputElement.prototype, 'form').get.call(el) : null;
  if (press && form && ostrelConnected(form)) HTMLFormElement.prototype.requestSubmit.call(form);
};
const ostrelConnected = (node) => Object.getOwnPropertyDescriptor(Node.prototype, 'isConnected').get.call(node);
