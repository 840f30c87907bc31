// this: a window; its document's readiness, "loading" once a navigation of
// ours has been asked to leave it.
function documentReadyState() {
  const d = this.document;
  if (d[ostrelLeaving]) return 'loading';
  return ostrelGet(Document.prototype, 'readyState', d);
}
