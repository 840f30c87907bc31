// Installed in Ostrel's world of every new document of a tab: stops in the
// debugger (in ostrelBeforeNavigate, whose parameter `info` is {kind, url})
// before the document is left: kind "navigate" from the Navigation API's
// navigate event (url the destination), "script" from a click of the
// person (a trusted event) on a "javascript:" link (url its whole href),
// "unload" from beforeunload (no url). A stop within a second after the
// previous one of the same document is skipped, so one navigation stops
// once. Frames of another origin than the top document's never stop.
(() => {
  if (window.ostrelHookInstalled) return;
  window.ostrelHookInstalled = true;
  let lastStop = -1e9;
  function ostrelBeforeNavigate(info) {
    debugger;
    return info;
  }
  // A frame of another origin than the top document's holds no form Ostrel
  // records: it never stops the page (a stop holds every frame of the
  // process, and could hold back what the person is doing meanwhile).
  const watched = () => {
    if (window === window.top) return true;
    try {
      return window.top.location.origin === window.location.origin;
    } catch (e) {
      return false;
    }
  };
  const stop = (kind, url) => {
    if (performance.now() - lastStop < 1000 || !watched()) return;
    ostrelBeforeNavigate({kind, url});
    lastStop = performance.now();
  };
  if (window.navigation) {
    window.navigation.addEventListener('navigate', (event) => {
      if (!event.destination.sameDocument) stop('navigate', event.destination.url);
    });
  }
  window.addEventListener('click', (event) => {
    if (!event.isTrusted) return;
    for (const node of event.composedPath()) {
      if (!(node instanceof Element)) continue;
      if ((node.localName === 'a' || node.localName === 'area') && node.hasAttribute('href')) {
        const href = node.getAttribute('href');
        if (/^\s*javascript:/i.test(href)) stop('script', href.trim());
        return;
      }
    }
  }, true);
  window.addEventListener('beforeunload', () => stop('unload', ''));
})();
