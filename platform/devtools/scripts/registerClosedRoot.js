// this: a closed shadow root, resolved into Ostrel's world by the browser's
// protocol; host: its host. Hands the root to this world's scripts (see
// ostrelShadowOf), which the page's scripts cannot do.
function registerClosedRoot(host) {
  if (!globalThis.ostrelClosedRoots) globalThis.ostrelClosedRoots = new WeakMap();
  globalThis.ostrelClosedRoots.set(host, this);
  if (globalThis.ostrelWatchRoot) globalThis.ostrelWatchRoot(this);
  return true;
}
