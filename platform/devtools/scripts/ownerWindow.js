// this: an element; the window of its document.
function ownerWindow() {
  const w = this.ownerDocument && this.ownerDocument.defaultView;
  if (!w) ostrelFail(-2147417848);
  return w;
}
