function documentTitle() {
  return ostrelGet(Document.prototype, 'title', this.document);
}
