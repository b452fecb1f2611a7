// The page as a peer of the desktop game, in the system's headless Chromium:
// on a phone (the controls' layout upright and sideways, taps and several
// fingers reaching the game as keys, no scroll or zoom), the pause, replays
// kept, downloaded and opened, play with the network off, installability,
// and a pad. No case leaves an error on the console.
// Usage: node app_test.mjs PAGE_DIR voltaro5-e2e-frames CASE voltaro5-sim
// (VOLTARO5_SHOTS=DIR keeps the phone's pictures, to look at.)
import { execFileSync } from 'node:child_process';
import { readFileSync, statSync } from 'node:fs';
import { join } from 'node:path';
import {
  check, kPhone, openGame, runCase, seen, waitForFrames, waitForGameOver,
} from './page_harness.mjs';

const simTool = process.argv[5];
const kControls = ['left', 'right', 'jump', 'fire-left', 'fire-right', 'fire-up', 'pause'];
const kServed = ['index.html', 'index.js', 'index.wasm', 'sw.js', 'manifest.webmanifest',
                 'icon-192.png', 'icon-512.png'];

// The middle of what `selector` finds, in CSS pixels.
async function middle(page, selector) {
  const box = await page.locator(selector).boundingBox();
  return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
}

// The page's last game as stored, its keys as [pump, 'down' or 'up', code].
async function lastGame(page) {
  const text = await page.evaluate(() => localStorage.getItem('/last.v5replay'));
  check(text, 'no last game stored');
  const keys = text.split('\n').filter((l) => l.startsWith('key ')).map((l) => l.split(' ').slice(1))
    .map(([pump, way, code]) => [+pump, way, +code]);
  return { text, keys };
}

function hide(page, hidden) {
  return page.evaluate((h) => {
    Object.defineProperty(document, 'hidden', { value: h, configurable: true });
    Object.defineProperty(document, 'visibilityState', { value: h ? 'hidden' : 'visible',
                                                         configurable: true });
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
      const { field, controls } = await page.evaluate(() => new Promise((resolve) => {
        requestAnimationFrame(() => {
          const box = (e) => {
            const r = e.getBoundingClientRect();
            return [r.left, r.top, r.right, r.bottom];
          };
          resolve({
            field: box(document.getElementById('playfield')),
            controls: [...document.querySelectorAll('[data-control]')].map(
              (e) => [e.dataset.control, e.getAttribute('aria-label'), box(e)]),
          });
        });
      }));
      const where = `${width}x${height}`;
      const pixels = (from, to) => Math.round((to - from) * 3);
      check(pixels(field[0], field[2]) === 250 * factor && pixels(field[1], field[3]) === 400 * factor,
            `${where}: playfield at ${field}, not ${factor}x`);
      check(field[0] >= 0 && field[1] >= 0 && field[2] <= width && field[3] <= height,
            `${where}: playfield ${field} leaves the page`);
      for (const name of kControls) {
        const [, label, [left, top, right, bottom]] = controls.find(([n]) => n === name) || [];
        check(label && right - left >= 44 && bottom - top >= 44 && right <= width && bottom <= height,
              `${where}: control ${name} is ${label} at ${[left, top, right, bottom]}`);
        check(right <= field[0] || left >= field[2] || bottom <= field[1] || top >= field[3],
              `${where}: control ${name} is over the playfield`);
      }
      if (process.env.VOLTARO5_SHOTS) {
        await page.screenshot({ path: join(process.env.VOLTARO5_SHOTS, `phone-${where}.png`) });
      }
    }
  } },

  // A tap on the title starts a game; two fingers at once (steering while
  // firing up), one sliding from Left onto Right, reach the game as keys, as
  // its recording shows; nothing scrolls or zooms. The game downloaded from
  // the game-over screen replays in the simulator.
  touch_plays_and_replays: { device: kPhone, async run(browser, server, tool) {
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
    const { text, keys } = await lastGame(page);
    const order = keys.filter(([, , code]) => code !== 13).map(([, way, code]) => `${way} ${code}`);
    check(order.join() === 'down 37,down 68,up 37,down 39,up 39,up 68' ||
          order.join() === 'down 37,down 68,up 37,down 39,up 68,up 39', `keys: ${order}`);
    const download = page.waitForEvent('download');
    await page.locator('[data-action="save-replay"]').click();
    const file = join(tool.scratch, 'last.v5replay');
    await (await download).saveAs(file);
    check(readFileSync(file, 'utf8') === text, 'the download is not the stored game');
    execFileSync(simTool, ['--replay', file]);  // throws unless it ends as recorded
  } },

  // A hidden page pauses play with the pause sign, and stays paused once
  // shown again, until P.
  async hidden_page_pauses(browser, server, tool) {
    const { page } = await openGame(browser, server);
    await page.keyboard.press('Enter');
    await waitForFrames(page, 'play', 5);
    await hide(page, true);
    await page.waitForTimeout(100);
    const at = await seen(page, 'play');
    for (const hidden of [true, false]) {
      if (!hidden) await hide(page, false);
      await page.waitForTimeout(500);
      check(await seen(page, 'play') === at, `play went on (hidden: ${hidden})`);
      check(await tool.paused(page), `no pause sign (hidden: ${hidden})`);
    }
    await page.keyboard.press('p');
    await waitForFrames(page, 'play', at + 3);
    check(!(await tool.paused(page)), 'the pause sign stays after P');
  },

  // A recorded game opened in the page plays to its recorded score.
  async golden_replay_plays(browser, server, tool) {
    const file = new URL('../replays/careless_second_carry_over.v5replay', import.meta.url).pathname;
    const final = Number(/^final (\d+)$/m.exec(readFileSync(file, 'utf8'))[1]);
    const { page } = await openGame(browser, server);
    await page.setInputFiles('[data-action="open-replay"]', file);
    await waitForGameOver(page);
    const [score] = await tool.gameOverScore(page) || [];
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
  async pad_start_starts_a_game(browser, server) {
    const { page } = await openGame(browser, server, {
      beforeLoad: () => {
        window.startDown = false;
        const buttons = () => Array.from({ length: 17 }, (_, i) => {
          const pressed = i === 9 && window.startDown;
          return { pressed, touched: pressed, value: pressed ? 1 : 0 };
        });
        navigator.getGamepads = () => [{ id: 'stub', index: 0, connected: true, mapping: 'standard',
                                         timestamp: performance.now(), axes: [0, 0, 0, 0],
                                         buttons: buttons() }];
      },
    });
    await page.evaluate(() => { window.startDown = true; });
    await waitForFrames(page, 'play', 3);
  },
};

runCase(cases);
