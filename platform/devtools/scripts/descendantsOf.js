// this: an element; every element below it, in document order.
function descendantsOf() {
  return ostrelPack(Element.prototype.querySelectorAll.call(this, '*'));
}
