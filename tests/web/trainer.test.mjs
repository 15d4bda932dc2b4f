// The debrief and the logbook in the page: the plot the C++ debrief makes,
// drawn on a canvas; the samples as the headless game writes them; every
// approach kept in IndexedDB with its flight, the best marked, a debrief per
// entry, and the whole logbook exported and imported as one file.
//   node --test tests/web/        (after scripts/web.sh --build and npm ci)
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { launchBrowser, nativeBinary, playOnPage, serveSite, sourceDir, tempDir } from './support.mjs';

const events = fs.readFileSync(path.join(sourceDir, 'tests', 'replays', 'readme-approach.events'), 'utf8');
let browser, server, dir;
before(async () => {
  browser = await launchBrowser();
  server = await serveSite();
  dir = tempDir('avelune-trainer-');
});
after(async () => {
  await server?.close();
  await browser?.close();
  fs.rmSync(dir, { recursive: true, force: true });
});

async function open(context) {
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  page.aveluneErrors = errors;
  await page.goto(server.url + '?test=1');
  await page.waitForFunction(() => window.aveluneTest && window.aveluneTest.ready);
  await page.evaluate(() => window.aveluneTest.ready);
  const cdp = await page.createCDPSession();
  await cdp.send('Page.setDownloadBehavior', { behavior: 'allow', downloadPath: dir });
  return page;
}
const menu = async (page, title, command) => {
  await page.click(`.menu:nth-child(${title}) .menu-title`);
  await page.click(`[data-command="${command}"]`);
};
async function downloaded(prefix) {
  for (let i = 0; i < 50; ++i) {
    const name = fs.readdirSync(dir).find((f) => f.startsWith(prefix) && !f.endsWith('.crdownload'));
    if (name) return path.join(dir, name);
    await new Promise((r) => setTimeout(r, 100));
  }
  throw new Error(`no download ${prefix}...`);
}

test('two approaches flown: the debrief, the samples, the logbook and its export and import', async () => {
  const context = await browser.createBrowserContext();
  let page = await open(context);
  await page.evaluate(() => window.aveluneTest.start());
  await playOnPage(page, events);

  // The samples: what --flight-csv writes for the same approach.
  const csvFile = path.join(dir, 'headless.csv');
  const run = spawnSync(nativeBinary, ['--headless', '--atlas', path.join(path.dirname(nativeBinary), 'prop.bmp'),
    '--events', '-', '--flight-csv', csvFile], { input: events, encoding: 'utf8' });
  assert.equal(run.status, 0, run.stderr);
  assert.equal(await page.evaluate(() => window.aveluneTest.samplesCsv()), fs.readFileSync(csvFile, 'utf8'));

  // The debrief: drawn, not blank.
  await page.keyboard.down('Control');
  await page.keyboard.press('KeyD');
  await page.keyboard.up('Control');
  assert.equal(await page.$eval('#debrief', (d) => d.open), true);
  const inked = await page.$eval('#debrief-plot', (c) => {
    const data = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    let n = 0;
    for (let i = 0; i < data.length; i += 4) if (data[i] < 128 && data[i + 3] > 0) ++n;
    return n;
  });
  assert.ok(inked > 5000, `${inked} dark pixels`);
  await page.click('#debrief form button:not([type])');

  // The logbook: both arrivals, the best marked, a debrief for an entry.
  await page.waitForFunction(async () => ((await window.aveluneTest.logbookText()) || '').split('\n').length === 3);
  await menu(page, 2, 'logbook');
  await page.waitForFunction(() => document.querySelectorAll('#logbook-table tbody tr').length === 2);
  assert.equal(await page.$$eval('#logbook-table tbody tr.best', (r) => r.length), 1);
  assert.deepEqual(await page.$$eval('#logbook-table tbody tr:first-child td', (t) => t[1].textContent), 'arrived');
  await page.click('#logbook-table tbody tr:first-child td:nth-child(8) button');
  await page.waitForFunction(() => document.getElementById('debrief').open, { timeout: 5000 });
  assert.match(await page.$eval('#debrief-title', (e) => e.textContent), /^Debrief of \d{8}-\d{6}-arrived\.avflight$/);
  await page.click('#debrief form button:not([type])');

  // Export, then import into a fresh browser profile.
  await menu(page, 2, 'logbook');
  await page.click('#logbook-export');
  const exported = await downloaded('avelune-logbook-');
  const kept = await page.evaluate(() => window.aveluneTest.logbookText());
  await page.close();
  await context.close();

  const fresh = await browser.createBrowserContext();
  page = await open(fresh);
  await page.evaluate(() => window.aveluneTest.start());
  const broken = path.join(dir, 'broken.json');
  fs.writeFileSync(broken, '{"format":"something else"}');
  await menu(page, 2, 'logbook');
  await (await page.$('#logbook-file')).uploadFile(broken);
  await page.waitForFunction(() => document.getElementById('message').open, { timeout: 3000 });
  assert.match(await page.$eval('#message-text', (e) => e.textContent), /not an Avelune logbook/);
  await page.click('#message button');
  await (await page.$('#logbook-file')).uploadFile(exported);
  await page.waitForFunction(() => document.querySelectorAll('#logbook-table tbody tr').length === 2, { timeout: 3000 });
  assert.equal(await page.evaluate(() => window.aveluneTest.logbookText()), kept);
  // Importing it again adds nothing, and says so.
  await (await page.$('#logbook-file')).uploadFile(exported);
  await page.waitForFunction(() => document.getElementById('message').open, { timeout: 3000 });
  assert.equal(await page.$eval('#message-text', (e) => e.textContent),
    `Nothing new: every entry of ${path.basename(exported)} is in the logbook already.`);
  assert.equal(await page.evaluate(() => window.aveluneTest.logbookText()), kept);
  assert.deepEqual(page.aveluneErrors, []);
  await page.close();
  await fresh.close();
});

// A file that is no logbook export is named and refused in plain words.
test('a samples file or a text file offered as a logbook is refused by name', async () => {
  const context = await browser.createBrowserContext();
  const page = await open(context);
  await page.evaluate(() => window.aveluneTest.start());
  for (const [name, text] of [['samples.csv', 'step,tick,feet\n0,1,2\n'], ['notes.txt', '']]) {
    const file = path.join(dir, name);
    fs.writeFileSync(file, text);
    await menu(page, 2, 'logbook');
    await (await page.$('#logbook-file')).uploadFile(file);
    await page.waitForFunction((n) => document.getElementById('message').open
      && document.getElementById('message-text').textContent.includes(n), { timeout: 3000 }, name);
    const said = await page.$eval('#message-text', (e) => e.textContent);
    assert.ok(said.startsWith(`${name} is not an Avelune logbook export`), said);
    assert.doesNotMatch(said, /JSON|token/);
    // Both closed as their buttons would: an Escape sent as they go could
    // reach the title's QUIT instead.
    await page.evaluate(() => { for (const id of ['message', 'logbook']) document.getElementById(id).close(); });
  }
  assert.equal(await page.evaluate(() => window.aveluneTest.logbookText()), null);
  await page.close();
  await context.close();
});
