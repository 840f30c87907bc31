// this: a window; sends it to url. A document that will be left is marked,
// so that its readiness reads "loading" from now on.
function navigateWindow(url) {
  const d = this.document;
  let leaves = !/^\s*javascript:/i.test(url);
  if (leaves && url.includes('#')) {
    const target = new URL(url, d.baseURI), current = new URL(ostrelGet(Document.prototype, 'URL', d));
    target.hash = '';
    current.hash = '';
    leaves = target.href !== current.href;
  }
  if (leaves) Object.defineProperty(d, ostrelLeaving, {value: true, configurable: true});
  this.location.href = url;
}
