// Flights in the page: saved, watched and taken over as the desktop does, and
// the same files as the headless game's, byte for byte.
//   node --test tests/web/        (after scripts/web.sh --build and npm ci)
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import zlib from 'node:zlib';
import {
  canvasPixels, launchBrowser, nativeBinary, openPage, playOnPage, serveSite, sourceDir, tempDir,
} from './support.mjs';

const events = fs.readFileSync(path.join(sourceDir, 'tests', 'replays', 'readme-approach.events'), 'utf8');
let browser, server, dir, headlessFlight, headlessState;

// The headless game, with the built atlas the page ships.
function headless(args, input = '') {
  const run = spawnSync(nativeBinary, ['--headless', '--atlas', path.join(path.dirname(nativeBinary), 'prop.bmp'), ...args],
    { encoding: 'utf8', input });
  return run;
}

before(async () => {
  browser = await launchBrowser();
  server = await serveSite();
  dir = tempDir('avelune-flights-');
  const saved = path.join(dir, 'desktop.avflight');
  const run = headless(['--events', '-', '--save-flight', saved], events);
  assert.equal(run.status, 0, run.stderr);
  headlessFlight = fs.readFileSync(saved, 'utf8');
  const replayed = headless(['--replay', saved, '--events', '-'], 'state\n');
  assert.equal(replayed.status, 0, replayed.stderr);
  headlessState = replayed.stdout.split('\n').find((l) => l.startsWith('{'));
});
after(async () => {
  await server?.close();
  await browser?.close();
  fs.rmSync(dir, { recursive: true, force: true });
});

test('a flight the page saves is the headless game\'s, byte for byte, and replays there', async () => {
  const page = await openPage(browser, server.url + '?test=1');
  await page.evaluate(() => window.aveluneTest.start());
  await playOnPage(page, events);
  const text = await page.evaluate(() => window.aveluneTest.flightText());
  assert.equal(text, headlessFlight);
  const file = path.join(dir, 'page.avflight');
  fs.writeFileSync(file, text);
  const run = headless(['--replay', file, '--events', '/dev/null']);
  assert.equal(run.status, 0, run.stderr);
  assert.match(run.stdout, /matched/);
  await page.close();
});

test('a flight the desktop saved plays in the page to the same end', async () => {
  const page = await openPage(browser, server.url + '?test=1');
  await page.evaluate(() => window.aveluneTest.start());
  assert.equal(await page.evaluate((t) => window.aveluneTest.watchText(t, 'desktop.avflight'), headlessFlight), undefined);
  assert.equal(await page.$eval('#message', (d) => d.open), false);
  for (let i = 0; i < 5000 && await page.evaluate(() => window.aveluneTest.watchState().watching); ++i) {
    await page.evaluate(() => window.aveluneTest.tick(10));
  }
  assert.equal((await page.evaluate(() => window.aveluneTest.watchState())).status, 'matched');
  assert.equal(await page.evaluate(() => window.aveluneTest.state()), headlessState);
  assert.deepEqual(page.aveluneErrors, []);
  await page.close();
});

describe('a flight that cannot be watched is refused and the game goes on', () => {
  const cases = [
    { name: 'cut short', text: () => headlessFlight.slice(0, Math.floor(headlessFlight.length / 2)), message: /^bad\.avflight/ },
    { name: 'not a flight', text: () => 'GIF89a\n', message: /^bad\.avflight/ },
    { name: 'another atlas', text: () => headlessFlight.replace(/fnv1a64:[0-9a-f]{16}/, 'fnv1a64:0123456789abcdef'),
      message: /flown with another atlas/ },
  ];
  for (const c of cases) {
    test(c.name, async () => {
      const page = await openPage(browser, server.url + '?test=1');
      await page.evaluate(() => { window.aveluneTest.start(); window.aveluneTest.tick(3); });
      const before = await page.evaluate(() => window.aveluneTest.state());
      await page.evaluate((t) => window.aveluneTest.watchText(t, 'bad.avflight'), c.text());
      assert.equal(await page.$eval('#message', (d) => d.open), true);
      assert.match(await page.$eval('#message-text', (e) => e.textContent), c.message);
      assert.equal(await page.evaluate(() => window.aveluneTest.watchState().replay), false);
      assert.equal(await page.evaluate(() => window.aveluneTest.state()), before);
      await page.close();
    });
  }
});

test('watched from the file picker: 16x, pause, step and take over', async () => {
  const file = path.join(dir, 'watch.avflight');
  fs.writeFileSync(file, headlessFlight);
  const page = await openPage(browser, server.url + '?test=live');
  await page.click('#card');
  await (await page.$('#flight-file')).uploadFile(file);
  await page.waitForFunction(() => !document.getElementById('watch').hidden, { timeout: 3000 });
  await page.click('[data-watch="speed"][data-speed="16"]');
  await page.waitForFunction(() => window.aveluneTest.watchState().tick > 40, { timeout: 3000 });
  await page.click('[data-watch="hold"]');
  const held = await page.evaluate(() => window.aveluneTest.watchState());
  assert.equal(held.held, true);
  await new Promise((r) => setTimeout(r, 300));
  assert.equal((await page.evaluate(() => window.aveluneTest.watchState())).tick, held.tick, 'held');
  await page.click('[data-watch="step"]');
  assert.equal((await page.evaluate(() => window.aveluneTest.watchState())).tick, held.tick + 1);
  await page.click('[data-watch="take-over"]');
  assert.equal((await page.evaluate(() => window.aveluneTest.watchState())).status, 'taken-over');
  assert.match(await page.$eval('#watch-text', (e) => e.textContent), /you are flying/);
  await page.close();
});

// The watch bar inside the screen, a finger's buttons 44 x 44, none over the
// picture; with a mouse it stays in the 24 px menu bar.
describe('the watch bar fits the screen', () => {
  const phone = (width, height) => ({ width, height, deviceScaleFactor: 3, hasTouch: true, isMobile: true });
  const cases = [
    { name: 'phone upright', viewport: phone(390, 844), least: 44 },
    { name: 'phone sideways', viewport: phone(844, 390), least: 44 },
    { name: 'desktop', viewport: { width: 1366, height: 768, deviceScaleFactor: 1 }, inBar: 24 },
  ];
  for (const c of cases) {
    test(c.name, async () => {
      const page = await openPage(browser, server.url + '?test=1', { viewport: c.viewport });
      await page.evaluate((t) => { window.aveluneTest.start(); window.aveluneTest.watchText(t, 'f.avflight'); }, headlessFlight);
      await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
      const { buttons, picture } = await page.evaluate(() => {
        const box = (e) => { const r = e.getBoundingClientRect(); return [r.left, r.top, r.right, r.bottom]; };
        return { picture: box(document.getElementById('screen')),
          buttons: Array.from(document.querySelectorAll('#watch button')).filter((b) => b.getClientRects().length)
            .map((b) => [b.textContent, ...box(b)]) };
      });
      assert.ok(buttons.length >= 7, `${buttons.length} buttons`);
      for (const [label, l, t, r, b] of buttons) {
        const where = `${label}: ${[l, t, r, b].map(Math.round)}`;
        assert.ok(l >= 0 && t >= 0 && r <= c.viewport.width && b <= c.viewport.height, `${where} off the screen`);
        assert.ok(l >= picture[2] || r <= picture[0] || t >= picture[3] || b <= picture[1], `${where} over the picture`);
        if (c.least) assert.ok(r - l >= c.least && b - t >= c.least, `${where} too small`);
        if (c.inBar) assert.ok(b <= c.inBar, `${where} below the menu bar`);
      }
      await page.close();
    });
  }
});

// Closing the bar never leaves the aircraft flying by itself: a flight still
// playing ends at the game's title; one taken over stays the player's. A
// taken-over approach that ended is said so.
describe('closing the watch bar', () => {
  const cases = [
    { name: 'while it plays: the title again', takeOver: false, flying: false },
    { name: 'taken over: the player flies on', takeOver: true, flying: true },
  ];
  for (const c of cases) {
    test(c.name, async () => {
      const page = await openPage(browser, server.url + '?test=1');
      await page.evaluate((t, takeOver) => {
        window.aveluneTest.start();
        window.aveluneTest.watchText(t, 'f.avflight');
        window.aveluneTest.tick(60);
        if (takeOver) document.querySelector('[data-watch="take-over"]').click();
      }, headlessFlight, c.takeOver);
      assert.equal(await page.evaluate(() => window.aveluneTest.inFlight()), true);
      await page.click('#watch-close');
      await page.evaluate(() => window.aveluneTest.tick(40));  // 4 s
      assert.equal(await page.$eval('#watch', (e) => e.hidden), true);
      assert.equal(await page.evaluate(() => window.aveluneTest.inFlight()), c.flying);
      assert.equal(await page.evaluate(() => window.aveluneTest.title()), c.flying ? 'Avelune - flying' : 'Avelune');
      assert.equal(await page.evaluate(() => window.aveluneTest.running()), true);
      await page.close();
    });
  }
  test('taken over to the end, the bar says the approach ended', async () => {
    const page = await openPage(browser, server.url + '?test=1');
    await page.evaluate((t) => {
      window.aveluneTest.start();
      window.aveluneTest.watchText(t, 'f.avflight');
      window.aveluneTest.tick(window.aveluneTest.watchState().ticks - 3);
      document.querySelector('[data-watch="take-over"]').click();
      window.aveluneTest.tick(100);
    }, headlessFlight);
    assert.equal(await page.evaluate(() => window.aveluneTest.inFlight()), false);
    assert.equal(await page.$eval('#watch-text', (e) => e.textContent), 'Taken over: the approach has ended.');
    await page.close();
  });
});

describe('a flight shared as a link', () => {
  let link;
  before(async () => {
    const page = await openPage(browser, server.url + '?test=1');
    await page.evaluate(() => window.aveluneTest.start());
    await playOnPage(page, events);
    link = await page.evaluate(() => window.aveluneTest.copyLink());
    await page.close();
  });

  test('shows the flight from its first frame, as a watch in a running game does', async () => {
    const hash = link.slice(link.indexOf('#'));
    const text = zlib.inflateSync(Buffer.from(hash.slice('#flight='.length), 'base64url')).toString('utf8');
    const linked = await openPage(browser, server.url + '?test=1' + hash);
    await linked.click('#card');  // the game starts straight into the watch, no tick run
    assert.equal(await linked.evaluate(() => window.aveluneTest.watchState().watching), true);
    const ran = await openPage(browser, server.url + '?test=1');
    await ran.evaluate((t) => { window.aveluneTest.start(); window.aveluneTest.tick(3); window.aveluneTest.watchText(t, 'f'); }, text);
    for (let tick = 0; tick <= 3; ++tick) {
      const first = await canvasPixels(linked), reference = await canvasPixels(ran);
      assert.ok(first.some((v, i) => i % 4 !== 3 && v !== 0), `tick ${tick}: a black picture`);
      assert.ok(first.equals(reference), `tick ${tick}: not the running game's picture`);
      for (const page of [linked, ran]) await page.evaluate(() => window.aveluneTest.tick(1));
    }
    await linked.close();
    await ran.close();
  });

  test('opens the page watching it, then offers its debrief', async () => {
    assert.match(link, /#flight=[A-Za-z0-9_-]+$/);
    const page = await openPage(browser, server.url + '?test=live' + link.slice(link.indexOf('#')));
    assert.equal(await page.$eval('#card-text', (e) => e.textContent), 'Click to watch the shared flight');
    await page.click('#card');
    await page.waitForFunction(() => window.aveluneTest.watchState().watching, { timeout: 3000 });
    await page.click('[data-watch="speed"][data-speed="16"]');
    await page.waitForFunction(() => window.aveluneTest.watchState().status === 'matched', { timeout: 20000 });
    await page.click('#watch-debrief');
    assert.equal(await page.$eval('#debrief', (d) => d.open), true);
    assert.deepEqual(page.aveluneErrors, []);
    await page.close();
  });

  test('a link made by avelune --share-link from a saved flight plays the same', async () => {
    const dir = tempDir('avelune-link-');
    const saved = path.join(dir, 'shared.avflight');
    const eventsFile = path.join(dir, 'e.events');
    fs.writeFileSync(eventsFile, events);
    const run = (args) => spawnSync(nativeBinary, args, { cwd: path.dirname(nativeBinary), encoding: 'utf8' });
    assert.equal(run(['--headless', '--events', eventsFile, '--save-flight', saved]).status, 0);
    const made = run(['--share-link', saved, '--page-url', server.url + '?test=live']);
    assert.equal(made.status, 0, made.stderr);
    const native = made.stdout.trim();
    assert.ok(native.startsWith(server.url + '?test=live#flight='), native.slice(0, 80));
    const page = await openPage(browser, native);
    await page.click('#card');
    await page.waitForFunction(() => window.aveluneTest.watchState().watching, { timeout: 3000 });
    await page.click('[data-watch="speed"][data-speed="16"]');
    await page.waitForFunction(() => window.aveluneTest.watchState().status === 'matched', { timeout: 20000 });
    assert.deepEqual(page.aveluneErrors, []);
    await page.close();
  });

  test('pasted into the open tab, it is watched, after asking while an approach is flown', async () => {
    const page = await openPage(browser, server.url + '?test=live');
    await page.click('#card');
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => window.aveluneTest.inFlight(), { timeout: 3000 });
    // A damaged link and then this one at once: one question, the newest watched.
    await page.evaluate(async (hash) => {
      location.hash = '#flight=AAAA';
      await new Promise((resolve) => setTimeout(resolve, 0));
      location.hash = hash;
    }, link.slice(link.indexOf('#')));
    await page.waitForFunction(() => document.getElementById('confirm').open, { timeout: 3000 });
    await page.click('#confirm-yes');
    await page.waitForFunction(() => window.aveluneTest.watchState().watching, { timeout: 3000 });
    assert.equal(await page.$eval('#message', (e) => e.open), false, 'no refusal of the older link');
    assert.deepEqual(page.aveluneErrors, []);
    await page.close();
  });

  const cases = [
    ['damaged', '#flight=AAAA', /^The shared flight cannot be watched: the link's flight is damaged \(it does not unpack\)\.$/],
    ['not deflated', '#flight=' + Buffer.from('not deflated').toString('base64url'), /^The shared flight cannot be watched: the link's flight is damaged/],
    ['not a flight', '#flight=' + zlib.deflateSync('GIF89a\n').toString('base64url'), /^The shared flight line 1: /],
    // About 65 KB packed that unpack past the 64 MiB a flight file may hold.
    ['unpacking past 64 MiB', '#flight=' + zlib.deflateSync(Buffer.alloc(65 * 1024 * 1024, 'a'), { level: 9 }).toString('base64url'),
      /^The shared flight cannot be watched: the link unpacks to more than a flight file may hold\.$/],
  ];
  for (const [name, hash, refusal] of cases) {
    test(`${name}: refused as a damaged file, and the game goes on`, async () => {
      const page = await openPage(browser, server.url + '?test=live' + hash);
      assert.equal(await page.$eval('#card-text', (e) => e.textContent), 'Click to watch the shared flight');
      await page.click('#card');
      await page.waitForFunction(() => document.getElementById('message').open, { timeout: 3000 });
      assert.match(await page.$eval('#message-text', (e) => e.textContent), refusal);
      assert.equal(await page.evaluate(() => window.aveluneTest.running()), true);
      assert.equal(await page.evaluate(() => window.aveluneTest.watchState().replay), false);
      await page.close();
    });
  }
});
