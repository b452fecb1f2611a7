// The browser build of VOLTARO ZIP 5 in the system's headless Chromium, served
// from 127.0.0.1: the page's requests, its pixels against the pictures the
// game's own drawing code makes (voltaro5-e2e-frames), the keys, the best
// score in local storage and the frame pace. No case leaves an error on the
// console.
// Usage: node web_test.mjs PAGE_DIR voltaro5-e2e-frames CASE
import {
  canvasRgb, check, frames, openGame as openPage, pictures, runCase, seen, waitForFrames,
  waitForGameOver,
} from './page_harness.mjs';

const kCaption = 'VOLTARO ZIP 5';
const kImeMessage = '日本語入力モードをオフにしてください。';
const kStorageKey = '/Voltaro5.ini';
// What the page may ask for: its own files, and its service worker's copies.
const kPageFiles = ['/', '/index.html', '/index.js', '/index.worker.js', '/index.wasm', '/sw.js',
                    '/manifest.webmanifest', '/icon-192.png', '/icon-512.png'];

// Whether the canvas shows the title screen for `best`, either blink phase.
async function titleShows(page, best) {
  const rgb = await canvasRgb(page);
  return [0, 1].some((prompt) => rgb.equals(pictures.run('write', 'title', best, prompt)));
}
// The car's places on the canvas: [[x, y]].
async function carPlaces(page) {
  return pictures.run('locate', await pictures.shotFile(page, 'shot')).toString().split('\n')
    .map((line) => line.split(' ')).filter((w) => w[1] === 'car').map((w) => [+w[2], +w[3]]);
}

// Whether the screen shows, where the playfield is, the picture the game
// last put on its canvas (the blinking title may change between the two
// looks, so look a few times).
async function screenShowsPicture(page) {
  const box = await page.locator('#playfield').boundingBox();
  for (let tries = 0; tries < 5; ++tries) {
    const png = (await page.screenshot({ clip: box })).toString('base64');
    const same = await page.evaluate(async (data) => {
      const image = new Image();
      image.src = `data:image/png;base64,${data}`;
      await image.decode();
      const canvas = new OffscreenCanvas(image.width, image.height);
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      const shown = context.getImageData(0, 0, image.width, image.height).data;
      const { rgba } = window.voltaro5Picture();
      return shown.length === rgba.length && shown.every((byte, i) => byte === rgba[i]);
    }, png);
    if (same) return true;
  }
  return false;
}

// One page of the game, its local storage holding `storage` (if given) on
// its first load.
function openGame(browser, server, { storage, beforeLoad } = {}) {
  return openPage(browser, server, storage === undefined ? { beforeLoad } : {
    beforeLoad: ([key, text]) => {
      if (!sessionStorage.getItem('seeded')) localStorage.setItem(key, text);
      sessionStorage.setItem('seeded', '1');
    },
    arg: [kStorageKey, storage],
  });
}

// What the page keeps in local storage.
function storedText(page) {
  return page.evaluate((key) => localStorage.getItem(key), kStorageKey);
}

// Reloads the page and waits for its first title picture.
async function reload(page) {
  await page.reload();
  await waitForFrames(page, 'title', 2);
}

// Enter, then no key until the game is over; returns [score, newRecord].
async function playWithoutKeys(page) {
  await page.keyboard.press('Enter');
  await waitForGameOver(page);
  const score = await pictures.gameOverScore(page);
  check(score, 'the game-over screen does not show up after play');
  return score;
}

const cases = {
  // Only the page's own files are asked for, the title and icon are the
  // game's, no touch control shows on a page without touch, the screen shows
  // the game's picture, and the playfield sits as in the desktop window: the
  // largest whole factor of device pixels that fits, centred (an odd pixel
  // left over goes right or down), cut at the edges of a page smaller than it.
  async loads_clean(browser, server) {
    const { page } = await openGame(browser, server);
    await waitForFrames(page, 'title', 5);
    check(server.requests.every((path) => kPageFiles.includes(path)),
          `requests: ${server.requests}`);
    check(await page.locator('[data-control]:visible').count() === 0,
          'touch controls show on a page without touch');
    check(await page.title() === kCaption, `title: ${await page.title()}`);
    const icons = await page.evaluate(() =>
      [...document.querySelectorAll('link[rel=icon]')].map((l) => [l.sizes.value, l.href]));
    for (const size of ['32x32', '16x16']) {
      const icon = icons.find(([s]) => s === size);
      check(icon && icon[1].startsWith('data:image/png;base64,'), `no ${size} icon: ${icons}`);
    }
    check(await screenShowsPicture(page), 'the screen does not show the game\'s picture');
    // [page width, height, device pixels per CSS pixel], the canvas's box in
    // CSS pixels [left, top, width, height].
    const cdp = await browser.context.newCDPSession(page);
    // Which factor fits which size is a unit table (tests/gfx/scaling_test.cpp).
    for (const [width, height, ratio, box] of [[801, 600, 1, [275, 100, 250, 400]],
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

  // Every play frame shows a new picture; without keys the car falls out and
  // the game-over screen shows the score as a new record, which is stored.
  async play_to_game_over(browser, server) {
    const { page, log } = await openGame(browser, server);
    // A checksum of every picture put on the canvas, by the game's thread,
    // which draws on it.
    const [drawing] = page.workers();
    await drawing.evaluate(() => {
      self.pictureSums = [];
      const put = OffscreenCanvasRenderingContext2D.prototype.putImageData;
      OffscreenCanvasRenderingContext2D.prototype.putImageData = function (image, ...rest) {
        let sum = 0;
        const words = new Uint32Array(image.data.buffer, image.data.byteOffset, image.data.length / 4);
        for (let i = 0; i < words.length; ++i) sum = (Math.imul(sum, 31) + words[i]) | 0;
        self.pictureSums.push(sum);
        return put.call(this, image, ...rest);
      };
    });
    const [score, newRecord] = await playWithoutKeys(page);
    check(score > 0 && newRecord === 1, `game over shows ${score}, new record ${newRecord}`);
    const sums = await drawing.evaluate(() => self.pictureSums);
    const played = await seen(page, 'play');
    // Pictures: the title frames, one per play frame but the last, the game over.
    const playSums = sums.slice(sums.length - played, sums.length - 1);
    check(playSums.length > 50, `only ${playSums.length} play pictures`);
    for (let i = 1; i < playSums.length; ++i) {
      check(playSums[i] !== playSums[i - 1], `play frame ${i + 1} shows the same picture again`);
    }
    const stored = await storedText(page);
    check(stored === `[VOLTARO ZIP 5]\nHighScore=${score}\n`, `stored: ${JSON.stringify(stored)}`);
    check(log.warnings.length === 0, `console warnings: ${log.warnings}`);
  },

  // A record replaces only the HighScore line of what is stored, and after a
  // reload the title shows it as the best; a lower score changes nothing.
  async best_survives_reload(browser, server) {
    const before = '; kept\r\n[Other]\r\nHighScore=7\r\n[VOLTARO ZIP 5]\r\nName=x\r\nHighScore=3\r\n';
    const { page } = await openGame(browser, server, { storage: before });
    check(await titleShows(page, 3), 'the title does not show the stored best 3');
    const [score] = await playWithoutKeys(page);
    const after = await storedText(page);
    check(after === before.replace('HighScore=3', `HighScore=${score}`),
          `stored after the record: ${JSON.stringify(after)}`);
    await reload(page);
    check(await titleShows(page, score), `after a reload the best is not ${score}`);
    const record = `[VOLTARO ZIP 5]\nHighScore=999999\n`;
    await page.evaluate(([key, text]) => localStorage.setItem(key, text), [kStorageKey, record]);
    await reload(page);
    await playWithoutKeys(page);
    check(await storedText(page) === record, 'a lower score changed the stored best');
  },

  // A stored value the game cannot use starts the best at 0 with one warning
  // (which texts give which warning is a unit test, tests/saves); a browser that
  // refuses its storage plays on with one warning in all.
  async unusable_storage(browser, server) {
    const bad = await openGame(browser, server, { storage: '[VOLTARO ZIP 5]\nHighScore=12abc\n' });
    check(await titleShows(bad.page, 0), 'HighScore=12abc: best is not 0');
    check(bad.log.warnings.length === 1 && bad.log.warnings[0].includes('is not a number'),
          `HighScore=12abc: warnings ${JSON.stringify(bad.log.warnings)}`);
    await bad.page.close();
    const { page, log } = await openGame(browser, server, {
      beforeLoad: () => {
        Object.defineProperty(window, 'localStorage', {
          get() { throw new DOMException('storage is off', 'SecurityError'); },
        });
      },
    });
    check(await titleShows(page, 0), 'refused storage: best is not 0');
    const [score, newRecord] = await playWithoutKeys(page);
    check(score > 0 && newRecord === 1, 'refused storage: no record shown');
    await page.keyboard.press('Enter');
    await waitForFrames(page, 'title', await seen(page, 'title') + 2);
    check(await titleShows(page, score), 'refused storage: the best is not kept in play');
    check(log.warnings.length === 1 && log.warnings[0].includes('refuses'),
          `refused storage: warnings ${JSON.stringify(log.warnings)}`);
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
      await waitForFrames(page, 'play', await seen(page, 'play') + 1);
      before = await carPlaces(page);
    }
    check(before.length === 1, `car places before: ${JSON.stringify(before)}`);
    // The car gains a pixel a frame of speed to the left: the three frames
    // after the key came take it six pixels left, still on its plate or in
    // the air where it was.
    await page.keyboard.down('ArrowLeft');
    const framesAtKey = await page.evaluate(() => window.keptFromPage.at(-1)[2]);
    await page.waitForFunction((n) => window.voltaro5Frames.length >= n, framesAtKey + 3,
                               { polling: 5 });
    const after = await carPlaces(page);
    await page.keyboard.up('ArrowLeft');
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

  // F1 shows the help over the dimmed title, kept from the browser's own
  // help; the title's frames stop until Enter closes it, starting no game.
  async help_over_the_title(browser, server) {
    const { page } = await openGame(browser, server, {
      beforeLoad: () => {
        window.keptFromPage = [];
        window.addEventListener('keydown', (e) => window.keptFromPage.push([e.key, e.defaultPrevented]));
      },
    });
    await page.keyboard.press('F1');
    const helpShown = async () => pictures.run('covered', 'pagehelp',
                                               await pictures.shotFile(page, 'help')) !== null;
    for (let i = 0; i < 50 && !(await helpShown()); ++i) await page.waitForTimeout(50);
    check(await helpShown(), 'no help on the canvas after F1');
    const titles = await seen(page, 'title');
    await page.waitForTimeout(300);
    check(await seen(page, 'title') === titles, 'title frames ran under the help');
    const kept = await page.evaluate(() => window.keptFromPage);
    check(kept.some(([key, prevented]) => key === 'F1' && prevented), 'F1 was left to the browser');
    await page.keyboard.press('Enter');
    await waitForFrames(page, 'title', titles + 2);
    check(await seen(page, 'play') === 0 && await titleShows(page, 0), 'Enter left the title');
  },

  // A key an input method takes brings up its message, and the game stands
  // still until the message is dismissed.
  async input_method_key(browser, server) {
    const { page } = await openGame(browser, server);
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
    await waitForFrames(page, 'title', await seen(page, 'title') + 2);
    const origin = await page.evaluate(() => performance.timeOrigin);
    const during = (await frames(page)).filter(
      (f) => origin + f.t > shown[0] + 20 && origin + f.t < shown[1] - 20);
    check(during.length === 0, `${during.length} frames started while the message was up`);
  },

  // The canvas on the screen shows the picture the game last put, after
  // frames of play that each put only the rows that changed, and the pause
  // sign over them.
  async shown_as_put(browser, server) {
    const { page } = await openGame(browser, server);
    await page.keyboard.press('Enter');
    await waitForFrames(page, 'play', 60);
    await page.keyboard.press('p');
    await page.waitForTimeout(300);
    const png = (await page.locator('#playfield').screenshot()).toString('base64');
    const differing = await page.evaluate(async (shot) => {
      const image = new Image();
      image.src = `data:image/png;base64,${shot}`;
      await image.decode();
      const canvas = Object.assign(document.createElement('canvas'), { width: image.width, height: image.height });
      canvas.getContext('2d').drawImage(image, 0, 0);
      const shown = canvas.getContext('2d').getImageData(0, 0, image.width, image.height).data;
      const { width, height, rgba } = window.voltaro5Picture();
      if (width !== image.width || height !== image.height) return `${image.width}x${image.height} shown`;
      return rgba.filter((byte, i) => byte !== shown[i]).length;
    }, png);
    check(differing === 0, `the canvas differs from the picture put: ${differing} bytes`);
  },

  // A play frame starts after FrameTime + 30, never earlier (how evenly the
  // page keeps the pace is bench/measure_page.mjs's to measure).
  async frame_pacing(browser, server) {
    const { page } = await openGame(browser, server);
    await page.keyboard.press('Enter');
    await waitForFrames(page, 'play', 100);
    const play = (await frames(page)).filter((f) => f.scene === 'play').slice(0, 100);
    const steps = play.slice(1).map((f, i) => f.frameTime - play[i].frameTime);
    check(Math.min(...steps) >= 31, `a frame started early: ${Math.min(...steps)} ms`);
  },
};

runCase(cases);
