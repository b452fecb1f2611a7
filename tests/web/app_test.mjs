// The page as the desktop game's peer in headless Chromium: on a phone (the
// controls upright and sideways, taps and fingers as keys, no scroll or
// zoom), the pause, a pad, replays, offline play and installability.
// Usage: node app_test.mjs PAGE_DIR voltaro5-e2e-frames CASE voltaro5-sim
// (VOLTARO5_SHOTS=DIR keeps the phone's pictures, to look at.)
import { execFileSync } from 'node:child_process';
import { readFileSync, statSync } from 'node:fs';
import { join } from 'node:path';
import {
  check, kPhone, openGame, pictures, runCase, seen, waitForFrames, waitForGameOver,
} from './page_harness.mjs';

const kControls = ['left', 'right', 'jump', 'fire-left', 'fire-right', 'fire-up', 'pause'];
const kServed = ['index.html', 'index.js', 'index.wasm', 'sw.js', 'manifest.webmanifest',
                 'icon-192.png', 'icon-512.png'];

// The middle of what `selector` finds, in CSS pixels.
async function middle(page, selector) {
  const box = await page.locator(selector).boundingBox();
  return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}

// Hides the page, or shows it again, as the browser would.
function hide(page, hidden) {
  return page.evaluate((h) => {
    for (const [name, value] of [['hidden', h], ['visibilityState', h ? 'hidden' : 'visible']]) {
      Object.defineProperty(document, name, { value, configurable: true });
    }
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
}

const cases = {
  // Upright and sideways: every control shows, labelled, at least 44 x 44,
  // never over the playfield, which keeps the largest whole factor of device
  // pixels that fits beside them.
  phone_layout: { device: kPhone, async run(browser, server) {
    const { page } = await openGame(browser, server);
    for (const [width, height, factor] of [[390, 844, 4], [844, 390, 2]]) {
      await page.setViewportSize({ width, height });
      // [name, aria-label, left, top, right, bottom] of the playfield and every control.
      const boxes = await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => {
        resolve([...document.querySelectorAll('#playfield, [data-control]')].map((e) => {
          const r = e.getBoundingClientRect();
          return [e.dataset.control, e.getAttribute('aria-label'), r.left, r.top, r.right, r.bottom];
        }));
      })));
      const where = `${width}x${height}`;
      const [, , ...field] = boxes.find(([name]) => !name);
      const fits = ([left, top, right, bottom]) => left >= 0 && top >= 0 && right <= width && bottom <= height;
      check(Math.round((field[2] - field[0]) * 3) === 250 * factor && fits(field),
            `${where}: playfield at ${field}, not ${factor}x or not on the page`);
      for (const name of kControls) {
        const [, label, ...box] = boxes.find(([n]) => n === name) || [];
        const [left, top, right, bottom] = box;
        check(label && right - left >= 44 && bottom - top >= 44 && fits(box),
              `${where}: control ${name} is ${label} at ${box}`);
        check(right <= field[0] || left >= field[2] || bottom <= field[1] || top >= field[3],
              `${where}: control ${name} is over the playfield`);
      }
      const shots = process.env.VOLTARO5_SHOTS;
      if (shots) await page.screenshot({ path: join(shots, `phone-${where}.png`) });
    }
  } },

  // A tap on the title starts a game; two fingers at once (steering while
  // firing up), one sliding from Left onto Right, reach the game as keys, as
  // its recording shows; nothing scrolls or zooms. The game downloaded from
  // the game-over screen replays in the simulator.
  touch_plays_and_replays: { device: kPhone, async run(browser, server) {
    const { page } = await openGame(browser, server);
    await page.touchscreen.tap(...Object.values(await middle(page, '#playfield')));
    await waitForFrames(page, 'play', 5);
    const cdp = await browser.context.newCDPSession(page);
    const touch = (type, points) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points });
    const [left, right, up] = await Promise.all(
      ['left', 'right', 'fire-up'].map((name) => middle(page, `[data-control="${name}"]`)));
    const later = async (n) => waitForFrames(page, 'play', await seen(page, 'play') + n);
    await touch('touchStart', [{ id: 1, ...left }, { id: 2, ...up }]);
    await later(3);
    await touch('touchMove', [{ id: 1, ...right }, { id: 2, ...up }]);
    await later(3);
    await touch('touchEnd', []);
    // A double tap beside the controls zooms nothing.
    const bar = await page.locator('#bar').boundingBox();
    for (let i = 0; i < 2; ++i) await page.touchscreen.tap(bar.x + bar.width - 2, bar.y + 2);
    const view = await page.evaluate(() => [scrollX, scrollY, visualViewport.scale].join());
    check(view === '0,0,1', `scroll x, y and zoom: ${view}`);
    await waitForGameOver(page);
    const text = await page.evaluate(() => localStorage.getItem('/last.v5replay'));
    const keys = [...text.matchAll(/^key \d+ (\w+ \d+)$/gm)].map((m) => m[1])
      .filter((key) => !key.endsWith(' 13'));
    check(keys.join() === 'down 37,down 68,up 37,down 39,up 39,up 68', `keys: ${keys}`);
    const download = page.waitForEvent('download');
    await page.locator('[data-action="save-replay"]').click();
    const file = join(pictures.scratch, 'last.v5replay');
    await (await download).saveAs(file);
    check(readFileSync(file, 'utf8') === text, 'the download is not the stored game');
    execFileSync(process.argv[5], ['--replay', file]);  // throws unless it ends as recorded
  } },

  // A hidden page runs no frames: the title screen waits until it shows
  // again; play, started with a pad's Start (navigator.getGamepads stubbed:
  // one pad in the standard mapping), pauses with the pause sign, and stays
  // paused once the page shows again, until P.
  async pad_starts_and_hidden_page_pauses(browser, server) {
    const { page } = await openGame(browser, server, {
      beforeLoad: () => {
        const button = (i) => ({ pressed: i === 9 && window.startDown, value: 0 });
        navigator.getGamepads = () => [{ id: 'stub', index: 0, connected: true, mapping: 'standard',
                                         axes: [0, 0], buttons: [...Array(17).keys()].map(button) }];
      },
    });
    for (const scene of ['title', 'play']) {
      await hide(page, true);
      await page.waitForTimeout(150);
      const at = await seen(page, scene);
      await page.waitForTimeout(500);
      check(await seen(page, scene) === at, `${scene} frames while hidden`);
      await hide(page, false);
      if (scene === 'play') {
        await page.waitForTimeout(500);
        check(await seen(page, scene) === at, 'play went on once shown');
        check(await pictures.paused(page), 'no pause sign');
        await page.keyboard.press('p');
      } else {
        await page.evaluate(() => { window.startDown = true; });
      }
      await waitForFrames(page, scene === 'title' ? 'play' : scene, at + 3);
    }
    check(!(await pictures.paused(page)), 'the pause sign stays after P');
  },

  // A recorded game opened in the page plays to its recorded score.
  async golden_replay_plays(browser, server) {
    const file = new URL('../replays/careless_second_carry_over.v5replay', import.meta.url).pathname;
    const final = Number(/^final (\d+)$/m.exec(readFileSync(file, 'utf8'))[1]);
    const { page } = await openGame(browser, server);
    await page.setInputFiles('[data-action="open-replay"]', file);
    await waitForGameOver(page);
    const [score] = await pictures.gameOverScore(page) || [];
    check(score === final, `the replay ends at ${score}, recorded ${final}`);
  },

  // Installable, everything served under 300 KB, and once visited the page
  // loads and plays with the network off.
  async offline_and_installable(browser, server) {
    const { page } = await openGame(browser, server);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
    const cdp = await browser.context.newCDPSession(page);
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    check(installabilityErrors.length === 0, `not installable: ${JSON.stringify(installabilityErrors)}`);
    const bytes = kServed.reduce((sum, f) => sum + statSync(join(process.argv[2], f)).size, 0);
    check(bytes < 300 * 1024, `the page serves ${bytes} bytes`);
    await browser.context.setOffline(true);
    await page.reload();
    await waitForFrames(page, 'title', 2);
    await page.keyboard.press('Enter');
    await waitForFrames(page, 'play', 5);
  },

  // A pad's Start starts a game (navigator.getGamepads stubbed: one pad in
  // the standard mapping).
};

runCase(cases);
