// What the browser tests share: a static server for the page's folder on
// 127.0.0.1 that notes every request, the system's headless Chromium (never a
// downloaded one) with a fresh profile, a desktop's or a phone's, readers for
// the canvas and the game's frame log, the game's pictures from
// voltaro5-e2e-frames, and the runner of a test file's cases.
import { execFileSync } from 'node:child_process';
import { createServer } from 'node:http';
import { existsSync, mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { readFile, mkdtemp, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join, extname, normalize } from 'node:path';
import { chromium } from 'playwright-core';

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};

// A phone held upright: 390 x 844 CSS pixels at 3 device pixels each.
export const kPhone = {
  viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true,
};

// Serves `dir` on a free port of 127.0.0.1, as a static host does (no
// headers of the page's choosing), until serve(otherDir) says otherwise.
// `requests` lists every path asked for, in order.
export async function startServer(dir) {
  const requests = [];
  const server = createServer(async (req, res) => {
    const path = new URL(req.url, 'http://127.0.0.1').pathname;
    requests.push(path);
    const file = normalize(join(dir, path.endsWith('/') ? path + 'index.html' : path));
    if (!file.startsWith(normalize(dir))) {
      res.writeHead(403).end();
      return;
    }
    try {
      const body = await readFile(file);
      res.writeHead(200, {
        'Content-Type': kTypes[extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-store',
      });
      res.end(body);
    } catch {
      res.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const url = `http://127.0.0.1:${server.address().port}/`;
  return {
    url, requests,
    serve: (otherDir) => { dir = otherDir; },
    close: () => new Promise((resolve) => server.close(resolve)),
  };
}

// Headless Chromium from the system, in a profile of its own that is removed
// on close; a desktop's 800 x 600 page unless `device` says otherwise.
export async function launchBrowser(device = {}) {
  const profile = await mkdtemp(join(tmpdir(), 'voltaro5-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    viewport: { width: 800, height: 600 },
    acceptDownloads: true,
    ...device,
    args: [
      '--no-sandbox', '--headless', '--disable-gpu', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', '--no-first-run',
    ],
  });
  return {
    context,
    close: async () => {
      await context.close();
      await rm(profile, { recursive: true, force: true });
    },
  };
}

// The playfield's picture as red, green and blue bytes, row by row: what the
// game last put on the canvas (which its own thread draws on, so the page
// cannot read it back).
export async function canvasRgb(page) {
  // Base64 travels far faster than a list of numbers.
  const base64 = await page.evaluate(() => {
    const rgba = window.voltaro5Picture().rgba;
    const rgb = new Uint8Array((rgba.length / 4) * 3);
    for (let i = 0, j = 0; i < rgba.length; i += 4) {
      rgb[j++] = rgba[i];
      rgb[j++] = rgba[i + 1];
      rgb[j++] = rgba[i + 2];
    }
    let text = '';
    for (let i = 0; i < rgb.length; i += 0x8000) {
      text += String.fromCharCode.apply(null, rgb.subarray(i, i + 0x8000));
    }
    return btoa(text);
  });
  return Buffer.from(base64, 'base64');
}

// The frame starts the page has noted: [{scene, frameTime, t}].
export function frames(page) {
  return page.evaluate(() => window.voltaro5Frames || []);
}

// Waits until the page has started `count` frames of `scene` in all.
export async function waitForFrames(page, scene, count, timeout = 30000) {
  await page.waitForFunction(
    ([s, n]) => (window.voltaro5Frames || []).filter((f) => f.scene === s).length >= n,
    [scene, count], { timeout, polling: 10 });
}

export class Failure extends Error {}
export function check(condition, message) {
  if (!condition) throw new Failure(message);
}

// How many frames of `scene` the page has started so far.
export const seen = async (page, s) => (await frames(page)).filter((f) => f.scene === s).length;

// Waits until play ends: no new play frame starts for a while.
export async function waitForGameOver(page) {
  await waitForFrames(page, 'play', 2);
  let count = -1;
  for (;;) {
    await page.waitForTimeout(500);
    const now = await seen(page, 'play');
    if (now === count) return;
    count = now;
  }
}

// The game's own pictures (voltaro5-e2e-frames), compared with the canvas in
// files of a scratch folder.
export function pictureTool(framesTool) {
  const scratch = mkdtempSync(join(tmpdir(), 'voltaro5-web-test-'));
  const run = (...args) => {
    try {
      return execFileSync(framesTool, args.map(String), { maxBuffer: 1 << 24 });
    } catch (error) {
      if (error.status === 1) return null;  // nothing found
      throw error;
    }
  };
  const shotFile = async (page, name) => {
    const path = join(scratch, `${name}.rgb`);
    writeFileSync(path, await canvasRgb(page));
    return path;
  };
  return {
    run, shotFile, scratch,
    // [score, newRecord] read off a game-over screen on the canvas, or null.
    async gameOverScore(page) {
      const out = run('find', 'gameover', await shotFile(page, 'gameover'), -100000, 100000);
      return out && out.toString().trim().split(/\s+/).map(Number);
    },
    paused: async (page) => run('covered', 'pause', await shotFile(page, 'paused')) !== null,
    remove: () => rmSync(scratch, { recursive: true, force: true }),
  };
}

// The running case's pictureTool.
export let pictures = null;

// Every page's console, which must hold no error when a case ends.
const logs = [];

// One page of the game, with everything it says on the console noted, once
// its first title picture is on the canvas (the second title frame starts).
// `beforeLoad` runs (with `arg`) before the page's own scripts.
export async function openGame(browser, server, { beforeLoad, arg } = {}) {
  const page = await browser.context.newPage();
  const log = { errors: [], warnings: [] };
  logs.push(log);
  page.on('console', (m) => {
    if (m.type() === 'error') log.errors.push(m.text());
    // The game's own warnings; Chromium adds advice on reading the canvas back.
    if (m.type() === 'warning' && m.text().startsWith('voltaro5:')) log.warnings.push(m.text());
  });
  page.on('pageerror', (e) => log.errors.push(e.message));
  if (beforeLoad) await page.addInitScript(beforeLoad, arg);
  await page.goto(server.url);
  await waitForFrames(page, 'title', 2);
  return { page, log };
}

// Runs the case named on the command line (node FILE PAGE_DIR
// voltaro5-e2e-frames CASE) from `cases`: each is a function of (browser,
// server), or {device, run} for a case on another device than a desktop's.
// A case fails on an error on any page's console.
export function runCase(cases) {
  const [pageDir, framesTool, caseName] = process.argv.slice(2);
  (async () => {
    const chosen = cases[caseName];
    check(chosen, `unknown case ${caseName}; cases: ${Object.keys(cases)}`);
    check(existsSync(join(pageDir, 'index.html')),
          `${pageDir}/index.html is missing: build the page first (make web)`);
    const server = await startServer(pageDir);
    const browser = await launchBrowser(chosen.device);
    pictures = pictureTool(framesTool);
    try {
      await (chosen.run || chosen)(browser, server);
      const errors = logs.flatMap((log) => log.errors);
      check(errors.length === 0, `console errors: ${errors}`);
    } finally {
      await browser.close();
      await server.close();
      pictures.remove();
    }
  })().then(() => console.log(`${caseName}: ok`), (error) => {
    console.error(`${caseName}: FAILED: ${error instanceof Failure ? error.message : error.stack}`);
    process.exit(1);
  });
}
