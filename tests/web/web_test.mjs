// The browser build of VOLTARO ZIP 5 in the system's headless Chromium, served
// from 127.0.0.1: the page's requests and console, its pixels against the
// pictures the game's own drawing code makes (voltaro5-e2e-frames), the keys,
// the best score in local storage and the frame pace.
// Usage: node web_test.mjs PAGE_DIR voltaro5-e2e-frames CASE
import { execFileSync } from 'node:child_process';
import { mkdtempSync, writeFileSync, rmSync, existsSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import {
  startServer, launchBrowser, canvasPixels, frames, waitForFrames,
} from './page_harness.mjs';

const [pageDir, framesTool, caseName] = process.argv.slice(2);
const kCaption = 'VOLTARO ZIP 5';
const kImeMessage = '日本語入力モードをオフにしてください。';
const kStorageKey = '/Voltaro5.ini';
const kPageFiles = ['/', '/index.js', '/index.wasm'];

class Failure extends Error {}
function check(condition, message) {
  if (!condition) throw new Failure(message);
}

// The game's own pictures and sprite places.
const scratch = mkdtempSync(join(tmpdir(), 'voltaro5-web-test-'));
function runTool(...args) {
  try {
    return execFileSync(framesTool, args.map(String), { maxBuffer: 1 << 24 });
  } catch (error) {
    if (error.status === 1) return null;  // nothing found
    throw error;
  }
}
function rgbOf(pixels) {
  const rgb = Buffer.alloc(pixels.length * 3);
  pixels.forEach((p, i) => {
    rgb[3 * i] = p >> 16;
    rgb[3 * i + 1] = (p >> 8) & 0xff;
    rgb[3 * i + 2] = p & 0xff;
  });
  return rgb;
}
function shotFile(pixels, name) {
  const path = join(scratch, `${name}.rgb`);
  writeFileSync(path, rgbOf(pixels));
  return path;
}
// Whether the pixels are the title screen for `best`, either blink phase.
function isTitle(pixels, best) {
  const rgb = rgbOf(pixels);
  return [0, 1].some((prompt) => rgb.equals(runTool('write', 'title', best, prompt)));
}
// [score, newRecord] read off a game-over screen, or null.
function gameOverScore(pixels) {
  const out = runTool('find', 'gameover', shotFile(pixels, 'gameover'), -100000, 100000);
  return out && out.toString().trim().split(/\s+/).map(Number);
}
// The car's places on the playfield: [[x, y]].
function carPlaces(pixels) {
  return runTool('locate', shotFile(pixels, 'shot')).toString().split('\n')
    .map((line) => line.split(' ')).filter((w) => w[1] === 'car').map((w) => [+w[2], +w[3]]);
}

// One page of the game, with everything it says on the console noted.
async function openGame(browser, server, { storage, beforeLoad } = {}) {
  const page = await browser.context.newPage();
  const log = { errors: [], warnings: [], dialogs: [] };
  page.on('console', (m) => {
    if (m.type() === 'error') log.errors.push(m.text());
    // The game's own warnings; Chromium adds advice on reading the canvas back.
    if (m.type() === 'warning' && m.text().startsWith('voltaro5:')) log.warnings.push(m.text());
  });
  page.on('pageerror', (e) => log.errors.push(e.message));
  if (storage !== undefined) {
    await page.addInitScript(([key, text]) => {
      if (!sessionStorage.getItem('seeded')) {
        localStorage.setItem(key, text);
        sessionStorage.setItem('seeded', '1');
      }
    }, [kStorageKey, storage]);
  }
  if (beforeLoad) await page.addInitScript(beforeLoad);
  await page.goto(server.url);
  await waitForFrames(page, 'title', 1);
  return { page, log };
}

function playFrames(all) {
  return all.filter((f) => f.scene === 'play');
}

// Enter, then no key until the game is over; returns [score, newRecord].
async function playWithoutKeys(page) {
  await page.keyboard.press('Enter');
  await waitForFrames(page, 'play', 2);
  // Play ends when no new play frame starts for a while.
  let count = -1;
  for (;;) {
    await page.waitForTimeout(500);
    const now = playFrames(await frames(page)).length;
    if (now === count) break;
    count = now;
  }
  const score = gameOverScore(await canvasPixels(page));
  check(score, 'the game-over screen does not show up after play');
  return score;
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

const cases = {
  // Only the page's three files are asked for, the console stays clean, the
  // title and icon are the game's, and the playfield sits as in the desktop
  // window: the largest whole factor of device pixels that fits, centred (an
  // odd pixel left over goes right or down), cut at the edges of a page
  // smaller than it.
  async loads_clean(browser, server) {
    const { page, log } = await openGame(browser, server);
    await waitForFrames(page, 'title', 5);
    check(JSON.stringify([...new Set(server.requests)].sort()) ===
          JSON.stringify([...kPageFiles].sort()), `requests: ${server.requests}`);
    check(log.errors.length === 0, `console errors: ${log.errors}`);
    check(await page.title() === kCaption, `title: ${await page.title()}`);
    const icons = await page.evaluate(() =>
      [...document.querySelectorAll('link[rel=icon]')].map((l) => [l.sizes.value, l.href]));
    for (const size of ['32x32', '16x16']) {
      const icon = icons.find(([s]) => s === size);
      check(icon && icon[1].startsWith('data:image/png;base64,'), `no ${size} icon: ${icons}`);
    }
    // [page width, height, device pixels per CSS pixel], the canvas's box in
    // CSS pixels [left, top, width, height].
    const cdp = await browser.context.newCDPSession(page);
    for (const [width, height, ratio, box] of [[801, 600, 1, [275, 100, 250, 400]],
                                               [1000, 901, 1, [250, 50, 500, 800]],
                                               [760, 1250, 1, [5, 25, 750, 1200]],
                                               [200, 300, 1, [-25, -50, 250, 400]],
                                               [800, 600, 2, [212.5, 0, 375, 600]]]) {
      await cdp.send('Emulation.setDeviceMetricsOverride',
                     { width, height, deviceScaleFactor: ratio, mobile: false });
      // The page lays out again on its resize event, which comes before the
      // next animation frame.
      const placed = await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => {
        const r = document.getElementById('playfield').getBoundingClientRect();
        resolve([r.left, r.top, r.width, r.height]);
      })));
      check(JSON.stringify(placed) === JSON.stringify(box),
            `${width}x${height} at ${ratio}: canvas at ${placed}, expected ${box}`);
    }
  },

  // The canvas shows exactly the desktop's title frame, for no best score and
  // for one read from local storage.
  async title_pixels(browser, server) {
    for (const [storage, best] of [[undefined, 0], ['[VOLTARO ZIP 5]\nHighScore=12345\n', 12345],
                                   ['[voltaro zip 5]\r\n  highscore = -77.5 \r\n', -78]]) {
      const { page } = await openGame(browser, server, { storage });
      await waitForFrames(page, 'title', 2);
      check(isTitle(await canvasPixels(page), best), `the title does not show the best ${best}`);
      await page.close();
    }
  },

  // Every play frame shows a new picture; without keys the car falls out and
  // the game-over screen shows the score as a new record, which is stored.
  async play_to_game_over(browser, server) {
    const { page, log } = await openGame(browser, server, {
      beforeLoad: () => {
        // A checksum of every picture put on the canvas.
        window.pictureSums = [];
        const put = CanvasRenderingContext2D.prototype.putImageData;
        CanvasRenderingContext2D.prototype.putImageData = function (image, ...rest) {
          if (this.canvas.id === 'playfield') {
            let sum = 0;
            const words = new Uint32Array(image.data.buffer, image.data.byteOffset,
                                          image.data.length / 4);
            for (let i = 0; i < words.length; ++i) sum = (Math.imul(sum, 31) + words[i]) | 0;
            window.pictureSums.push(sum);
          }
          return put.call(this, image, ...rest);
        };
      },
    });
    const titleShown = await page.evaluate(() => window.pictureSums.length);
    const [score, newRecord] = await playWithoutKeys(page);
    check(score > 0 && newRecord === 1, `game over shows ${score}, new record ${newRecord}`);
    const all = await frames(page);
    const sums = await page.evaluate(() => window.pictureSums);
    const played = playFrames(all).length;
    // Pictures: the title frames, one per play frame but the last, the game over.
    const playSums = sums.slice(sums.length - played, sums.length - 1);
    check(playSums.length > 50, `only ${playSums.length} play pictures`);
    for (let i = 1; i < playSums.length; ++i) {
      check(playSums[i] !== playSums[i - 1], `play frame ${i + 1} shows the same picture again`);
    }
    check(titleShown >= 1, 'no title picture before play');
    const stored = await page.evaluate((key) => localStorage.getItem(key), kStorageKey);
    check(stored === `[VOLTARO ZIP 5]\nHighScore=${score}\n`, `stored: ${JSON.stringify(stored)}`);
    check(log.errors.length === 0 && log.warnings.length === 0,
          `console: ${log.errors} ${log.warnings}`);
  },

  // A record replaces only the HighScore line of what is stored, and after a
  // reload the title shows it as the best; a lower score changes nothing.
  async best_survives_reload(browser, server) {
    const before = '; kept\r\n[Other]\r\nHighScore=7\r\n[VOLTARO ZIP 5]\r\nName=x\r\nHighScore=3\r\n';
    const { page } = await openGame(browser, server, { storage: before });
    check(isTitle(await canvasPixels(page), 3), 'the title does not show the stored best 3');
    const [score] = await playWithoutKeys(page);
    const after = await page.evaluate((key) => localStorage.getItem(key), kStorageKey);
    check(after === before.replace('HighScore=3', `HighScore=${score}`),
          `stored after the record: ${JSON.stringify(after)}`);
    await page.reload();
    await waitForFrames(page, 'title', 2);
    check(isTitle(await canvasPixels(page), score), `after a reload the best is not ${score}`);
    // A lower score is not stored.
    const record = `[VOLTARO ZIP 5]\nHighScore=999999\n`;
    await page.evaluate(([key, text]) => localStorage.setItem(key, text), [kStorageKey, record]);
    await page.reload();
    await waitForFrames(page, 'title', 1);
    await playWithoutKeys(page);
    check(await page.evaluate((key) => localStorage.getItem(key), kStorageKey) === record,
          'a lower score changed the stored best');
  },

  // A stored value the game cannot use starts the best at 0 with one warning;
  // a browser that refuses its storage plays on with one warning in all.
  async unusable_storage(browser, server) {
    for (const [value, reason] of [['', 'is empty'], ['12abc', 'is not a number'],
                                   ['1e10', 'is outside'], ['2147483648', 'is outside']]) {
      const { page, log } = await openGame(browser, server,
                                           { storage: `[VOLTARO ZIP 5]\nHighScore=${value}\n` });
      await waitForFrames(page, 'title', 2);
      check(isTitle(await canvasPixels(page), 0), `HighScore=${value}: best is not 0`);
      check(log.warnings.length === 1 && log.warnings[0].includes(reason),
            `HighScore=${value}: warnings ${JSON.stringify(log.warnings)}`);
      check(log.errors.length === 0, `console errors: ${log.errors}`);
      await page.close();
    }
    const { page, log } = await openGame(browser, server, {
      beforeLoad: () => {
        Object.defineProperty(window, 'localStorage', {
          get() { throw new DOMException('storage is off', 'SecurityError'); },
        });
      },
    });
    check(isTitle(await canvasPixels(page), 0), 'refused storage: best is not 0');
    const [score, newRecord] = await playWithoutKeys(page);
    check(score > 0 && newRecord === 1, 'refused storage: no record shown');
    await page.keyboard.press('Enter');
    await waitForFrames(page, 'title', (await frames(page)).filter((f) => f.scene === 'title').length + 2);
    check(isTitle(await canvasPixels(page), score), 'refused storage: the best is not kept in play');
    check(log.warnings.length === 1 && log.warnings[0].includes('refuses'),
          `refused storage: warnings ${JSON.stringify(log.warnings)}`);
    check(log.errors.length === 0, `console errors: ${log.errors}`);
  },

  // Holding Left steers the car left; the game's keys never scroll the page,
  // even one tall enough to scroll.
  async left_steers_and_keys_do_not_scroll(browser, server) {
    const { page } = await openGame(browser, server, {
      beforeLoad: () => {
        window.keptFromPage = [];
        window.addEventListener('keydown', (e) => window.keptFromPage.push(
          [e.key, e.defaultPrevented, (window.voltaro5Frames || []).length]));
        document.addEventListener('DOMContentLoaded', () => {
          const tall = document.createElement('div');
          tall.style.height = '5000px';
          tall.style.width = '5000px';
          document.body.appendChild(tall);
          document.documentElement.style.overflow = 'auto';
          document.body.style.overflow = 'visible';
        });
      },
    });
    await page.keyboard.press('Enter');
    await waitForFrames(page, 'play', 5);
    // Where the car stands before any key; it may be hidden for a moment
    // (behind an enemy, say), so look again a frame later. Without a key its
    // x does not change while we look.
    let before = [];
    for (let i = 0; i < 10 && before.length !== 1; ++i) {
      await waitForFrames(page, 'play', playFrames(await frames(page)).length + 1);
      before = carPlaces(await canvasPixels(page));
    }
    check(before.length === 1, `car places before: ${JSON.stringify(before)}`);
    // The car gains a pixel a frame of speed to the left: the three frames
    // after the key came take it six pixels left, still on its plate or in
    // the air where it was.
    await page.keyboard.down('ArrowLeft');
    const framesAtKey = await page.evaluate(() => window.keptFromPage.at(-1)[2]);
    await page.waitForFunction((n) => window.voltaro5Frames.length >= n, framesAtKey + 3,
                               { polling: 5 });
    const shotAfter = await canvasPixels(page);
    await page.keyboard.up('ArrowLeft');
    const after = carPlaces(shotAfter);
    check(after.length === 1 && after[0][0] <= before[0][0] - 5,
          `car from ${JSON.stringify(before)} to ${JSON.stringify(after)}`);
    for (const key of ['ArrowDown', 'ArrowRight', 'ArrowUp', 'Space']) {
      await page.keyboard.press(key);
    }
    await page.waitForTimeout(100);
    const scroll = await page.evaluate(() => [window.scrollX, window.scrollY]);
    check(scroll[0] === 0 && scroll[1] === 0, `the page scrolled to ${scroll}`);
    const kept = await page.evaluate(() => window.keptFromPage);
    for (const key of ['ArrowLeft', 'ArrowDown', 'ArrowRight', 'ArrowUp', ' ']) {
      check(kept.some(([k, prevented]) => k === key && prevented),
            `${key} was left to the page: ${JSON.stringify(kept)}`);
    }
  },

  // A key an input method takes brings up its message, and the game stands
  // still until the message is dismissed.
  async input_method_key(browser, server) {
    const { page, log } = await openGame(browser, server);
    let message = null;
    let shown = null;  // [from, to] in ms since the epoch
    page.on('dialog', async (dialog) => {
      // The page stands still while the message is up: look from outside.
      const from = Date.now();
      message = dialog.message();
      await new Promise((resolve) => setTimeout(resolve, 500));
      shown = [from, Date.now()];
      await dialog.accept();
    });
    await page.evaluate(() => document.dispatchEvent(
      new KeyboardEvent('keydown', { key: 'Process', code: 'KeyA', keyCode: 229 })));
    for (let i = 0; i < 50 && !shown; ++i) await page.waitForTimeout(100);
    check(message === kImeMessage, `message: ${JSON.stringify(message)}`);
    const count = (await frames(page)).length;
    await waitForFrames(page, 'title', count + 2);
    const origin = await page.evaluate(() => performance.timeOrigin);
    const during = (await frames(page)).filter(
      (f) => origin + f.t > shown[0] + 20 && origin + f.t < shown[1] - 20);
    check(during.length === 0, `${during.length} frames started while the message was up`);
    check(log.errors.length === 0, `console errors: ${log.errors}`);
  },

  // A play frame starts at the first clock tick after FrameTime + 30.
  async frame_pacing(browser, server) {
    const { page } = await openGame(browser, server);
    await page.keyboard.press('Enter');
    await waitForFrames(page, 'play', 100);
    const play = playFrames(await frames(page)).slice(0, 100);
    const intervals = play.slice(1).map((f, i) => f.t - play[i].t);
    const ticks = play.slice(1).map((f, i) => f.frameTime - play[i].frameTime);
    check(median(ticks) === 31, `median FrameTime step ${median(ticks)}`);
    check(Math.abs(median(intervals) - 31) < 0.5, `median interval ${median(intervals)} ms`);
    check(Math.min(...ticks) >= 31, `a frame started early: ${Math.min(...ticks)} ms`);
  },
};

async function main() {
  check(cases[caseName], `unknown case ${caseName}; cases: ${Object.keys(cases)}`);
  check(existsSync(join(pageDir, 'index.html')),
        `${pageDir}/index.html is missing: build the page first (make web)`);
  const server = await startServer(pageDir);
  const browser = await launchBrowser();
  try {
    await cases[caseName](browser, server);
  } finally {
    await browser.close();
    await server.close();
    rmSync(scratch, { recursive: true, force: true });
  }
}

main().then(() => console.log(`${caseName}: ok`), (error) => {
  console.error(`${caseName}: FAILED: ${error instanceof Failure ? error.message : error.stack}`);
  process.exit(1);
});
