// this: a window; its document.
function documentOfWindow() {
  return this.document;
}
