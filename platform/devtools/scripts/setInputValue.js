// this: an input element. Writes value as the page's own scripts would see
// it typed (the native setter, then "input" and "change" events) and
// answers the element's snapshot row.
function setInputValue(value) {
  if (ostrelClass(this) !== '[object HTMLInputElement]') ostrelFail(424);
  Object.getOwnPropertyDescriptor(HTMLInputElement.prototype, 'value').set.call(this, value);
  const w = ostrelWindowOf(this);
  for (const type of ['input', 'change']) {
    EventTarget.prototype.dispatchEvent.call(this, new w.Event(type, {bubbles: true}));
  }
  return ostrelInfo(this);
}
