// this: an element; its snapshot row.
function elementInfo() {
  return ostrelInfo(this);
}
