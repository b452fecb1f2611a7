// What the browser tests share: a static server for the page's folder on
// 127.0.0.1 that notes every request, the system's headless Chromium (never a
// downloaded one) with a fresh profile, and readers for the canvas and the
// game's frame log.
import { createServer } from 'node:http';
import { readFile, mkdtemp, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join, extname, normalize } from 'node:path';
import { chromium } from 'playwright-core';

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
};

// Serves `dir` on a free port of 127.0.0.1. `requests` lists every path asked
// for, in order.
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
  return { url, requests, close: () => new Promise((resolve) => server.close(resolve)) };
}

// Headless Chromium from the system, in a profile of its own that is removed
// on close.
export async function launchBrowser() {
  const profile = await mkdtemp(join(tmpdir(), 'voltaro5-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
    headless: true,
    viewport: { width: 800, height: 600 },
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

// The canvas's pixels as red, green and blue bytes, row by row.
export async function canvasRgb(page) {
  // Base64 travels far faster than a list of numbers.
  const base64 = await page.evaluate(() => {
    const canvas = document.getElementById('playfield');
    const rgba = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
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
