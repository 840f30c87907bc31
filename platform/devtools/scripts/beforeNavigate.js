// Installed in Ostrel's world of every new document of a tab, after
// describe.js: stops in the debugger, in ostrelBeforeNavigate, whose
// parameter `info` is {kind, url, target}, at the moments a login may be
// sent, while the page still holds what was typed:
//   "navigate"  the document is about to be left (the Navigation API's
//               navigate event; url the destination);
//   "unload"    the same, from beforeunload (no url);
//   "script"    the person clicked a "javascript:" link (url its whole
//               href), unless its script does nothing;
//   "submit"    a form is submitted, even one the page then cancels (url
//               where it would go: the action of its form or of the button
//               that sent it; target the form);
//   "press"     the person clicked something that is not a field (target
//               what was pressed: the nearest button or link around it);
//   "enter"     the person pressed Enter in an input (target the input).
// Targets are element descriptions (see describe.js). Only events of the
// person (trusted ones) stop, except a form's submission, which a page
// may make from its own handler of the person's click. A navigate or
// unload stop within a second after the previous one of these or a script
// link's is skipped, so one navigation stops once. Every frame stops,
// whatever its origin: the recorder takes the stops of the frames it
// watches.
(() => {
  if (window.ostrelHookInstalled) return;
  window.ostrelHookInstalled = true;
  let lastLeave = -1e9;
  function ostrelBeforeNavigate(info) {
    debugger;
    return info;
  }
  const stop = (kind, url, target) => {
    const leaving = kind === 'navigate' || kind === 'unload' || kind === 'script';
    if (leaving && performance.now() - lastLeave < 1000) return;
    ostrelBeforeNavigate({kind, url, target: target || ''});
    if (leaving) lastLeave = performance.now();
  };
  // A link whose script does nothing (a "show password" eye, a menu
  // toggle) sends nothing: it is a press like any other.
  const doesNothing = (script) => {
    const text = script.replace(/%20|%3b|%09/gi, ' ');
    return /^[\s;]*(void\s*\(?\s*(0|null|undefined|''|"")?\s*\)?|undefined|null|false|true|0|\/\/.*|\/\*[\s\S]*?\*\/)?[\s;]*$/
        .test(text);
  };
  const typeOf = (el) => (el.localName === 'input' ? String(el.type).toLowerCase() : '');
  const buttonTypes = ['submit', 'button', 'image', 'reset'];
  // Fields are typed into, not pressed.
  const isField = (el) => ['textarea', 'select', 'option', 'label'].includes(el.localName) ||
      (el.localName === 'input' && !buttonTypes.includes(typeOf(el)));
  const isPressable = (el) => el.localName === 'button' || el.localName === 'a' ||
      buttonTypes.includes(typeOf(el)) || Element.prototype.getAttribute.call(el, 'role') === 'button';
  if (window.navigation) {
    window.navigation.addEventListener('navigate', (event) => {
      if (!event.destination.sameDocument) stop('navigate', event.destination.url);
    });
  }
  // What happens inside a closed shadow root is seen from the root itself
  // once the root is handed to this world (registerClosedRoot.js); from
  // outside, only its host shows.
  const seenInside = new WeakSet();
  const inClosedRoot = (event) => seenInside.has(event) ||
      (event.composedPath()[0] instanceof Element && ostrelShadowOf(event.composedPath()[0]) &&
       !Object.getOwnPropertyDescriptor(Element.prototype, 'shadowRoot').get.call(event.composedPath()[0]));
  const onClick = (event) => {
    if (!event.isTrusted || inClosedRoot(event)) return;
    seenInside.add(event);
    const path = event.composedPath().filter((node) => node instanceof Element);
    if (!path.length || isField(path[0])) return;
    for (const node of path) {
      if ((node.localName === 'a' || node.localName === 'area') && node.hasAttribute('href')) {
        const href = node.getAttribute('href');
        const script = /^\s*javascript:([\s\S]*)$/i.exec(href);
        if (script && !doesNothing(script[1])) {
          stop('script', href.trim());
          return;
        }
        if (!script && !href.startsWith('#')) return;  // a link that leaves: its navigation stops
      }
    }
    stop('press', '', ostrelDescribe(path.find(isPressable) || path[0]));
  };
  const onKey = (event) => {
    if (!event.isTrusted || event.key !== 'Enter' || inClosedRoot(event)) return;
    seenInside.add(event);
    const field = event.composedPath()[0];
    if (field instanceof Element && field.localName === 'input' && isField(field)) {
      stop('enter', '', ostrelDescribe(field));
    }
  };
  const watched = new WeakSet();
  globalThis.ostrelWatchRoot = (root) => {
    if (watched.has(root)) return;
    watched.add(root);
    root.addEventListener('click', onClick, true);
    root.addEventListener('keydown', onKey, true);
  };
  window.addEventListener('click', onClick, true);
  window.addEventListener('keydown', onKey, true);
  window.addEventListener('submit', (event) => {
    const form = event.target;
    if (!(form instanceof HTMLFormElement)) return;
    const submitter = event.submitter;
    const action = submitter && submitter.hasAttribute('formaction') ? submitter.formAction : form.action;
    stop('submit', action, ostrelDescribe(form));
  }, true);
  window.addEventListener('beforeunload', () => stop('unload', ''));
})();
