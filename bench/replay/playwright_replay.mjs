// The peer side of the replay benchmark: the same login done with
// playwright-core on the same Chromium. Usage:
//   node playwright_replay.mjs <chromium> <url> <runs>
// Each run opens the page, fills the two inputs, clicks the submit input
// and waits until the next page has loaded; the server and the page stamp
// the times, so nothing is measured here.
import { chromium } from 'playwright-core';

const [executablePath, url, runs] = process.argv.slice(2);
const browser = await chromium.launch({
  executablePath,
  headless: true,
  args: ['--no-sandbox', '--disable-gpu']
});
const page = await browser.newPage();
for (let i = 0; i < Number(runs); i++) {
  await page.goto('about:blank');
  console.log(`start ${process.hrtime.bigint()}`);
  await page.goto(url, { waitUntil: 'load' });
  await page.fill('input[name=user]', 'alice');
  await page.fill('input[name=pw]', 's3cret');
  await Promise.all([
    page.waitForURL('**/login', { waitUntil: 'load' }),
    page.click('input[type=submit][value="Log in"]')
  ]);
}
await browser.close();
