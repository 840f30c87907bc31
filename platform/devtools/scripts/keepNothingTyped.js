// this: a window. Asks the browser to keep nothing typed into its
// document's inputs, those of its frames of the same origin and those added
// later: forms too (the state of a form's own custom controls follows the
// form's), and the inputs inside open shadow roots.
function keepNothingTyped() {
  const shadowOf = Object.getOwnPropertyDescriptor(Element.prototype, 'shadowRoot').get;
  const mark = (root) => {
    for (const el of root.querySelectorAll('form, input, textarea')) {
      Element.prototype.setAttribute.call(el, 'autocomplete', 'off');
    }
    for (const el of root.querySelectorAll('*')) {
      const shadow = shadowOf.call(el);
      if (shadow) mark(shadow);
    }
  };
  const visit = (w) => {
    let d = null;
    try {
      d = w.document;
    } catch (e) {
      return;
    }
    if (!d) return;
    mark(d);
    if (!d.ostrelKeepsNothing) {
      d.ostrelKeepsNothing = true;
      new MutationObserver(() => mark(d)).observe(d, {subtree: true, childList: true});
    }
    for (let i = 0; i < w.length; ++i) visit(w[i]);
  };
  visit(this);
}
