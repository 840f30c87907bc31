// this: a frame's window; its element in the parent document.
function frameElement() {
  return this.frameElement;
}
