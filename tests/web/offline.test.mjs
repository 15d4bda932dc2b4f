// The served page installed: its manifest, a start with the server gone, and
// a new version taking the old one's place.
//   node --test tests/web/        (after scripts/web.sh --build and npm ci)
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { launchBrowser, openPage, serveSite, siteDir, tempDir } from './support.mjs';

let browser, dir;
before(async () => {
  browser = await launchBrowser();
  dir = tempDir('avelune-offline-');
});
after(async () => {
  await browser?.close();
  fs.rmSync(dir, { recursive: true, force: true });
});

// Opens the site, starts the game and waits until the service worker has
// the page and its cache.
async function installed(url) {
  const page = await openPage(browser, url + '?test=live');
  await page.click('#card');
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, { timeout: 10000 });
  return page;
}
const cacheNames = (page) => page.evaluate(() => caches.keys());
const ready = async (page) => {
  await page.waitForFunction(() => window.aveluneTest && window.aveluneTest.ready, { timeout: 10000 });
  await page.evaluate(() => window.aveluneTest.ready);
};

test('the installed page starts with the server gone', async () => {
  const site = path.join(dir, 'gone');
  fs.cpSync(siteDir, site, { recursive: true });
  const server = await serveSite(site);
  const page = await installed(server.url);
  const manifest = await page.evaluate(async () => (await fetch(document.querySelector('link[rel=manifest]').href)).json());
  assert.equal(manifest.display, 'standalone');
  assert.equal(manifest.start_url, './');
  const version = await page.evaluate(() => window.aveluneTest.version());
  assert.deepEqual(await cacheNames(page), ['avelune-' + version]);
  await server.close();
  await page.reload();
  await ready(page);
  assert.equal(await page.$eval('#card-text', (e) => e.textContent), 'Click to start');
  await page.click('#card');
  await page.waitForFunction(() => (window.aveluneTimings.ticks || 0) >= 3, { timeout: 5000 });
  assert.equal(await page.evaluate(() => window.aveluneTest.running()), true);
  await page.close();
});

test('Chromium finds the served page installable', async () => {
  const server = await serveSite();
  try {
    const page = await installed(server.url);
    const cdp = await page.target().createCDPSession();
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors, []);
    await page.close();
  } finally {
    await server.close();
  }
});

test('a new version replaces the old one and its cache', async () => {
  const site = path.join(dir, 'update');
  fs.cpSync(siteDir, site, { recursive: true });
  const server = await serveSite(site);
  try {
    const page = await installed(server.url);
    const old = await page.evaluate(() => window.aveluneTest.version());
    // A new build: the same files but a new version name in the page and the worker.
    const next = 'f'.repeat(16);
    for (const file of ['index.html', 'sw.js']) {
      const at = path.join(site, file);
      fs.writeFileSync(at, fs.readFileSync(at, 'utf8').replaceAll(old, next));
    }
    await page.reload();  // the browser checks the worker and installs the new one
    await ready(page);
    await page.waitForFunction((n) => caches.keys().then((k) => k.length === 1 && k[0] === 'avelune-' + n),
      { timeout: 10000 }, next);
    await page.reload();
    await ready(page);
    assert.equal(await page.evaluate(() => window.aveluneTest.version()), next);
    await page.close();
  } finally {
    await server.close();
  }
});
