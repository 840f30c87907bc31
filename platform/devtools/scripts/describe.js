// Describing an element so that it can be found again on a later visit of
// the page, and finding it: by its id, else its name, else its tag, its
// text and its position among the elements of that tag and text; inside
// shadow trees, through the hosts over it (the path). Put in front of the
// scripts that need it, in Ostrel's world.
/* exported ostrelShadowOf, ostrelPathOf, ostrelDescribe, ostrelRootAt, ostrelFindDescribed, ostrelGroup,
            ostrelIsDocument */

// The shadow root of el, open, or closed and handed to this world (see
// registerClosedRoot.js); null when it has none.
const ostrelShadowOf = (el) =>
  Object.getOwnPropertyDescriptor(Element.prototype, 'shadowRoot').get.call(el) ||
  (globalThis.ostrelClosedRoots && globalThis.ostrelClosedRoots.get(el)) || null;

const ostrelAll = (root, selector) =>
  Object.prototype.toString.call(root) === '[object ShadowRoot]'
      ? DocumentFragment.prototype.querySelectorAll.call(root, selector)
      : Document.prototype.querySelectorAll.call(root, selector);

// A host as its path names it: "tag#id", "tag[name=x]" or "tag:position".
const ostrelHostName = (host) => {
  const tag = host.localName;
  if (host.id) return tag + '#' + host.id;
  const name = Element.prototype.getAttribute.call(host, 'name');
  if (name) return tag + '[name=' + name + ']';
  return tag + ':' + Array.prototype.indexOf.call(ostrelAll(host.getRootNode(), tag), host);
};

// The hosts over node, outermost first, joined by " >>> "; empty in the
// document itself.
const ostrelPathOf = (node) => {
  const hosts = [];
  let root = node.getRootNode();
  while (Object.prototype.toString.call(root) === '[object ShadowRoot]') {
    hosts.unshift(ostrelHostName(root.host));
    root = root.host.getRootNode();
  }
  return hosts.join(' >>> ');
};

const ostrelTextOf = (el) => {
  const text = (el.innerText || el.value || Element.prototype.getAttribute.call(el, 'aria-label') ||
                Element.prototype.getAttribute.call(el, 'title') || '');
  return String(text).trim().replace(/\s+/g, ' ').slice(0, 40);
};

// The element's description, as JSON text.
const ostrelDescribe = (el) => {
  const tag = el.localName;
  const text = ostrelTextOf(el);
  const same = Array.from(ostrelAll(el.getRootNode(), tag)).filter((e) => ostrelTextOf(e) === text);
  return JSON.stringify({tag, id: el.id || '', name: Element.prototype.getAttribute.call(el, 'name') || '', text,
                         n: same.indexOf(el), path: ostrelPathOf(el)});
};

// The tree that path leads to from the document doc; null when a host on
// it is gone.
const ostrelRootAt = (doc, path) => {
  let root = doc;
  if (!path) return root;
  for (const part of path.split(' >>> ')) {
    let host = null;
    const byId = /^([^#[:]+)#(.+)$/.exec(part);
    const byName = /^([^#[:]+)\[name=(.*)\]$/.exec(part);
    const byPosition = /^([^#[:]+):(\d+)$/.exec(part);
    if (byId) {
      host = Array.from(ostrelAll(root, byId[1])).find((e) => e.id === byId[2]);
    } else if (byName) {
      host = Array.from(ostrelAll(root, byName[1])).find((e) => Element.prototype.getAttribute.call(e, 'name') === byName[2]);
    } else if (byPosition) {
      host = ostrelAll(root, byPosition[1])[Number(byPosition[2])];
    }
    root = host ? ostrelShadowOf(host) : null;
    if (!root) return null;
  }
  return root;
};

// The element a description (JSON text) stands for in the document doc;
// null when it is not there.
const ostrelFindDescribed = (doc, description) => {
  let d;
  try {
    d = JSON.parse(description);
  } catch (e) {
    return null;
  }
  const root = ostrelRootAt(doc, d.path || '');
  if (!root || !d.tag) return null;
  const all = Array.from(ostrelAll(root, d.tag));
  if (d.id) {
    const el = all.find((e) => e.id === d.id);
    if (el) return el;
  }
  if (d.name) {
    const el = all.find((e) => Element.prototype.getAttribute.call(e, 'name') === d.name);
    if (el) return el;
  }
  const same = all.filter((e) => ostrelTextOf(e) === d.text);
  return same[d.n] || same[0] || null;
};

const ostrelIsDocument = (node) => ['[object HTMLDocument]', '[object Document]'].includes(
    Object.prototype.toString.call(node));

// The inputs of the document doc that belong to no form, in tree order,
// each shadow tree (open, or closed and handed to this world) taken at its
// host's place: a login's group when its page has no form around it.
const ostrelGroup = (doc) => {
  const found = [];
  const formOf = Object.getOwnPropertyDescriptor(HTMLInputElement.prototype, 'form').get;
  const visit = (root) => {
    for (const el of ostrelAll(root, '*')) {
      if (Object.prototype.toString.call(el) === '[object HTMLInputElement]' && formOf.call(el) === null) {
        found.push(el);
      }
      const shadow = ostrelShadowOf(el);
      if (shadow) visit(shadow);
    }
  };
  visit(doc);
  return found;
};
