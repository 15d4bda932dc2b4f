// Measures the picture's size in the page on a laptop, a desktop and a phone
// held both ways, the smallest touch target, and the renderer's CPU in
// flight on the phone (Chrome's Performance.getMetrics TaskDuration, 10 s).
//   node tests/web/measure-fill.mjs [OTHER_SITE]   (after scripts/web.sh --build and npm ci)
// With OTHER_SITE (another build's site/), both are measured by turns.
import { launchBrowser, serveSite, siteDir } from './support.mjs';

const screens = [
  ['1366 x 768', { width: 1366, height: 768, deviceScaleFactor: 1 }],
  ['1920 x 1080', { width: 1920, height: 1080, deviceScaleFactor: 1 }],
  ['390 x 844 phone', { width: 390, height: 844, deviceScaleFactor: 3, hasTouch: true, isMobile: true }],
  ['844 x 390 phone', { width: 844, height: 390, deviceScaleFactor: 3, hasTouch: true, isMobile: true }],
];
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function measure(browser, url, viewport, cpu) {
  const page = await browser.newPage();
  await page.setViewport(viewport);
  await page.goto(url + '?test=live');
  await page.waitForFunction(() => window.aveluneTest && window.aveluneTest.ready);
  await page.evaluate(() => window.aveluneTest.ready);
  await page.click('#card');
  await sleep(1000);
  const box = await (await page.$('#screen')).boundingBox();
  const targets = await page.$$eval('#touch button', (all) => all.map((b) => b.getBoundingClientRect())
    .filter((r) => r.width > 0).map((r) => Math.min(r.width, r.height)));
  const result = { css: `${box.width.toFixed(0)} x ${box.height.toFixed(0)}`,
    device: `${Math.round(box.width * viewport.deviceScaleFactor)} x ${Math.round(box.height * viewport.deviceScaleFactor)}`,
    smallestTarget: targets.length ? Math.min(...targets) : null };
  if (cpu) {
    // START, then 10 s of flight.
    await page.mouse.click(box.x + 334.5 * box.width / 632, box.y + 227.5 * box.height / 440);
    await sleep(1500);
    const gameState = () => page.evaluate(() => JSON.parse(window.aveluneTest.state()).gameState);
    result.states = [await gameState()];
    const cdp = await page.createCDPSession();
    await cdp.send('Performance.enable');
    const task = async () => (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value;
    const before = await task(), t0 = Date.now();
    await sleep(10000);
    result.cpu = `${((100 * (await task() - before)) / ((Date.now() - t0) / 1000)).toFixed(2)} %`;
    result.states.push(await gameState());
  }
  await page.close();
  return result;
}

const browser = await launchBrowser();
const sites = [['this build', siteDir], ...(process.argv[2] ? [['other', process.argv[2]]] : [])];
const servers = await Promise.all(sites.map(([, dir]) => serveSite(dir)));
try {
  for (const [name, viewport] of screens) {
    for (let i = sites.length - 1; i >= 0; --i) {
      const r = await measure(browser, servers[i].url, viewport, name.includes('phone'));
      console.log(`${name.padEnd(16)} ${sites[i][0].padEnd(10)} ${JSON.stringify(r)}`);
    }
  }
} finally {
  await Promise.all(servers.map((s) => s.close()));
  await browser.close();
}
