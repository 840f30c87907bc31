// this: a form element; its elements.
function elementsOfForm() {
  if (ostrelClass(this) !== '[object HTMLFormElement]') ostrelFail(424);
  return ostrelPack(ostrelElements(this));
}
