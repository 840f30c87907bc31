// this: a window; the window of its frame at index.
function frameAt(index) {
  if (index < 0 || index >= this.length) ostrelFail(-2147417848);
  return this[index];
}
