// this: a form element; its elements (a document: its group).
function elementsOfForm() {
  if (ostrelClass(this) !== '[object HTMLFormElement]' && !ostrelIsDocument(this)) ostrelFail(424);
  return ostrelPack(ostrelElements(this));
}
