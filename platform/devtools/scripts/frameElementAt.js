// this: a window; the element (iframe, frame) in its document, or in a
// shadow tree of it, that holds its frame at index, whatever that frame's
// origin. Null when there is none.
function frameElementAt(index) {
  const target = this[index];
  if (!target) return null;
  const shadowOf = Object.getOwnPropertyDescriptor(Element.prototype, 'shadowRoot').get;
  const contentOf = Object.getOwnPropertyDescriptor(HTMLIFrameElement.prototype, 'contentWindow').get;
  const frameContentOf = Object.getOwnPropertyDescriptor(HTMLFrameElement.prototype, 'contentWindow').get;
  const search = (root) => {
    const all = ostrelClass(root) === '[object ShadowRoot]' ? DocumentFragment.prototype.querySelectorAll.call(root, '*')
                                                            : Document.prototype.querySelectorAll.call(root, '*');
    for (const el of all) {
      const k = ostrelClass(el);
      if (k === '[object HTMLIFrameElement]' && contentOf.call(el) === target) return el;
      if (k === '[object HTMLFrameElement]' && frameContentOf.call(el) === target) return el;
      const shadow = shadowOf.call(el);
      const found = shadow && search(shadow);
      if (found) return found;
    }
    return null;
  };
  return search(this.document);
}
