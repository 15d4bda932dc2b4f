// The page for a player on the keyboard or a screen reader: the menu bar's
// keys, where the focus goes back to, the focus ring, what the live region
// and the title say, the sound cues, questions that hold the game, dialogs in
// a small window, and the power and pitch beside the menus.
//   node --test tests/web/        (after scripts/web.sh --build and npm ci)
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { describe, test } from 'node:test';
import { decodePng, openPage, playOnPage, sharedBrowserAndSite, siteDir, sourceDir } from './support.mjs';

const replay = (name) => fs.readFileSync(path.join(sourceDir, 'tests', 'replays', name), 'utf8');

const shared = sharedBrowserAndSite();

// The focused element's own words (a menu item without its accelerator), or
// its id.
const focus = (page) => page.evaluate(() => {
  const at = document.activeElement;
  return at.id || (at.childNodes[0] ? at.childNodes[0].textContent.trim() : at.tagName);
});
const open = (page) => page.evaluate(() =>
  Array.from(document.querySelectorAll('.menu-title[aria-expanded="true"]')).map((t) => t.textContent).join());
const started = async (query = '?test=1') => {
  const page = await openPage(shared.browser, shared.server.url + query);
  if (query === '?test=1') await page.evaluate(() => window.aveluneTest.start());
  else await page.click('#card');
  await page.waitForFunction(() => window.aveluneTest.running());
  return page;
};

test('the menu bar answers the arrows, Home, End, Escape and Enter', async () => {
  const page = await started();
  assert.equal(await focus(page), 'screen');
  const steps = [
    // key, focus after, menus open after
    ['F10', 'Game', ''],
    ['ArrowRight', 'Flight', ''],
    ['ArrowDown', 'Save flight', 'Flight'],
    ['ArrowUp', 'Logbook…', 'Flight'],
    ['Home', 'Save flight', 'Flight'],
    ['End', 'Logbook…', 'Flight'],
    ['ArrowRight', 'Scale to fit', 'View'],
    ['ArrowLeft', 'Save flight', 'Flight'],
    ['Escape', 'Flight', ''],
    ['End', 'About', ''],
    ['ArrowRight', 'Game', ''],
    ['Escape', 'screen', ''],           // out of the bar, back to the game
    ['F10', 'Game', ''],
    ['Enter', 'Restart', 'Game'],
    ['ArrowDown', 'Pause', 'Game'],
    ['Enter', 'screen', ''],            // chosen: the focus is the game's again
  ];
  for (const [key, focused, menus] of steps) {
    await page.keyboard.press(key);
    assert.deepEqual([key, await focus(page), await open(page)], [key, focused, menus]);
  }
  assert.equal(await page.evaluate(() => window.aveluneTest.paused()), true, 'Enter chose Pause');
  assert.equal(await page.evaluate(() => document.querySelectorAll('#menus [tabindex="0"]').length), 1);
  await page.close();
});

test('a dialog opened from the menus gives the focus back to the game, never the body', async () => {
  const page = await started();
  for (const [menu, downs, dialog] of [['About', 0, 'about'], ['Flight', 3, 'message'], ['Flight', 5, 'logbook']]) {
    await page.keyboard.press('F10');
    for (let i = 0; i < 4 && await focus(page) !== menu; ++i) await page.keyboard.press('ArrowRight');
    assert.equal(await focus(page), menu);
    await page.keyboard.press('ArrowDown');
    for (let i = 0; i < downs; ++i) await page.keyboard.press('ArrowDown');
    await page.keyboard.press('Enter');
    await page.waitForFunction((id) => document.getElementById(id).open, { timeout: 3000 }, dialog);
    assert.ok(await page.evaluate((id) => document.getElementById(id).contains(document.activeElement), dialog), dialog);
    const label = await page.evaluate((id) => {
      const d = document.getElementById(id);
      const caption = document.getElementById(d.getAttribute('aria-labelledby'));
      return caption && d.contains(caption) ? caption.textContent : '';
    }, dialog);
    assert.notEqual(label, '', `${dialog} is named by its caption`);
    await page.keyboard.press('Escape');
    assert.equal(await focus(page), 'screen', dialog);
  }
  // Before a game, the card has it back.
  const fresh = await openPage(shared.browser, shared.server.url + '?test=live');
  await fresh.keyboard.press('F10');
  await fresh.keyboard.press('End');
  await fresh.keyboard.press('Enter');
  await fresh.keyboard.press('Enter');
  await fresh.waitForFunction(() => document.getElementById('about').open);
  await fresh.keyboard.press('Escape');
  assert.equal(await focus(fresh), 'card');
  await fresh.close();
  await page.close();
});

// Relative luminance and contrast as WCAG 2 defines them.
function contrast(a, b) {
  const lum = ([r, g, b2]) => [r, g, b2].map((v) => {
    const c = v / 255;
    return c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4;
  }).reduce((s, c, i) => s + c * [0.2126, 0.7152, 0.0722][i], 0);
  const [x, y] = [lum(a), lum(b)].sort((p, q) => q - p);
  return (x + 0.05) / (y + 0.05);
}

// Tab goes round the card, the menu bar's title and the picture, never to the body.
test('Tab and Shift+Tab go round the card, the menu bar and the picture', async () => {
  const page = await openPage(shared.browser, shared.server.url + '?test=live');
  const steps = [
    // keys, focus after
    [[], 'card'],
    [['Tab'], 'Game'],
    [['Tab'], 'card'],                  // the picture lies under the card
    [['Shift+Tab'], 'Game'],
    [['Shift+Tab', 'Enter'], 'screen'], // started
    [['Tab'], 'Game'],
    [['Tab'], 'screen'],
    [['Shift+Tab'], 'Game'],
    [['Shift+Tab'], 'screen'],
    [['F10', 'Enter', 'Tab'], 'screen'], // from an open menu's item
  ];
  for (const [keys, focused] of steps) {
    for (const key of keys) {
      const [shift, name] = key.startsWith('Shift+') ? [true, key.slice(6)] : [false, key];
      if (shift) await page.keyboard.down('Shift');
      await page.keyboard.press(name);
      if (shift) await page.keyboard.up('Shift');
    }
    assert.deepEqual([keys, await focus(page), await open(page)], [keys, focused, '']);
  }
  await page.close();
});

// In fill mode the game's canvas is unseen over the filled picture, which
// then shows the ring; a whole scale shows the canvas itself.
for (const [mode, viewport] of [['fill mode', { width: 1400, height: 1000 }], ['a whole scale', { width: 1264, height: 904 }]]) {
  test(`every focusable thing shows a ring of 2 px or more at 3:1 against what is around it, in ${mode}`, async () => {
    const page = await openPage(shared.browser, shared.server.url + '?test=live', { viewport: { ...viewport, deviceScaleFactor: 1 } });
    assert.equal(await page.evaluate(() => document.getElementById('screen').classList.contains('filled')), mode === 'fill mode');
    const targets = [
      // what has the focus, and the keys that took it there from the last
      ['#card', []],
      ['#screen', ['Enter']],
      ['#menus .menu-title', ['F10']],
      ['.menu-items button', ['ArrowDown']],
      ['dialog button', ['Escape', 'End', 'Enter', 'Enter']],
      ['#screen', ['Escape']],
    ];
    for (const [selector, keys] of targets) {
      for (const key of keys) await page.keyboard.press(key);
      assert.ok(await page.evaluate((s) => document.activeElement.matches(s), selector), selector);
      const ring = await page.evaluate(() => {
        const focused = document.activeElement;
        const at = focused.classList.contains('filled') ? document.getElementById('fill') : focused;
        const style = getComputedStyle(at);
        const rgb = (text) => (text.match(/[\d.]+/g) || []).map(Number);
        // The colours under the ring: the element's own (an inset ring lies on
        // it) and its surroundings', alpha laid over what lies below.
        const behind = (element) => {
          const layers = [];
          for (let e = element; e; e = e.parentElement) layers.unshift(rgb(getComputedStyle(e).backgroundColor));
          return layers.reduce((under, [r, g, b, a = 1]) => [r, g, b].map((v, i) => v * a + under[i] * (1 - a)), [0, 0, 0]);
        };
        return { tag: at.id || at.className || at.tagName, width: parseFloat(style.outlineWidth), style: style.outlineStyle,
          colour: rgb(style.outlineColor), own: behind(at), around: behind(at.parentElement) };
      });
      assert.ok(ring.style !== 'none' && ring.width >= 2, `${selector}: ${JSON.stringify(ring)}`);
      for (const under of [ring.own, ring.around]) {
        assert.ok(contrast(ring.colour, under) >= 3, `${selector}: ${contrast(ring.colour, under).toFixed(2)} ${JSON.stringify(ring)}`);
      }
      if (selector === '#screen') {
        // The ring is seen: the picture's edge shows its colour.
        const box = await (await page.$(mode === 'fill mode' ? '#fill' : '#screen')).boundingBox();
        const shot = decodePng(await page.screenshot({ clip: { x: box.x, y: box.y + box.height / 2, width: 2, height: 1 }, type: 'png' }));
        assert.deepEqual(shot.pixel(1, 0).slice(0, 3), ring.colour, `${mode}: the ring on the picture`);
      }
    }
    await page.close();
  });
}

// A replay's approach, told by the live region and the title in the game's words.
describe('what the page says of an approach', () => {
  const cases = [
    ['glide-slope-failure.events', ['Warning: glide slope.', 'Failed: glide slope.'], 'Avelune - failed: glide slope'],
    ['arrival.events', ['Arrived.'], 'Avelune - arrived'],  // up to its restart
  ];
  for (const [name, said, title] of cases) {
    test(name, async () => {
      const page = await started();
      await playOnPage(page, replay(name).split('# Restart')[0]);
      const told = await page.evaluate(() => window.aveluneTest.told());
      for (const sentence of said) assert.ok(told.includes(sentence), JSON.stringify(told));
      assert.equal(await page.evaluate(() => window.aveluneTest.title()), title);
      assert.equal(await page.$eval('#announce', (e) => e.getAttribute('aria-live')), 'polite');
      await page.waitForFunction((last) => document.getElementById('announce').textContent.endsWith(last), {}, told.at(-1));
      await page.click('.menu:nth-child(1) .menu-title');
      await page.click('[data-command="pause"]');
      assert.equal(await page.evaluate(() => window.aveluneTest.title()), 'Avelune - paused');
      await page.close();
    });
  }
});

test('sound cues: off by default, remembered, heard in flight and silent when paused', async () => {
  const page = await started();
  const cue = () => page.evaluate(() => window.aveluneTest.cuePeak());
  const flying = replay('arrival.events').split('\n').slice(0, 40).join('\n');
  await playOnPage(page, flying);
  assert.equal(await page.evaluate(() => window.aveluneTest.inFlight()), true);
  assert.equal(await cue(), 0, 'off by default');
  await page.click('.menu:nth-child(1) .menu-title');
  const warnings = [];
  page.on('console', (m) => { if (/deprecated/i.test(m.text())) warnings.push(m.text()); });
  await page.click('[data-command="sound-cues"]');
  await page.evaluate(() => window.aveluneTest.tick(1));
  assert.ok(await cue() > 1000, 'a tone in flight');
  // Played by an audio worklet, which the browser does not warn of.
  await page.waitForFunction(() => window.aveluneTest.cuePlayer() !== '', { timeout: 3000 });
  assert.equal(await page.evaluate(() => window.aveluneTest.cuePlayer()), 'AudioWorkletNode');
  if (await page.evaluate(() => window.aveluneTest.audioState()) === 'running') {
    await page.waitForFunction(() => window.aveluneTimings.cueBlocks > 2, { timeout: 3000 });  // the module's blocks
  }
  assert.deepEqual(warnings, []);
  assert.equal(await page.evaluate(() => window.aveluneTest.cueLevel()), 1, 'played at full gain in flight');
  await page.click('.menu:nth-child(1) .menu-title');
  await page.click('[data-command="pause"]');
  assert.equal(await cue(), 0, 'the module makes silence when paused');
  assert.equal(await page.evaluate(() => window.aveluneTest.cueLevel()), 0, 'and the page plays it at no gain');
  await page.reload();
  await page.waitForFunction(() => window.aveluneTest && window.aveluneTest.ready);
  assert.equal(await page.$eval('[data-command="sound-cues"]', (e) => e.getAttribute('aria-checked')), 'true');
  await page.close();
});

test('power and pitch beside the menus, as the desktop shows them, and off when unchecked', async () => {
  const page = await started();
  await playOnPage(page, replay('arrival.events').split('\n').slice(0, 40).join('\n'));
  const s = JSON.parse(await page.evaluate(() => window.aveluneTest.state()));
  assert.equal(await page.evaluate(() => window.aveluneTest.numbers()), `Power ${s.power}  Pitch ${s.pitch}`);
  await page.click('.menu:nth-child(1) .menu-title');
  await page.click('[data-command="power-pitch"]');
  assert.equal(await page.evaluate(() => window.aveluneTest.numbers()), '');
  await page.close();
});

test('a question holds the game until it is answered', async () => {
  const page = await started('?test=live');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.aveluneTest.inFlight(), { timeout: 3000 });
  await page.click('.menu:nth-child(1) .menu-title');
  await page.click('[data-command="restart"]');
  await page.waitForFunction(() => document.getElementById('confirm').open, { timeout: 2000 });
  const held = await page.evaluate(() => window.aveluneTest.state());
  await new Promise((r) => setTimeout(r, 400));
  assert.equal(await page.evaluate(() => window.aveluneTest.state()), held);
  await page.keyboard.press('Escape');
  assert.equal(await page.evaluate(() => window.aveluneTest.paused()), false);
  await page.waitForFunction((s) => window.aveluneTest.state() !== s, { timeout: 2000 }, held);
  await page.close();
});

// A small window, and a phone both ways up: the dialogs fit the window. The
// debrief's plot narrows to a small window, so it never scrolls sideways; on
// a phone it keeps its text readable (its 11 px labels at least 11 CSS px)
// and pans in its frame. A phone's dialog buttons are 44 px targets, and the
// logbook's are reached without scrolling sideways.
for (const [width, height, phone] of [[900, 700, false], [390, 844, true], [844, 390, true]]) {
  test(`every dialog fits a ${width} x ${height} window and scrolls inside it`, async () => {
    const page = await openPage(shared.browser, shared.server.url + '?test=1', { viewport: phone
      ? { width, height, deviceScaleFactor: 3, hasTouch: true, isMobile: true } : { width, height, deviceScaleFactor: 1 } });
    await page.evaluate(() => window.aveluneTest.start());
    await playOnPage(page, replay('arrival.events').split('# Restart')[0]);
    for (const [menu, command, dialog] of [[4, 'about', 'about'], [2, 'debrief', 'debrief'], [2, 'logbook', 'logbook']]) {
      await page.click(`.menu:nth-child(${menu}) .menu-title`);
      await page.click(`[data-command="${command}"]`);
      await page.waitForFunction((id) => document.getElementById(id).open, { timeout: 3000 }, dialog);
      const fit = await page.evaluate((id) => {
        const box = document.getElementById(id).getBoundingClientRect();
        const buttons = Array.from(document.getElementById(id).querySelectorAll('form button'));
        const last = buttons.at(-1);
        last.scrollIntoView({ block: 'nearest' });
        const b = last.getBoundingClientRect();
        const plot = document.querySelector(`#${id} .plot-frame`);
        const canvas = document.querySelector(`#${id} canvas`);
        const rows = Array.from(document.getElementById(id).querySelectorAll('button'))
          .map((e) => { const r = e.getBoundingClientRect(); return [e.textContent, r.width, r.height, r.right]; });
        return { box: [box.left, box.top, box.right, box.bottom], button: [b.left, b.top, b.right, b.bottom],
          sideways: plot ? plot.scrollWidth - plot.clientWidth : 0, buttons: rows,
          upright: plot ? plot.scrollHeight - plot.clientHeight : 0,
          // With Close at the far end in view, the close box is still at the top.
          closeTop: document.querySelector(`#${id} .caption-close`)?.getBoundingClientRect().top ?? null,
          plotScale: canvas ? parseFloat(canvas.style.width) / 1040 : 1 };
      }, dialog);
      const inside = ([l, t, r, b]) => l >= 0 && t >= 0 && r <= width && b <= height;
      if (dialog !== 'about') {
        assert.ok(fit.closeTop !== null && fit.closeTop >= fit.box[1] && fit.closeTop <= fit.box[1] + 8,
          `${dialog}: the close box at ${fit.closeTop}, the window's top at ${fit.box[1]}`);
      }
      assert.ok(inside(fit.box) && inside(fit.button), `${dialog}: ${JSON.stringify(fit)}`);
      if (phone) {
        if (dialog === 'logbook') assert.ok(fit.buttons.some(([label]) => label === 'Watch'), 'an approach kept');
        assert.ok(fit.plotScale >= 0.999, `${dialog}: the plot at ${fit.plotScale}`);
        // The dialog scrolls; the plot within it only sideways.
        assert.ok(fit.upright <= 0, `${dialog}: the plot scrolls ${fit.upright} px inside its frame`);
        for (const [label, w, h, right] of fit.buttons) {
          assert.ok(w >= 44 && h >= 44, `${dialog}: ${label} ${w} x ${h}`);
          assert.ok(right <= fit.box[2], `${dialog}: ${label} out of sight at ${right}`);
        }
      } else {
        assert.equal(fit.sideways, 0, `${dialog} scrolls sideways`);
      }
      // The debrief's summary and advice as text: above the plot on a phone,
      // wrapped to its width; elsewhere for screen readers only.
      if (dialog === 'debrief') {
        const text = await page.$eval('#debrief-text', (e) => ({ seen: e.getBoundingClientRect().width > 1,
          words: e.textContent, sideways: e.scrollWidth - e.clientWidth }));
        assert.match(text.words, /verdict .*What to change next time/s);
        assert.equal(text.seen, phone, 'the text shown on a phone only');
        if (phone) assert.ok(text.sideways <= 0, `the text is ${text.sideways} px too wide`);
      }
      await page.keyboard.press('Escape');
    }
    // The message and the question: their buttons too.
    for (const id of ['message', 'confirm']) {
      const sizes = await page.evaluate((i) => {
        const dialog = document.getElementById(i);
        dialog.showModal();
        const all = Array.from(dialog.querySelectorAll('button')).map((b) => b.getBoundingClientRect().height);
        dialog.close();
        return all;
      }, id);
      for (const h of sizes) assert.ok(!phone || h >= 44, `${id}: a button ${h} px high`);
    }
    await page.close();
  });
}

test('the manifest gives its icons\' real sizes, up to the 512 an installed page wants', () => {
  const manifest = JSON.parse(fs.readFileSync(path.join(siteDir, 'manifest.webmanifest'), 'utf8'));
  for (const icon of manifest.icons) {
    const png = fs.readFileSync(path.join(siteDir, icon.src));
    assert.equal(icon.sizes, `${png.readUInt32BE(16)}x${png.readUInt32BE(20)}`, icon.src);
    assert.equal(icon.purpose, 'any', icon.src);
  }
  assert.deepEqual(manifest.icons.map((i) => i.sizes), ['32x32', '192x192', '512x512']);
});
