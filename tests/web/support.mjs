// What the browser tests share: Debian's headless Chromium, a server for the
// built page on 127.0.0.1, the headless game to compare with, and a PNG reader.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { after, before } from 'node:test';
import { fileURLToPath } from 'node:url';
import zlib from 'node:zlib';
import puppeteer from 'puppeteer-core';

const here = path.dirname(fileURLToPath(import.meta.url));
export const sourceDir = path.resolve(here, '..', '..');
export const siteDir = process.env.AVELUNE_SITE || path.join(sourceDir, 'build-web', 'site');
export const nativeBinary = process.env.AVELUNE_BINARY || path.join(sourceDir, 'build', 'bin', 'avelune');
export const chromiumPath = process.env.AVELUNE_CHROMIUM || '/usr/bin/chromium';
export const kWidth = 632, kHeight = 440;

export function tempDir(prefix) {
  return fs.mkdtempSync(path.join(os.tmpdir(), prefix));
}

// Chromium as this machine needs it: no sandbox (root), nothing that reaches
// out to the network, a fresh profile every time.
export async function launchBrowser(extraArgs = []) {
  const profile = tempDir('avelune-chromium-');
  const browser = await puppeteer.launch({
    executablePath: chromiumPath,
    headless: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--autoplay-policy=user-gesture-required', `--user-data-dir=${profile}`, ...extraArgs],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// One browser and one server of the built site for a whole test file: the
// file's before and after hooks, and what they started, read once they ran.
//   const shared = sharedBrowserAndSite();   ... shared.browser, shared.server
export function sharedBrowserAndSite() {
  const shared = { browser: null, server: null };
  before(async () => {
    shared.browser = await launchBrowser();
    shared.server = await serveSite();
  });
  after(async () => {
    await shared.server?.close();
    await shared.browser?.close();
  });
  return shared;
}

const kTypes = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.png': 'image/png', '.z': 'application/octet-stream', '.webmanifest': 'application/manifest+json' };

// Serves the site on a free port of 127.0.0.1; counts the bytes sent.
export async function serveSite(dir = siteDir) {
  let bytesSent = 0;
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
    const file = path.join(dir, name === '/' ? 'index.html' : name);
    if (!file.startsWith(dir) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end('not found');
      return;
    }
    const body = fs.readFileSync(file);
    bytesSent += body.length;
    response.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream',
      'Content-Length': body.length });
    response.end(body);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const url = `http://127.0.0.1:${server.address().port}/`;
  return { url, bytesSent: () => bytesSent, close: () => new Promise((resolve) => server.close(resolve)) };
}

// Opens the page and waits until it can start a game.
export async function openPage(browser, url, { viewport = { width: 1400, height: 1000, deviceScaleFactor: 1 } } = {}) {
  const page = await browser.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(String(e)));
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  await page.setViewport(viewport);
  await page.goto(url, { waitUntil: 'load' });
  await page.waitForFunction(() => window.aveluneTest && window.aveluneTest.ready);
  await page.evaluate(() => window.aveluneTest.ready);
  page.aveluneErrors = errors;
  return page;
}

// The page's canvas as RGBA bytes.
export async function canvasPixels(page) {
  const text = await page.evaluate(() => window.aveluneTest.pixels());
  return Buffer.from(text, 'base64');
}

// ---- The headless game -----------------------------------------------------
// Runs `avelune --headless` on the events, with a screenshot after every
// state line; returns the state lines and the pictures, in order.
export function runHeadless(eventsText, extraArgs = []) {
  const dir = tempDir('avelune-headless-');
  let shots = 0;
  const lines = [];
  for (const line of eventsText.split('\n')) {
    lines.push(line);
    if (line.replace(/#.*/, '').trim() === 'state') lines.push(`screenshot ${path.join(dir, `shot-${shots++}.png`)}`);
  }
  const eventsFile = path.join(dir, 'events');
  fs.writeFileSync(eventsFile, lines.join('\n') + '\n');
  const finalShot = path.join(dir, 'final.png');
  const run = spawnSync(nativeBinary, ['--headless', '--events', eventsFile, '--screenshot', finalShot, ...extraArgs],
    { encoding: 'utf8' });
  if (run.status !== 0) throw new Error(`the headless game failed (${run.status}): ${run.stderr}`);
  const pictures = [];
  for (let i = 0; i < shots; ++i) {
    const file = path.join(dir, `shot-${i}.png`);
    pictures.push(fs.existsSync(file) ? decodePng(fs.readFileSync(file)) : null);  // none after a quit
  }
  const result = { states: run.stdout.split('\n').filter((l) => l.length > 0), pictures,
    final: decodePng(fs.readFileSync(finalShot)) };
  fs.rmSync(dir, { recursive: true, force: true });
  return result;
}

// The page was played by `played` (headless events, one a line) and gave
// `states`: the headless game, given the same events, must give the same
// state lines and the same last picture, and the page must have met no error.
export async function expectSameAsHeadless(page, played, states) {
  const expected = runHeadless(played.join('\n') + '\n');
  assert.deepEqual(states, expected.states);
  assert.equal(differingPixels(await canvasPixels(page), expected.final), 0, 'the last picture');
  assert.deepEqual(page.aveluneErrors, []);
}

// Plays headless events on the page in test mode; returns the state lines and
// the canvas after each, and the canvas at the end.
export async function playOnPage(page, eventsText) {
  const states = [], pictures = [];
  for (const raw of eventsText.split('\n')) {
    const words = raw.replace(/#.*/, '').trim().split(/\s+/).filter((w) => w.length > 0);
    if (words.length === 0) continue;
    const [verb, a, b] = words;
    if (verb === 'tick') {
      await page.evaluate((n) => window.aveluneTest.tick(n), a === undefined ? 1 : Number(a));
    } else if (verb === 'press' || verb === 'release' || verb === 'move') {
      await page.evaluate((v, x, y) => window.aveluneTest[v](x, y), verb, Number(a), Number(b));
    } else if (verb === 'state') {
      states.push(await page.evaluate(() => window.aveluneTest.state()));
      pictures.push(await canvasPixels(page));
    } else {
      throw new Error(`an event the page does not play: ${raw}`);
    }
    if (await page.evaluate(() => window.aveluneTest.quitRequested())) break;  // the rest is never played
  }
  return { states, pictures, final: await canvasPixels(page) };
}

// How many pixels of an RGBA picture differ from a decoded PNG's.
export function differingPixels(rgba, png) {
  if (png.width !== kWidth || png.height !== kHeight) throw new Error(`a ${png.width} x ${png.height} picture`);
  let differing = 0;
  for (let i = 0; i < kWidth * kHeight; ++i) {
    const p = png.pixel(i % kWidth, Math.floor(i / kWidth));
    if (rgba[4 * i] !== p[0] || rgba[4 * i + 1] !== p[1] || rgba[4 * i + 2] !== p[2]) ++differing;
  }
  return differing;
}

// ---- PNG --------------------------------------------------------------------
// Reads an 8-bit, non-interlaced RGB or RGBA PNG (what libpng and Chromium
// write here); pixel(x, y) gives [r, g, b].
export function decodePng(buffer) {
  if (buffer.readUInt32BE(0) !== 0x89504e47) throw new Error('not a PNG file');
  let offset = 8, width = 0, height = 0, colorType = 0;
  const idat = [];
  while (offset < buffer.length) {
    const length = buffer.readUInt32BE(offset);
    const type = buffer.toString('latin1', offset + 4, offset + 8);
    const data = buffer.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      width = data.readUInt32BE(0);
      height = data.readUInt32BE(4);
      colorType = data[9];
      if (data[8] !== 8 || data[12] !== 0 || (colorType !== 2 && colorType !== 6)) {
        throw new Error(`a PNG this reader does not read (depth ${data[8]}, colour type ${colorType})`);
      }
    } else if (type === 'IDAT') {
      idat.push(data);
    }
    offset += 12 + length;
  }
  const channels = colorType === 6 ? 4 : 3;
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const pixels = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = pixels.subarray(y * stride, (y + 1) * stride);
    const up = y > 0 ? pixels.subarray((y - 1) * stride, y * stride) : Buffer.alloc(stride);
    for (let i = 0; i < stride; ++i) {
      const left = i >= channels ? out[i - channels] : 0;
      const upLeft = i >= channels ? up[i - channels] : 0;
      let value;
      switch (filter) {
      case 0: value = line[i]; break;
      case 1: value = line[i] + left; break;
      case 2: value = line[i] + up[i]; break;
      case 3: value = line[i] + ((left + up[i]) >> 1); break;
      case 4: {
        const p = left + up[i] - upLeft;
        const pa = Math.abs(p - left), pb = Math.abs(p - up[i]), pc = Math.abs(p - upLeft);
        value = line[i] + (pa <= pb && pa <= pc ? left : pb <= pc ? up[i] : upLeft);
        break;
      }
      default: throw new Error(`PNG filter ${filter}`);
      }
      out[i] = value & 255;
    }
  }
  return {
    width, height,
    pixel: (x, y) => {
      const at = y * stride + x * channels;
      return [pixels[at], pixels[at + 1], pixels[at + 2]];
    },
  };
}
