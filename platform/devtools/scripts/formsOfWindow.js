// this: a window; its document's forms, each with its elements, then, when
// the document has inputs outside any form, the document itself standing
// for their group.
function formsOfWindow() {
  const d = this.document;
  const forms = Array.from(ostrelGet(Document.prototype, 'forms', d));
  if (ostrelGroup(d).length) forms.push(d);
  return ostrelPack(forms, true);
}
