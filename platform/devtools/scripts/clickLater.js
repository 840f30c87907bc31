// this: an element; clicks it from a page timer, so that nothing the click
// starts (a dialog, a navigation) holds the caller.
function clickLater() {
  const el = this;
  ostrelWindowOf(el).setTimeout(() => HTMLElement.prototype.click.call(el), 0);
}
