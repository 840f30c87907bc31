// this: a form element; submits it from a page timer with the form
// prototype's own method.
function submitLater() {
  if (ostrelClass(this) !== '[object HTMLFormElement]') ostrelFail(424);
  const form = this;
  ostrelWindowOf(form).setTimeout(() => HTMLFormElement.prototype.submit.call(form), 0);
}
