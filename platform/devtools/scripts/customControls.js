// Runs in the page's own world, where custom elements keep their state: the
// custom elements among the controls of the document's forms, as
// [[form position, element position, type, name attribute, value], ...].
function customControls() {
  const found = [];
  Array.from(document.forms).forEach((form, f) => {
    Array.from(form.elements).forEach((el, e) => {
      if (!el.localName.includes('-')) return;
      const text = (v) => (v === undefined || v === null ? '' : String(v));
      found.push([f, e, text(el.type), text(el.getAttribute('name')), text(el.value)]);
    });
  });
  return found;
}
