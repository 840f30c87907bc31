function documentUrl() {
  return ostrelGet(Document.prototype, 'URL', this.document);
}
