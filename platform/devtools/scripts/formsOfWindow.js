// this: a window; its document's forms, each with its elements.
function formsOfWindow() {
  return ostrelPack(ostrelGet(Document.prototype, 'forms', this.document), true);
}
