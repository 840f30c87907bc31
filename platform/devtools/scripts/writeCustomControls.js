// Runs in the page's own world: writes the values of the fields at
// positions `which` of fill (the fillForm argument) that are custom
// elements, through their own value, then "input" and "change" events.
function writeCustomControls(fill, which) {
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
}
