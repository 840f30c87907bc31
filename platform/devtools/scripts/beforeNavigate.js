// Installed in Ostrel's world of every new document of a tab: stops in the
// debugger (in ostrelBeforeNavigate, whose parameter `info` is {kind, url})
// before the document is left: kind "navigate" from the Navigation API's
// navigate event (url the destination), "script" from a click of the
// person (a trusted event) on a "javascript:" link (url its whole href),
// "unload" from beforeunload (no url). A navigate or unload stop within a
// second after the previous one of the same document is skipped, so one
// navigation stops once. Every frame stops, whatever its origin: the recorder
// takes the stops of the frames it watches.
(() => {
  if (window.ostrelHookInstalled) return;
  window.ostrelHookInstalled = true;
  let lastStop = -1e9;
  function ostrelBeforeNavigate(info) {
    debugger;
    return info;
  }
  const stop = (kind, url) => {
    if (performance.now() - lastStop < 1000) return;
    ostrelBeforeNavigate({kind, url});
    lastStop = performance.now();
  };
  // A link whose script does nothing (a "show password" eye, a menu
  // toggle) sends nothing: it does not stop (and so does not hold back the
  // stop of the navigation that may follow it).
  const doesNothing = (script) => {
    const text = script.replace(/%20|%3b|%09/gi, ' ');
    return /^[\s;]*(void\s*\(?\s*(0|null|undefined|''|"")?\s*\)?|undefined|null|false|true|0|\/\/.*|\/\*[\s\S]*?\*\/)?[\s;]*$/
        .test(text);
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
        const script = /^\s*javascript:([\s\S]*)$/i.exec(href);
        if (script && !doesNothing(script[1])) stop('script', href.trim());
        return;
      }
    }
  }, true);
  window.addEventListener('beforeunload', () => stop('unload', ''));
})();
