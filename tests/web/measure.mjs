// Measures the web page in headless Chromium: what it transfers, how soon the
// first title picture shows after navigation, and one flight cycle in wasm
// against the native benchmark of the same cycle (bench/FlightCycle.h).
//   node tests/web/measure.mjs      (after scripts/web.sh --build and npm ci)
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { launchBrowser, serveSite, siteDir, sourceDir } from './support.mjs';

const kRounds = 5;
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const benchBinary = process.env.AVELUNE_BENCH || path.join(sourceDir, 'build', 'bin', 'avelune_bench');

// Navigation to the card, then a click at once, to the first title picture.
async function firstPicture(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1400, height: 1000 });
  await page.goto(url, { waitUntil: 'domcontentloaded' });
  await page.waitForFunction(() => window.aveluneTimings.ready !== undefined, { polling: 'raf' });
  await page.click('#card');
  await page.waitForFunction(() => window.aveluneTimings.firstPicture !== undefined, { polling: 'raf' });
  const t = await page.evaluate(() => ({ ...window.aveluneTimings }));
  await page.close();
  return t;
}

function nativeCycleUs(blit) {
  const run = spawnSync(benchBinary, ['--benchmark_filter=^BM_FlightCycle$', '--benchmark_min_time=0.5',
    '--benchmark_format=json'], { encoding: 'utf8', env: { ...process.env, AVELUNE_BLIT: blit } });
  if (run.status !== 0) throw new Error(`${benchBinary} failed: ${run.stderr}`);
  const b = JSON.parse(run.stdout).benchmarks[0];
  return b.cpu_time * { ns: 1e-3, us: 1, ms: 1e3 }[b.time_unit];
}

// The renderer's CPU (Chrome's Performance.getMetrics TaskDuration) over
// 10 s on each screen: the title (animated), the guide page (the timer
// stopped) and the second page (the game ticks, the picture stands still).
// AVELUNE_SITE points this at another build's site to compare.
async function stillCpu(browser, url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 1400, height: 1000 });
  await page.goto(url + '?test=live');
  await page.waitForFunction(() => window.aveluneTest && window.aveluneTest.ready);
  await page.evaluate(() => window.aveluneTest.ready);
  const cdp = await page.createCDPSession();
  await cdp.send('Performance.enable');
  const taskSeconds = async () => (await cdp.send('Performance.getMetrics')).metrics
    .find((m) => m.name === 'TaskDuration').value;
  await page.click('#card');
  await new Promise((r) => setTimeout(r, 2000));
  const box = await (await page.$('#screen')).boundingBox();
  const k = box.width / 632;
  const result = {};
  // Clicks at the guide button and CONTINUE, so that a page without keys serves too.
  for (const [name, at] of [['title', null], ['guide page', [435, 237]], ['second page', [417, 392]]]) {
    if (at) {
      await page.mouse.click(box.x + (at[0] + 0.5) * k, box.y + (at[1] + 0.5) * k);
      await new Promise((r) => setTimeout(r, 1500));
    }
    const before = await taskSeconds(), t0 = Date.now();
    await new Promise((r) => setTimeout(r, 10000));
    result[name] = (100 * (await taskSeconds() - before)) / ((Date.now() - t0) / 1000);
  }
  await page.close();
  return result;
}

const browser = await launchBrowser();
const server = await serveSite();
try {
  const files = fs.readdirSync(siteDir).sort();
  console.log('site files (bytes):');
  for (const f of files) console.log(`  ${f.padEnd(22)} ${fs.statSync(path.join(siteDir, f)).size}`);

  const served = [], offline = [];
  let sent = 0;
  for (let i = 0; i < kRounds; ++i) {
    const before = server.bytesSent();
    served.push(await firstPicture(browser, server.url));
    sent = server.bytesSent() - before;
    offline.push(await firstPicture(browser, pathToFileURL(path.join(siteDir, 'avelune-offline.html')).href));
  }
  console.log(`served page: ${sent} bytes transferred up to the title picture`);
  for (const [name, runs] of [['served', served], ['file://', offline]]) {
    console.log(`${name}: card ready ${median(runs.map((t) => t.ready)).toFixed(0)} ms, first title picture `
      + `${median(runs.map((t) => t.firstPicture)).toFixed(0)} ms after navigation `
      + `(click to picture ${median(runs.map((t) => t.firstPicture - t.started)).toFixed(1)} ms); median of ${kRounds}`);
  }

  const page = await browser.newPage();
  await page.goto(server.url + '?test=1');
  await page.evaluate(() => window.aveluneTest.ready);
  // A first run lets Chromium's optimising compiler take over from its
  // baseline one.
  await page.evaluate(() => window.aveluneTest.benchCycles(4000));
  const wasm = [], native = [], portable = [];
  for (let i = 0; i < kRounds; ++i) {
    const cycles = 2000;
    wasm.push(await page.evaluate((n) => window.aveluneTest.benchCycles(n), cycles) * 1000 / cycles);
    native.push(nativeCycleUs('fastest'));
    portable.push(nativeCycleUs('portable'));
  }
  const w = median(wasm), n = median(native), p = median(portable);
  console.log(`flight cycle: wasm ${w.toFixed(1)} us, native ${n.toFixed(1)} us (ratio ${(w / n).toFixed(2)} x), `
    + `native portable blitter ${p.toFixed(1)} us (ratio ${(w / p).toFixed(2)} x); median of ${kRounds}, taken by turns`);
  await page.close();

  const cpu = await stillCpu(browser, server.url);
  console.log('renderer CPU over 10 s: ' + Object.entries(cpu).map(([k, v]) => `${k} ${v.toFixed(2)} %`).join(', '));
} finally {
  await server.close();
  await browser.close();
}
