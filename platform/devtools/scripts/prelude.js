// Helpers put in front of every function Ostrel runs in its own world. They
// reach the DOM through the prototypes' own getters and methods, so a page
// that names a field "submit", "name" or "forms" cannot shadow what they
// read. A failure of our own is thrown as Error("ostrel:<error number>").
/* exported ostrelGet, ostrelClass, ostrelFail, ostrelInfo, ostrelElements, ostrelPack, ostrelWindowOf, ostrelLeaving */
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
    // world, which is asked for them (custom-controls.js).
    kind = 'custom';
    type = ostrelAttribute.call(el, 'type') ?? '';
    name = ostrelAttribute.call(el, 'name') ?? '';
  }
  const attribute = ostrelAttribute.call(el, 'name') ?? '';
  return [kind, ostrelTag.call(el), ostrelId.call(el), type, name, value, attribute === name ? 0 : attribute];
};
const ostrelElements = (form) => Array.from(ostrelGet(HTMLFormElement.prototype, 'elements', form));
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
