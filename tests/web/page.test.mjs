// The web page in Debian's headless Chromium, against the headless game.
//   node --test tests/web/        (after scripts/web.sh --build and npm ci)
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { pathToFileURL } from 'node:url';
import zlib from 'node:zlib';
import {
  canvasPixels, decodePng, differingPixels, kHeight, kWidth, launchBrowser, nativeBinary, openPage,
  playOnPage, runHeadless, serveSite, siteDir, sourceDir, tempDir,
} from './support.mjs';

const replayDir = path.join(sourceDir, 'tests', 'replays');
const replays = fs.readdirSync(replayDir).filter((f) => f.endsWith('.events')).sort();

let browser, server;
before(async () => {
  for (const file of ['index.html', 'avelune-offline.html', 'prop.bmp.z']) {
    assert.ok(fs.existsSync(path.join(siteDir, file)), `${file} is missing from ${siteDir}: run scripts/web.sh --build`);
  }
  browser = await launchBrowser();
  server = await serveSite();
});
after(async () => {
  await server?.close();
  await browser?.close();
});

function gameState(page) {
  return page.evaluate(() => JSON.parse(window.aveluneTest.state()));
}

describe('replays match the headless game', () => {
  for (const name of replays) {
    test(name, async () => {
      const events = fs.readFileSync(path.join(replayDir, name), 'utf8');
      const expected = runHeadless(events);
      const page = await openPage(browser, server.url + '?test=1');
      assert.equal(await page.evaluate(() => window.aveluneTest.start()), '');
      const got = await playOnPage(page, events);
      assert.deepEqual(got.states, expected.states);
      for (let i = 0; i < got.pictures.length; ++i) {
        if (expected.pictures[i]) assert.equal(differingPixels(got.pictures[i], expected.pictures[i]), 0, `picture at state line ${i + 1}`);
      }
      assert.equal(differingPixels(got.final, expected.final), 0, 'the last picture');
      assert.deepEqual(page.aveluneErrors, []);
      await page.close();
    });
  }
});

test('real clicks start the game and START reaches the cockpit in real time', async () => {
  const page = await openPage(browser, server.url + '?test=live');
  assert.equal(await page.evaluate(() => window.aveluneTest.audioState()), 'none');
  await page.click('#card');
  await page.waitForFunction(() => window.aveluneTest.running() && window.aveluneTest.audioState() === 'running'
    && window.aveluneTimings.soundStarted !== undefined, { timeout: 5000 });
  // The title takes its clicks once its first ticks have run.
  await page.waitForFunction(() => (window.aveluneTimings.ticks || 0) >= 3, { timeout: 5000 });
  assert.ok([0, 3].includes((await gameState(page)).gameState), "the title");
  const box = await (await page.$('#screen')).boundingBox();
  const perGamePixel = box.width / kWidth;
  await page.mouse.click(box.x + 330.5 * perGamePixel, box.y + 230.5 * perGamePixel);
  // The judgement, then the flight step and the cockpit picture by turns.
  await page.waitForFunction(() => [4, 6, 10].includes(JSON.parse(window.aveluneTest.state()).gameState),
    { timeout: 3000 });
  const ticks = await page.evaluate(() => window.aveluneTimings.ticks);
  await page.waitForFunction((t) => window.aveluneTimings.ticks >= t + 5, { timeout: 3000 }, ticks);
  const flying = await gameState(page);
  assert.ok([4, 6, 10].includes(flying.gameState), `game state ${flying.gameState}`);
  assert.equal(flying.timerRunning, true);
  assert.deepEqual(page.aveluneErrors, []);
  await page.close();
});

// Every game pixel shows as a uniform scale x scale block of device pixels,
// the colour the canvas holds.
describe('integer scaling is crisp', () => {
  const cases = [
    { name: '2x at devicePixelRatio 1', ratio: 1, scale: '2' },
    { name: '3x at devicePixelRatio 1.5', ratio: 1.5, scale: '3' },
  ];
  for (const c of cases) {
    test(c.name, async () => {
      const page = await openPage(browser, server.url + '?test=1',
        { viewport: { width: 1400, height: 1000, deviceScaleFactor: c.ratio } });
      await page.evaluate(() => { window.aveluneTest.start(); window.aveluneTest.tick(3); });
      await page.click('.menu:nth-child(3) .menu-title');  // View, as a player opens it
      await page.click(`[data-command="scale"][data-scale="${c.scale}"]`);
      const scale = Number(c.scale);
      assert.equal(await page.evaluate(() => window.aveluneTest.scale()), scale);
      const box = await (await page.$('#screen')).boundingBox();
      assert.equal(box.width * c.ratio, kWidth * scale);
      assert.equal(box.x * c.ratio, Math.round(box.x * c.ratio), 'the canvas starts on a device pixel');
      const canvas = await canvasPixels(page);
      const shot = decodePng(await page.screenshot({ clip: box, type: 'png' }));
      assert.equal(shot.width, kWidth * scale);
      assert.equal(shot.height, kHeight * scale);
      let bad = 0;
      for (let y = 0; y < shot.height; ++y) {
        for (let x = 0; x < shot.width; ++x) {
          const at = 4 * (Math.floor(y / scale) * kWidth + Math.floor(x / scale));
          const p = shot.pixel(x, y);
          if (p[0] !== canvas[at] || p[1] !== canvas[at + 1] || p[2] !== canvas[at + 2]) ++bad;
        }
      }
      assert.equal(bad, 0, 'device pixels unlike their game pixel');
      await page.close();
    });
  }
});

// A broken atlas, served or chosen by the player, is refused with the words
// the headless game (and the desktop) use for it.
// When a game runs already, it says that game goes on with the atlas it has.
function headlessAtlasMessage(dir, file, prefix = 'Avelune cannot start: ') {
  const run = spawnSync(nativeBinary, ['--headless', '--atlas', file, '--events', '/dev/null'], { cwd: dir, encoding: 'utf8' });
  assert.equal(run.status, 1, run.stderr);
  return prefix + run.stderr.trim().replace(/^avelune: /, '');
}

describe('a broken atlas shows its message', () => {
  const good = zlib.inflateSync(fs.readFileSync(path.join(siteDir, 'prop.bmp.z')));
  const broken = [
    { name: 'truncated', bytes: good.subarray(0, 5000) },
    { name: 'not a bitmap', bytes: Buffer.from('GIF89a, not a bitmap at all') },
    { name: 'empty', bytes: Buffer.alloc(0) },
  ];
  let dir;
  before(() => { dir = tempDir('avelune-broken-'); });
  after(() => fs.rmSync(dir, { recursive: true, force: true }));

  for (const b of broken) {
    test(`served, ${b.name}`, async () => {
      const site = path.join(dir, b.name.replace(/ /g, '-'));
      fs.cpSync(siteDir, site, { recursive: true });
      fs.writeFileSync(path.join(site, 'prop.bmp.z'), zlib.deflateSync(b.bytes));
      fs.writeFileSync(path.join(site, 'prop.bmp'), b.bytes);
      const expected = headlessAtlasMessage(site, 'prop.bmp');
      const brokenServer = await serveSite(site);
      try {
        const page = await openPage(browser, brokenServer.url + '?test=live');
        await page.click('#card');
        await page.waitForFunction((t) => document.getElementById('card-text').textContent === t, { timeout: 3000 },
          expected);
        assert.equal(await page.evaluate(() => window.aveluneTest.running()), false);
        await page.close();
      } finally {
        await brokenServer.close();
      }
    });
    test(`chosen by the player, ${b.name}`, async () => {
      const file = path.join(dir, `mine-${b.name.replace(/ /g, '-')}.bmp`);
      fs.writeFileSync(file, b.bytes);
      const expected = headlessAtlasMessage(dir, path.basename(file),
        'Avelune goes on with the atlas it has. The one chosen cannot serve: ');
      const page = await openPage(browser, server.url + '?test=1');
      await page.evaluate(() => { window.aveluneTest.start(); window.aveluneTest.tick(3); });
      const before = await canvasPixels(page);
      await (await page.$('#atlas-file')).uploadFile(file);
      await page.waitForFunction(() => document.getElementById('message').open, { timeout: 3000 });
      assert.equal(await page.$eval('#message-text', (e) => e.textContent), expected);
      // The game that ran goes on.
      assert.equal(await page.evaluate(() => window.aveluneTest.running()), true);
      assert.equal(Buffer.compare(await canvasPixels(page), before), 0);
      await page.close();
    });
  }

  test('served, not deflated', async () => {
    const site = path.join(dir, 'raw');
    fs.cpSync(siteDir, site, { recursive: true });
    fs.writeFileSync(path.join(site, 'prop.bmp.z'), good.subarray(0, 4000));
    const brokenServer = await serveSite(site);
    try {
      const page = await openPage(browser, brokenServer.url + '?test=live');
      const text = await page.$eval('#card-text', (e) => e.textContent);
      assert.match(text, /^Avelune cannot start: prop\.bmp\.z cannot be inflated/);
      await page.close();
    } finally {
      await brokenServer.close();
    }
  });
});

test('the single-file build plays from a file URL', async () => {
  const expected = runHeadless('tick 3\nstate\n');
  const page = await openPage(browser, pathToFileURL(path.join(siteDir, 'avelune-offline.html')).href + '?test=1');
  assert.equal(await page.evaluate(() => window.aveluneTest.start()), '');
  const got = await playOnPage(page, 'tick 3\nstate\n');
  assert.deepEqual(got.states, expected.states);
  assert.equal(differingPixels(got.pictures[0], expected.pictures[0]), 0);
  assert.deepEqual(page.aveluneErrors, []);
  await page.close();
});

test('the page transfers under 600 KB', async () => {
  const counted = await serveSite();
  try {
    const page = await openPage(browser, counted.url + '?test=live');
    await page.click('#card');
    await page.waitForFunction(() => window.aveluneTimings.firstPicture !== undefined, { timeout: 5000 });
    assert.ok(counted.bytesSent() < 600 * 1024, `${counted.bytesSent()} bytes`);
    await page.close();
  } finally {
    await counted.close();
  }
});

test('the module\'s memory functions agree with byte loops', () => {
  const run = spawnSync(process.execPath, [path.join(siteDir, '..', 'bin', 'avelune_web_memory_test.js')], { encoding: 'utf8' });
  assert.equal(run.status, 0, run.stdout + run.stderr);
});
