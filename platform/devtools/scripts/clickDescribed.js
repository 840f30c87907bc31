// this: a window; rule: {origin, top}. Clicks, from a page timer, the
// element of its document that description stands for (see
// ostrelFindDescribed), when the document meets the rule (see ostrelMeets).
// Answers whether it was there to click.
function clickDescribed(description, rule) {
  if (!ostrelMeets(this, rule)) return false;
  const el = ostrelFindDescribed(this.document, description);
  if (!el) return false;
  this.setTimeout(() => HTMLElement.prototype.click.call(el), 0);
  return true;
}
