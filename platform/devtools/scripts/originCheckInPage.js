// Runs in the page's own world, in front of a script of the page's that
// Ostrel runs: throws Error("ostrel:" + fail) unless the document meets the
// rule {origin, top} (see ostrelMeets). It reads only location.origin and
// the items of location.ancestorOrigins, which no page can redefine; an
// about:srcdoc or about:blank document, whose location.origin is "null",
// is taken as its parent's.
function originCheckInPage(origin, top, fail) {
  const own = location.origin;
  if (own === origin) return;
  const ancestors = location.ancestorOrigins;
  if (own === 'null' && ancestors[0] === origin && ancestors[ancestors.length - 1] === top) return;
  throw new Error('ostrel:' + fail);
}
