// The peer side of the replay benchmark: the same login done with
// playwright-core on the same Chromium. Usage:
//   node playwright_replay.mjs <chromium> <url> <runs> <idiomatic|evaluate>
// Each run opens the page and, once it has loaded, logs in:
//   idiomatic  the way Playwright is meant to be used: locator.fill on the
//              two inputs, locator.click on the submit input;
//   evaluate   the very DOM work Ostrel's Go To does, in one page.evaluate:
//              find the form and its inputs by name, type the values in as
//              a person would (focus, select, insert the text, a change
//              event), press the submit input from a page timer.
// Then it waits until the next page has loaded. The server and the page
// stamp the times, so nothing is measured here.
import { chromium } from 'playwright-core';

const [executablePath, url, runs, mode] = process.argv.slice(2);
const browser = await chromium.launch({
  executablePath,
  headless: true,
  args: ['--no-sandbox', '--disable-gpu']
});
const page = await browser.newPage();

function fillInOneStep(fill) {
  const form = Array.from(document.forms).find((f) => f.getAttribute('name') === fill.form);
  const elements = Array.from(form.elements);
  for (const [name, value] of fill.fields) {
    const input = elements.find((el) => el.getAttribute('name') === name);
    input.focus();
    input.select();
    document.execCommand('insertText', false, value);
    input.dispatchEvent(new Event('change', { bubbles: true }));
  }
  const button = elements.find((el) => el.tagName === 'INPUT' && el.type.toUpperCase() === 'SUBMIT');
  setTimeout(() => button.click(), 0);
}

for (let i = 0; i < Number(runs); i++) {
  await page.goto('about:blank');
  console.log(`start ${process.hrtime.bigint()}`);
  await page.goto(url, { waitUntil: 'load' });
  const landed = page.waitForURL('**/login', { waitUntil: 'load' });
  if (mode === 'evaluate') {
    await page.evaluate(fillInOneStep, { form: 'login', fields: [['user', 'alice'], ['pw', 's3cret']] });
  } else {
    await page.locator('input[name=user]').fill('alice');
    await page.locator('input[name=pw]').fill('s3cret');
    await page.locator('input[type=submit][value="Log in"]').click();
  }
  await landed;
}
await browser.close();
