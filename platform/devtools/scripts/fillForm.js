// this: the window of the document to fill; fill: {address, formName,
// formIndex, fields: [{name, index, value}], submit, customDone}. The whole
// of a replay's writing in one call: checks first that the document's
// origin is that of address, then finds the form (by name, else by
// position), every field (by name, else by position among the form's
// controls, FIELDSET elements taking none) and writes the values as
// setInputValue does; with submit, it then presses the first submit input,
// else the first image input among all of the form's descendants, else the
// first submit button element, else submits the form as pressing Enter
// would (its submit event runs), from a page timer, after checking that the
// form and every field are still in the page and the button is enabled.
// Answers {status, origin, expected, field}, status one of "done",
// "origin" (another origin: nothing written), "noform", "missing" or
// "notinput" (field, 1-based; the fields before it were written),
// "disabled" (written, the button is disabled: nothing pressed),
// "replaced" (written, but a field or the form has left the page),
// "custom" (custom: the positions of fields that are custom elements,
// which this world cannot write: nothing pressed; run again with
// customDone once they are written).
function fillForm(fill) {
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
}
