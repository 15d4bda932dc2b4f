// scratch: screenshots of scenes at three viewports (not committed)
import fs from 'node:fs';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { launchBrowser, serveSite, openPage, nativeBinary, sourceDir } from './support.mjs';
const scene = process.argv[2] || 'watch';
const out = '/tmp/page4';
const events = fs.readFileSync(path.join(sourceDir, 'tests/replays/readme-approach.events'), 'utf8');
const saved = path.join(out, 'f.avflight');
if (!fs.existsSync(saved)) spawnSync(nativeBinary, ['--headless', '--atlas', path.join(path.dirname(nativeBinary), 'prop.bmp'), '--events', '-', '--save-flight', saved], { input: events });
const flight = fs.readFileSync(saved, 'utf8');
const views = {
  portrait: { width: 390, height: 844, deviceScaleFactor: 3, hasTouch: true, isMobile: true },
  landscape: { width: 844, height: 390, deviceScaleFactor: 3, hasTouch: true, isMobile: true },
  desktop: { width: 1366, height: 768, deviceScaleFactor: 1 },
  desktop2: { width: 1366, height: 768, deviceScaleFactor: 2 },
};
const browser = await launchBrowser();
const server = await serveSite();
for (const [name, viewport] of Object.entries(views)) {
  const page = await openPage(browser, server.url + '?test=1', { viewport });
  await page.evaluate(() => window.aveluneTest.start());
  const info = await page.evaluate(async (scene, flight, events) => {
    const t = window.aveluneTest;
    if (scene === 'watch') { t.watchText(flight, 'f.avflight'); t.tick(30); }
    if (scene === 'debrief' || scene === 'logbook') {
      t.tick(3);
      for (const raw of events.split('\n')) {
        const w = raw.replace(/#.*/, '').trim().split(/\s+/).filter(Boolean);
        if (!w.length) continue;
        if (w[0] === 'tick') t.tick(w[1] === undefined ? 1 : Number(w[1]));
        else if (w[0] === 'press' || w[0] === 'release') t[w[0]](Number(w[1]), Number(w[2]));
        if (t.quitRequested()) break;
      }
      t.tick(50);
      if (scene === 'debrief') document.querySelector('[data-command="debrief"]').click();
      else { document.querySelector('[data-command="logbook"]').click(); await new Promise((r) => setTimeout(r, 500)); }
    }
    if (scene === 'confirm') { t.tick(3); t.press(334, 227); t.release(334, 227); t.tick(20); document.querySelector('[data-command="quit"]').click(); }
    await new Promise((r) => setTimeout(r, 300));
    const boxes = [...document.querySelectorAll('#watch button, dialog[open] button')].filter((b) => b.getClientRects().length)
      .map((b) => { const r = b.getBoundingClientRect(); return `${b.textContent.trim()}:${Math.round(r.x)},${Math.round(r.y)} ${Math.round(r.width)}x${Math.round(r.height)}`; });
    const s = document.getElementById('screen').getBoundingClientRect();
    return { boxes, screen: [s.x, s.y, s.width, s.height].map(Math.round) };
  }, scene, flight, events);
  console.log(name, JSON.stringify(info));
  await page.screenshot({ path: `${out}/${scene}-${name}.png` });
  await page.close();
}
await server.close();
await browser.close();
