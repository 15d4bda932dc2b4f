// The page played as a new player meets it: from the keyboard and a gamepad,
// paused when unseen, menus and dialogs that keep their clicks, and a
// player's own atlas kept between visits.
//   node --test tests/web/        (after scripts/web.sh --build and npm ci)
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { describe, test } from 'node:test';
import zlib from 'node:zlib';
import {
  expectSameAsHeadless, openPage, sharedBrowserAndSite, siteDir, sourceDir, tempDir,
} from './support.mjs';

const replayDir = path.join(sourceDir, 'tests', 'replays');
const replays = fs.readdirSync(replayDir).filter((f) => f.endsWith('.events')).sort();

// The key map's names as a keyboard's keys (KeyboardEvent.code).
function keyCode(name) {
  const named = { Up: 'ArrowUp', Down: 'ArrowDown', Left: 'ArrowLeft', Right: 'ArrowRight', Return: 'Enter',
    KP_Enter: 'NumpadEnter', KP_Plus: 'NumpadAdd', KP_Minus: 'NumpadSubtract' };
  if (named[name]) return named[name];
  if (/^[A-Z]$/.test(name)) return 'Key' + name;
  if (/^[0-9]$/.test(name)) return 'Digit' + name;
  if (/^KP_[0-9]$/.test(name)) return 'Numpad' + name.slice(3);
  return name;  // Home, End, PageUp, Escape, Comma, F5, ...
}

const shared = sharedBrowserAndSite();

const state = (page) => page.evaluate(() => JSON.parse(window.aveluneTest.state()));
const live = async (url = shared.server.url) => {
  const page = await openPage(shared.browser, url + '?test=live');
  await page.click('#card');
  await page.waitForFunction(() => (window.aveluneTimings.ticks || 0) >= 3, { timeout: 5000 });
  return page;
};
// A moment later the game still shows the title: nothing pressed START.
async function expectStillTheTitle(page) {
  await new Promise((r) => setTimeout(r, 300));
  assert.ok([0, 3].includes((await state(page)).gameState), 'still the title');
}

// Each replay's clicks become the keys that stand for their controls there
// (the page names the key, the keyboard presses it); the headless game plays
// the same keys, and the state lines must agree.
describe('replays flown by keys match the headless game', () => {
  for (const name of replays) {
    test(name, async () => {
      const events = fs.readFileSync(path.join(replayDir, name), 'utf8');
      const page = await openPage(shared.browser, shared.server.url + '?test=1');
      assert.equal(await page.evaluate(() => window.aveluneTest.start()), '');
      const played = [], states = [];
      let held = null, keys = 0;
      for (const raw of events.split('\n')) {
        const words = raw.replace(/#.*/, '').trim().split(/\s+/).filter((w) => w.length > 0);
        if (words.length === 0) continue;
        const [verb, a, b] = words;
        const key = verb === 'press'
          ? await page.evaluate((x, y) => window.aveluneTest.keyForPoint(x, y), Number(a), Number(b)) : '';
        if (key) {
          await page.keyboard.down(keyCode(key));
          // The quit lever in flight asks first, and the game never sees the
          // key: the player says Quit, and the page ends the game there.
          if (await page.$eval('#confirm', (d) => d.open)) {
            await page.click('#confirm-yes');
            await page.waitForFunction(() => !window.aveluneTest.running(), { timeout: 2000 });
            break;
          }
          played.push(`keydown ${key}`);
          held = key;
          ++keys;
        } else if (verb === 'release' && held) {
          await page.keyboard.up(keyCode(held));
          played.push(`keyup ${held}`);
          held = null;
        } else if (verb === 'tick') {
          played.push(words.join(' '));
          await page.evaluate((n) => window.aveluneTest.tick(n), a === undefined ? 1 : Number(a));
        } else {
          played.push(words.join(' '));
          if (verb === 'state') states.push(await page.evaluate(() => window.aveluneTest.state()));
          else await page.evaluate((v, x, y) => window.aveluneTest[v](x, y), verb, Number(a), Number(b));
        }
        if (await page.evaluate(() => window.aveluneTest.quitRequested())) break;
      }
      assert.ok(keys > 0, 'some clicks stood for keys');
      await expectSameAsHeadless(page, played, states);
      await page.close();
    });
  }
});

test('the first click gives the game the keys: Return starts, F5 restarts and never reloads', async () => {
  const page = await live();
  assert.equal(await page.evaluate(() => window.aveluneTest.focused()), 'screen');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => [4, 6, 10].includes(JSON.parse(window.aveluneTest.state()).gameState),
    { timeout: 3000 });
  await page.evaluate(() => {
    window.reloads = 0;
    window.addEventListener('beforeunload', () => ++window.reloads);
    window.addEventListener('keydown', (e) => { window.f5Prevented = e.code === 'F5' && e.defaultPrevented; });
  });
  await page.keyboard.press('F5');
  assert.equal(await page.evaluate(() => window.f5Prevented), true);
  assert.equal(await page.evaluate(() => window.reloads), 0);
  assert.deepEqual(page.aveluneErrors, []);
  await page.close();
});

test('a gamepad flies through the same map', async () => {
  const page = await shared.browser.newPage();
  // A standard pad whose buttons the test holds.
  await page.evaluateOnNewDocument(() => {
    const buttons = Array.from({ length: 17 }, () => ({ pressed: false, value: 0 }));
    window.testPad = { index: 0, id: 'test pad', connected: true, mapping: 'standard', axes: [0, 0, 0, 0], buttons };
    navigator.getGamepads = () => [window.testPad, null, null, null];
  });
  await page.goto(shared.server.url + '?test=live');
  await page.waitForFunction(() => window.aveluneTest && window.aveluneTest.ready);
  await page.evaluate(() => window.aveluneTest.ready);
  await page.click('#card');
  await page.waitForFunction(() => (window.aveluneTimings.ticks || 0) >= 3, { timeout: 5000 });
  await page.evaluate(() => window.dispatchEvent(new Event('gamepadconnected')));
  await page.evaluate(() => { window.testPad.buttons[0].pressed = true; });  // A: START
  await new Promise((r) => setTimeout(r, 100));
  await page.evaluate(() => { window.testPad.buttons[0].pressed = false; });
  await page.waitForFunction(() => [4, 6, 10].includes(JSON.parse(window.aveluneTest.state()).gameState),
    { timeout: 3000 });
  await page.close();
});

test('P pauses and any key resumes; M mutes and is remembered', async () => {
  const page = await live();
  await page.keyboard.press('KeyP');
  assert.equal(await page.evaluate(() => window.aveluneTest.paused()), true);
  assert.equal(await page.$eval('#status', (e) => e.textContent), 'Paused');
  const ticks = await page.evaluate(() => window.aveluneTimings.ticks);
  await new Promise((r) => setTimeout(r, 400));
  assert.equal(await page.evaluate(() => window.aveluneTimings.ticks), ticks, 'no tick while paused');
  await page.keyboard.press('Enter');  // resumes, and does not press START
  assert.equal(await page.evaluate(() => window.aveluneTest.paused()), false);
  assert.equal(await page.$eval('#status', (e) => e.textContent), '');
  assert.ok([0, 3].includes((await state(page)).gameState), 'still the title');
  await page.keyboard.press('KeyM');
  assert.equal(await page.evaluate(() => window.aveluneTest.muted()), true);
  await page.reload();
  await page.waitForFunction(() => window.aveluneTest && window.aveluneTest.ready);
  assert.equal(await page.evaluate(() => window.aveluneTest.muted()), true);
  assert.equal(await page.$eval('[data-command="mute"]', (e) => e.getAttribute('aria-checked')), 'true');
  await page.close();
});

describe('unseen, the game pauses and waits for the player', () => {
  for (const how of ['the tab is hidden', 'the window loses focus']) {
    test(how, async () => {
      const page = await live();
      if (how === 'the tab is hidden') {
        await page.evaluate(() => {
          Object.defineProperty(document, 'visibilityState', { value: 'hidden', configurable: true });
          document.dispatchEvent(new Event('visibilitychange'));
        });
      } else {
        await page.evaluate(() => window.dispatchEvent(new Event('blur')));
      }
      assert.equal(await page.evaluate(() => window.aveluneTest.paused()), true);
      if (how === 'the tab is hidden') {
        await page.evaluate(() => {
          Object.defineProperty(document, 'visibilityState', { value: 'visible', configurable: true });
          document.dispatchEvent(new Event('visibilitychange'));
        });
      }
      const ticks = await page.evaluate(() => window.aveluneTimings.ticks);
      await new Promise((r) => setTimeout(r, 400));
      assert.equal(await page.evaluate(() => window.aveluneTest.paused()), true, 'never resumes by itself');
      assert.equal(await page.evaluate(() => window.aveluneTimings.ticks), ticks);
      // A click on START resumes and does nothing more.
      const box = await (await page.$('#screen')).boundingBox();
      await page.mouse.click(box.x + 330.5, box.y + 230.5);
      assert.equal(await page.evaluate(() => window.aveluneTest.paused()), false);
      await expectStillTheTitle(page);
      await page.close();
    });
  }
});

test('a click that closes a menu does not reach the game', async () => {
  const page = await live();
  const box = await (await page.$('#screen')).boundingBox();
  await page.click('.menu:nth-child(1) .menu-title');
  assert.equal(await page.evaluate(() => window.aveluneTest.menuOpen()), true);
  await page.mouse.click(box.x + 330.5, box.y + 230.5);  // START under the open menu
  assert.equal(await page.evaluate(() => window.aveluneTest.menuOpen()), false);
  await expectStillTheTitle(page);
  await page.close();
});

test('Restart mid-flight asks first, and Cancel keeps the approach', async () => {
  const page = await live();
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.aveluneTest.inFlight(), { timeout: 3000 });
  await page.click('.menu:nth-child(1) .menu-title');
  await page.click('[data-command="restart"]');
  await page.waitForFunction(() => document.getElementById('confirm').open, { timeout: 2000 });
  await page.click('#confirm button[value="no"]');
  assert.equal(await page.evaluate(() => window.aveluneTest.inFlight()), true);
  await page.click('.menu:nth-child(1) .menu-title');
  await page.click('[data-command="restart"]');
  await page.waitForFunction(() => document.getElementById('confirm').open, { timeout: 2000 });
  await page.click('#confirm-yes');
  await page.waitForFunction(() => !window.aveluneTest.inFlight(), { timeout: 2000 });
  assert.ok([0, 3].includes((await state(page)).gameState), 'the title again');
  assert.equal(await page.evaluate(() => window.aveluneTest.focused()), 'screen');
  await page.close();
});

// The quit lever's key and the drawer's quit ask while an approach is flown
// (Cancel flies on); Escape on the title quits at once. After a quit the
// card has the focus, so Return starts again.
describe('quitting asks while an approach is flown', () => {
  const phone = { width: 844, height: 390, deviceScaleFactor: 3, hasTouch: true, isMobile: true };
  const cases = [
    { name: 'Y in flight, Quit', flying: true, quit: (p) => p.keyboard.press('KeyY'), answer: '#confirm-yes' },
    { name: 'Y in flight, Cancel', flying: true, quit: (p) => p.keyboard.press('KeyY'), answer: '#confirm button[value="no"]' },
    { name: 'Escape on the title', flying: false, quit: (p) => p.keyboard.press('Escape') },
    { name: 'the drawer\'s quit on a phone', flying: true, viewport: phone, answer: '#confirm-yes',
      quit: async (p) => {
        await (await p.$('#touch-drawer')).tap();
        await (await p.$('[data-control="QuitLever"]')).tap();
      } },
  ];
  for (const c of cases) {
    test(c.name, async () => {
      const page = await openPage(shared.browser, shared.server.url + '?test=1', c.viewport ? { viewport: c.viewport } : {});
      await page.evaluate((flying) => {
        const t = window.aveluneTest;
        t.start();
        t.tick(3);
        if (flying) { t.press(334, 227); t.release(334, 227); t.tick(20); }
      }, c.flying);
      assert.equal(await page.evaluate(() => window.aveluneTest.inFlight()), c.flying);
      await c.quit(page);
      const asked = await page.$eval('#confirm', (d) => d.open);
      assert.equal(asked, Boolean(c.answer), 'asked');
      if (asked) {
        assert.equal(await page.$eval('#confirm-text', (e) => e.textContent), 'Quitting ends the approach in flight.');
        assert.equal(await page.evaluate(() => window.aveluneTest.running()), true, 'nothing ended before the answer');
        await page.click(c.answer);
      }
      const quit = c.answer !== '#confirm button[value="no"]';
      await page.waitForFunction((q) => window.aveluneTest.running() !== q, { timeout: 2000 }, quit);
      if (quit) {
        assert.equal(await page.evaluate(() => window.aveluneTest.focused()), 'card');
        await page.keyboard.press('Enter');
        assert.equal(await page.evaluate(() => window.aveluneTest.running()), true, 'Return starts again');
      } else {
        assert.equal(await page.evaluate(() => window.aveluneTest.inFlight()), true);
      }
      assert.deepEqual(page.aveluneErrors, []);
      await page.close();
    });
  }
});

test('the player\'s atlas is kept until the built-in one is chosen again', async () => {
  const dir = tempDir('avelune-own-atlas-');
  const good = zlib.inflateSync(fs.readFileSync(path.join(siteDir, 'prop.bmp.z')));
  const mine = path.join(dir, 'mine.bmp');
  fs.writeFileSync(mine, good);
  const context = await shared.browser.createBrowserContext();
  try {
    const open = async () => {
      const page = await context.newPage();
      await page.goto(shared.server.url + '?test=1');
      await page.waitForFunction(() => window.aveluneTest && window.aveluneTest.ready);
      await page.evaluate(() => window.aveluneTest.ready);
      return page;
    };
    let page = await open();
    await page.evaluate(() => window.aveluneTest.start());
    await (await page.$('#atlas-file')).uploadFile(mine);
    await page.waitForFunction(() => window.aveluneTest.atlasName() === 'mine.bmp', { timeout: 3000 });
    await page.waitForFunction(() => !document.querySelector('[data-command="builtin-atlas"]').hidden);
    await new Promise((r) => setTimeout(r, 200));  // the store's write
    await page.close();
    page = await open();
    assert.equal(await page.evaluate(() => window.aveluneTest.atlasName()), 'mine.bmp', 'kept over a reload');
    await page.evaluate(() => window.aveluneTest.start());
    await page.click('.menu:nth-child(1) .menu-title');
    await page.click('[data-command="builtin-atlas"]');
    assert.equal(await page.evaluate(() => window.aveluneTest.atlasName()), 'prop.bmp');
    await new Promise((r) => setTimeout(r, 200));
    await page.close();
    page = await open();
    assert.equal(await page.evaluate(() => window.aveluneTest.atlasName()), 'prop.bmp', 'forgotten when the built-in is chosen');
    await page.close();
  } finally {
    await context.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
});

test('a still picture costs no frame, a hidden tab neither tick nor frame', async () => {
  const page = await live();
  await page.keyboard.press('KeyG');      // the guide page: the timer stops
  await page.waitForFunction(() => JSON.parse(window.aveluneTest.state()).pressMode === 1, { timeout: 3000 });
  await page.keyboard.press('Enter');     // the second page: ticks, the picture stands
  await page.waitForFunction(() => JSON.parse(window.aveluneTest.state()).gameState === 9, { timeout: 3000 });
  await new Promise((r) => setTimeout(r, 300));
  const count = () => page.evaluate(() => [window.aveluneTimings.ticks, window.aveluneTimings.frames]);
  const [ticks, frames] = await count();
  await new Promise((r) => setTimeout(r, 1000));
  const [ticksLater, framesLater] = await count();
  assert.ok(ticksLater >= ticks + 5, 'the game ticks on');
  assert.equal(framesLater, frames, 'no frame for an unchanged picture');
  await page.evaluate(() => {
    Object.defineProperty(document, 'visibilityState', { value: 'hidden', configurable: true });
    document.dispatchEvent(new Event('visibilitychange'));
  });
  const hidden = await count();
  await new Promise((r) => setTimeout(r, 500));
  assert.deepEqual(await count(), hidden);
  await page.close();
});
