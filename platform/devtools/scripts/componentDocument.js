// this: a window; its document when it holds elements of the page's own
// making (custom elements, whose shadow roots may be closed), else null:
// a page without them is not searched for closed roots.
function componentDocument() {
  const d = this.document;
  for (const el of Document.prototype.getElementsByTagName.call(d, '*')) {
    if (ostrelTag.call(el).includes('-')) return d;
  }
  return null;
}
