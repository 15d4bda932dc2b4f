// The page filling any screen sharply, and a phone flown with the thumbs.
//   node --test tests/web/        (after scripts/web.sh --build and npm ci)
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { describe, test } from 'node:test';
import {
  canvasPixels, decodePng, expectSameAsHeadless, kHeight, kWidth, openPage, sharedBrowserAndSite,
  sourceDir,
} from './support.mjs';

const shared = sharedBrowserAndSite();

// In flight, so the picture has the cockpit's detail.
async function flying(page) {
  await page.evaluate(() => {
    const t = window.aveluneTest;
    t.start();
    t.tick(3);
    t.press(334, 227);
    t.release(334, 227);
    t.tick(20);
  });
}

// Fill mode: the picture fills the stage, and the middle of each game
// pixel's area shows that game pixel's colour exactly.
describe('fill mode keeps every game pixel', () => {
  const cases = [
    { width: 1366, height: 768, ratio: 1 },
    { width: 1920, height: 1080, ratio: 1 },
    { width: 1000, height: 744, ratio: 1.5 },
  ];
  for (const c of cases) {
    test(`${c.width} x ${c.height} at devicePixelRatio ${c.ratio}`, async () => {
      const page = await openPage(shared.browser, shared.server.url + '?test=1',
        { viewport: { width: c.width, height: c.height, deviceScaleFactor: c.ratio } });
      await flying(page);
      const fill = await page.evaluate(() => window.aveluneTest.fill());
      assert.ok(fill, 'fill mode');
      const stage = await page.evaluate(() => [document.getElementById('stage').clientWidth,
        document.getElementById('stage').clientHeight]);
      // Fills one side of the stage to within a device pixel.
      assert.ok(Math.abs(fill.width - stage[0] * c.ratio) <= 1 || Math.abs(fill.height - stage[1] * c.ratio) <= 1,
        `${fill.width} x ${fill.height} in ${stage}`);
      const box = await (await page.$('#fill')).boundingBox();
      const shot = decodePng(await page.screenshot({ clip: box, type: 'png' }));
      assert.equal(shot.width, fill.width);
      assert.equal(shot.height, fill.height);
      const canvas = await canvasPixels(page);
      let bad = 0;
      for (let gy = 0; gy < kHeight; ++gy) {
        for (let gx = 0; gx < kWidth; ++gx) {
          const p = shot.pixel(Math.floor((gx + 0.5) * fill.width / kWidth), Math.floor((gy + 0.5) * fill.height / kHeight));
          const at = 4 * (gy * kWidth + gx);
          if (p[0] !== canvas[at] || p[1] !== canvas[at + 1] || p[2] !== canvas[at + 2]) ++bad;
        }
      }
      assert.equal(bad, 0, 'game pixels whose middle shows another colour');
      assert.deepEqual(page.aveluneErrors, []);
      await page.close();
    });
  }
});

// The README's approach flown on a phone by touch alone: its keys by the
// touch controls, the rest (START) by a finger on the picture; the headless
// game plays the same keys and its state lines must agree.
const phones = [
  { name: 'portrait', width: 390, height: 844 },
  { name: 'landscape', width: 844, height: 390 },
];
// The menus: finger-sized targets on a phone, the desktop's 23 px bar with a mouse.
describe('the menus fit the pointer', () => {
  const cases = [
    { name: 'mouse', viewport: { width: 1400, height: 1000, deviceScaleFactor: 1 }, titleHeight: 23 },
    ...phones.map((p) => ({ name: p.name, viewport: { width: p.width, height: p.height, deviceScaleFactor: 3,
      hasTouch: true, isMobile: true }, least: 44 })),
  ];
  for (const c of cases) {
    test(c.name, async () => {
      const page = await openPage(shared.browser, shared.server.url + '?test=1', { viewport: c.viewport });
      await page.evaluate(() => window.aveluneTest.start());
      await page.click('.menu-title');  // Game, the longest menu
      const boxes = await page.$$eval('.menu-title, .menu-title[aria-expanded="true"] + .menu-items button:not([hidden])',
        (all) => all.map((e) => { const r = e.getBoundingClientRect(); return [e.textContent, r.width, r.height, r.bottom]; }));
      assert.ok(boxes.length > 8, `${boxes.length} targets`);
      for (const [label, width, height] of boxes) {
        if (c.least) assert.ok(width >= c.least && height >= c.least, `${label}: ${width} x ${height}`);
      }
      if (c.titleHeight) assert.equal(boxes[0][2], c.titleHeight);
      // A menu taller than the screen scrolls inside it.
      const menu = await page.$eval('.menu-title[aria-expanded="true"] + .menu-items', (e) => e.getBoundingClientRect().bottom);
      assert.ok(menu <= c.viewport.height, `the menu ends at ${menu}`);
      await page.close();
    });
  }
});

describe('a phone flies by touch', () => {
  const events = fs.readFileSync(path.join(sourceDir, 'tests', 'replays', 'readme-approach.events'), 'utf8');
  for (const phone of phones) {
    test(phone.name, async () => {
      const page = await openPage(shared.browser, shared.server.url + '?test=1', { viewport: {
        width: phone.width, height: phone.height, deviceScaleFactor: 3, hasTouch: true, isMobile: true } });
      assert.equal(await page.evaluate(() => window.aveluneTest.start()), '');
      // Every control is a thumb's target, and none lies over the picture.
      const targets = await page.$$eval('#touch button', (buttons) => buttons.map((b) => {
        const r = b.getBoundingClientRect();
        return { control: b.dataset.control || b.id, width: r.width, height: r.height, shown: r.width > 0 };
      }));
      for (const t of targets.filter((t) => t.shown)) {
        assert.ok(t.width >= 44 && t.height >= 44, `${t.control}: ${t.width} x ${t.height}`);
      }
      const picture = await (await page.$('#screen')).boundingBox();
      const bar = await page.$eval('#menubar', (e) => e.offsetHeight);
      if (phone.name === 'portrait') assert.ok(Math.abs(picture.width - phone.width) <= 1, 'spans the width');
      else assert.ok(picture.height >= phone.height - bar - 2, 'fills the height below the menu bar');
      const keyOf = await page.$$eval('#touch button[data-control]', (buttons) => Object.fromEntries(
        buttons.map((b) => [window.aveluneTest.keyForControl(b.dataset.control), b.dataset.control])));
      const played = [], states = [];
      let touch = null, held = null, taps = 0;
      const at = (x, y) => [picture.x + (x + 0.5) * picture.width / kWidth, picture.y + (y + 0.5) * picture.height / kHeight];
      for (const raw of events.split('\n')) {
        const words = raw.replace(/#.*/, '').trim().split(/\s+/).filter((w) => w.length > 0);
        if (words.length === 0) continue;
        const [verb, a, b] = words;
        if (verb === 'press') {
          const key = await page.evaluate((x, y) => window.aveluneTest.keyForPoint(x, y), Number(a), Number(b));
          const control = keyOf[key];
          if (control) {
            if (phone.name === 'landscape' && await page.$eval(`[data-control="${control}"]`, (e) => e.offsetWidth === 0)) {
              const drawer = await page.$('#touch-drawer');
              await drawer.tap();
            }
            const button = await (await page.$(`[data-control="${control}"]`)).boundingBox();
            touch = await page.touchscreen.touchStart(button.x + button.width / 2, button.y + button.height / 2);
            played.push(`keydown ${key}`);
            held = key;
            ++taps;
          } else {
            touch = await page.touchscreen.touchStart(...at(Number(a), Number(b)));
            played.push(words.join(' '));
          }
        } else if (verb === 'release') {
          await touch.end();
          touch = null;
          played.push(held ? `keyup ${held}` : words.join(' '));
          held = null;
        } else if (verb === 'tick') {
          played.push(words.join(' '));
          await page.evaluate((n) => window.aveluneTest.tick(n), a === undefined ? 1 : Number(a));
          // Power and pitch in the bar are never cut short.
          const [shown, needs, has] = await page.$eval('#numbers', (e) => [e.textContent, e.scrollWidth, e.clientWidth]);
          if (shown) assert.ok(needs <= has, `"${shown}" needs ${needs} px of ${has}`);
        } else if (verb === 'state') {
          played.push('state');
          states.push(await page.evaluate(() => window.aveluneTest.state()));
        } else {
          throw new Error(`an event this test does not play: ${raw}`);
        }
        if (await page.evaluate(() => window.aveluneTest.quitRequested())) break;
      }
      assert.ok(taps > 10, 'the controls flew it');
      assert.deepEqual(await page.evaluate(() => [scrollX, scrollY, visualViewport.scale]), [0, 0, 1],
        'the taps neither scrolled nor zoomed the page');
      await expectSameAsHeadless(page, played, states);
      await page.close();
    });
  }
});

// A tap on another menu title opens its menu at once, as a click does.
test('a tap on another menu title opens that menu', async () => {
  const page = await openPage(shared.browser, shared.server.url + '?test=1', { viewport: {
    width: 390, height: 844, deviceScaleFactor: 3, hasTouch: true, isMobile: true } });
  const open = () => page.$$eval('.menu-title[aria-expanded="true"]', (t) => t.map((e) => e.textContent).join());
  for (const [title, menus] of [[1, 'Game'], [2, 'Flight'], [3, 'View'], [3, '']]) {
    await (await page.$(`.menu:nth-child(${title}) .menu-title`)).tap();
    assert.equal(await open(), menus, `after a tap on title ${title}`);
  }
  await page.close();
});
