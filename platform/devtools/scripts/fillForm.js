// this: the window of the document to fill; fill: {where, formName,
// formIndex, group, fields: [{name, index, value, secret}], submit, pressed, enter,
// sentTo, customDone, deadline, pressWaitMs}. The whole of a replay's
// writing in one call: checks first that the document meets the rule
// `where` (see ostrelMeets), then finds the form (by name, else by
// position; with group, the document's inputs outside any form), every
// field (by name, else by position among the form's controls, FIELDSET
// elements taking none; a secret one must be a password input, any other
// must not) and types the values in as a person would (see ostrelType). A form whose login would now go to another origin than
// sentTo (its action, or its button's, as resolved) is not typed into.
// With submit, it then presses what sends the login: the element `pressed`
// describes (see ostrelFindDescribed); with enter (a 1-based field number),
// the Enter key in that field, which submits its form; else the first
// submit input, else the first image input among all of the form's
// descendants, else the first submit button element, else submits the
// form as pressing Enter would (its submit event runs), from a page timer,
// once the form and every field are still in the page and the button is
// there and enabled: should the page have replaced the form meanwhile, the
// new one is found and filled again, for up to pressWaitMs.
//
// Nothing is typed or pressed after fill.deadline (milliseconds since the
// epoch), when the caller has given up on this call.
//
// Answers {status, origin, expected, field}, status one of "done" (typed,
// and pressed when asked), "origin" (another origin: nothing typed),
// "noform", "missing" or "notinput" (field, 1-based; the fields before it
// were typed), "disabled" (typed, but the button stayed disabled: nothing
// pressed), "replaced" (typed, but a field or the form left the page and
// did not come back: nothing pressed), "late" (the deadline passed),
// "sentto" (the login would go to origin `sent`, not sentTo: nothing
// typed), "nobutton" (typed, but what was pressed is not on the page:
// nothing pressed), "custom" (custom: the positions of fields that are custom elements,
// which this world cannot write: nothing pressed; run again with
// customDone once they are written). With submit, the answer is a promise
// that settles once the button is pressed or given up.
function fillForm(fill) {
  const w = this, d = this.document;
  const origin = w.origin;
  if (!ostrelMeets(w, fill.where)) return {status: 'origin', origin, expected: fill.where.origin};
  const byName = (list, name) =>
      list.find((el) => ostrelAttribute.call(el, 'name') === name) || list.find((el) => ostrelId.call(el) === name);
  const upper = (text) => text.replace(/[a-z]/g, (c) => String.fromCharCode(c.charCodeAt(0) - 32));
  const isInput = (el) => upper(ostrelTag.call(el)) === 'INPUT' && ostrelClass(el) === '[object HTMLInputElement]';
  const typed = (el, tag, type) => upper(ostrelTag.call(el)) === tag && upper(ostrelInput[0].call(el)) === type;
  const late = () => fill.deadline > 0 && Date.now() > fill.deadline;
  const formOf = Object.getOwnPropertyDescriptor(HTMLInputElement.prototype, 'form').get;
  const buttonType = Object.getOwnPropertyDescriptor(HTMLButtonElement.prototype, 'type').get;
  const connected = ostrelConnected;
  const disabled = (el) => Element.prototype.matches.call(el, ':disabled');
  // Finds the form and its fields, writes the values and, to submit,
  // finds the button: the first submit input, else the first image input
  // among all descendants, else the first submit button element.
  // A press recorded on the host of a closed shadow root (seen from outside
  // it) goes to the one button inside it, when it has one.
  const inside = (el) => {
    const root = el && ostrelShadowOf(el);
    if (!root || ostrelGet(Element.prototype, 'shadowRoot', el)) return el;
    const buttons = Array.from(ostrelAll(root, 'button, input[type=submit], input[type=button], [role=button]'));
    return buttons.length === 1 ? buttons[0] : el;
  };
  const findButton = (form, elements) => {
    if (fill.pressed) return inside(ostrelFindDescribed(d, fill.pressed));
    if (fill.group || fill.enter) return null;
    return elements.find((el) => typed(el, 'INPUT', 'SUBMIT')) ||
        Array.from(Element.prototype.querySelectorAll.call(form, '*')).find((el) => typed(el, 'INPUT', 'IMAGE')) ||
        elements.find((el) => upper(ostrelTag.call(el)) === 'BUTTON' && buttonType.call(el) === 'submit');
  };
  // The origin a form sends to, when it sends to a web address.
  const goesTo = (form, button) => {
    const own = button && ostrelAttribute.call(button, 'formaction') !== null ? button.formAction : null;
    const action = own || ostrelGetter(HTMLFormElement.prototype, 'action').call(form);
    return /^https?:/i.test(action) ? new URL(action).origin : '';
  };
  const run = () => {
    const forms = Array.from(ostrelGet(Document.prototype, 'forms', d));
    const form = fill.group ? (ostrelGroup(d).length ? d : null)
                            : fill.formName ? byName(forms, fill.formName) : forms[fill.formIndex];
    if (!form) return {status: 'noform'};
    const elements = ostrelElements(form);
    const controls = elements.filter((el) => ostrelTag.call(el) !== 'FIELDSET');
    const button = findButton(form, elements);
    if (!fill.group) {
      const sent = fill.sentTo ? goesTo(form, button) : '';
      if (sent && sent !== fill.sentTo) return {status: 'sentto', sent};
      Element.prototype.setAttribute.call(form, 'autocomplete', 'off');
    }
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
      // A password goes only into a password input, and nothing else into one.
      if (typed(el, 'INPUT', 'PASSWORD') !== Boolean(field.secret)) return {status: 'notinput', field: i + 1};
      if (late()) return {status: 'late'};
      Element.prototype.setAttribute.call(el, 'autocomplete', 'off');
      ostrelType(el, field.value);
      written.push(el);
    }
    if (!fill.submit) return {status: 'done'};
    const state = {status: 'ready', form, button, written};
    if (fill.pressed && !button) {
      state.status = 'nobutton';
    } else if (!inPlace(form, written)) {
      state.status = 'replaced';
    } else if (button && (disabled(button) || !connected(button))) {
      state.status = 'disabled';
    }
    return state;
  };
  // The form and the fields written are still in the page, each field in
  // that form (or in none).
  const inPlace = (form, written) => connected(form) &&
      written.every((el) => connected(el) && (ownerForm(el) === form || ownerForm(el) === null));
  const ownerForm = (el) => ostrelClass(el) === '[object HTMLInputElement]' ? formOf.call(el) : null;
  const ready = (r) => (r.status === 'ready' || r.status === 'disabled' || r.status === 'nobutton') &&
      inPlace(r.form, r.written) &&
      (fill.pressed ? r.button && connected(r.button) && !disabled(r.button)
                    : !r.button || (connected(r.button) && !disabled(r.button)));
  const custom = [];
  let current = run();
  if (custom.length) return {status: 'custom', origin, custom};
  if (current.status !== 'ready' && (current.status === 'noform' || current.status === 'missing' ||
                                     current.status === 'notinput' || current.status === 'late' ||
                                     current.status === 'sentto' || !fill.submit)) {
    return {status: current.status, origin, field: current.field || 0, sent: current.sent || ''};
  }
  if (!fill.submit) return {status: 'done', origin};
  // Pressed from a page timer, so a dialog the page shows cannot hold this
  // call; the answer goes first, the press follows in the next task.
  const start = Date.now();
  return new Promise((resolve) => {
    const pressLater = (delay) => w.setTimeout(() => {
      if (late()) {
        resolve({status: 'late', origin});
        return;
      }
      if (!ready(current)) {
        if ((current.status !== 'disabled' && current.status !== 'nobutton') || !connected(current.form)) {
          current = run();
        }
        if (!ready(current)) {
          if (Date.now() - start < fill.pressWaitMs && current.status !== 'late') {
            pressLater(50);
          } else {
            resolve({status: current.status === 'ready' ? 'replaced' : current.status, origin, field: current.field || 0});
          }
          return;
        }
      }
      const {button, form, written} = current;
      resolve({status: 'done', origin});
      w.setTimeout(() => {
        if (fill.enter) {
          ostrelPressEnter(written[fill.enter - 1]);
        } else if (button) {
          HTMLElement.prototype.click.call(button);
        } else if (HTMLFormElement.prototype.requestSubmit) {
          HTMLFormElement.prototype.requestSubmit.call(form);
        } else {
          HTMLFormElement.prototype.submit.call(form);
        }
      }, 0);
    }, delay);
    pressLater(0);
  });
}
