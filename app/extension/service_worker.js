// Ostrel's toolbar button. A press (click or keyboard shortcut) is handed to
// the Ostrel program through the binding "ostrelButtonPressed", which Ostrel
// installs in this worker over the DevTools pipe. The message names the tab
// by its DevTools target id, so Ostrel binds exactly the tab that was showing.

const kBinding = 'ostrelButtonPressed';
const kBindingWaitMs = 5000;

async function targetIdOfTab(tabId) {
  const targets = await chrome.debugger.getTargets();
  const match = targets.find(t => t.tabId === tabId && t.type === 'page');
  return match ? match.id : '';
}

async function waitForBinding() {
  // A worker woken by the press itself may run before Ostrel has installed
  // the binding again; give it a moment.
  const start = Date.now();
  while (typeof globalThis[kBinding] !== 'function') {
    if (Date.now() - start > kBindingWaitMs) return false;
    await new Promise(resolve => setTimeout(resolve, 50));
  }
  return true;
}

chrome.action.onClicked.addListener(async tab => {
  const message = {
    tabId: tab.id,
    windowId: tab.windowId,
    targetId: await targetIdOfTab(tab.id),
    url: tab.url || ''
  };
  if (await waitForBinding()) globalThis[kBinding](JSON.stringify(message));
});
