// The page as the desktop game's peer in headless Chromium: on a phone (the
// controls upright and sideways, taps and fingers as keys, no scroll or
// zoom), the pause, a pad, replays, full screen, offline play,
// installability and the move to a new build.
// Usage: node app_test.mjs PAGE_DIR voltaro5-e2e-frames CASE voltaro5-sim
// (VOLTARO5_SHOTS=DIR keeps the phone's pictures, to look at.)
import { execFileSync } from 'node:child_process';
import { appendFileSync, copyFileSync, mkdirSync, readFileSync, statSync } from 'node:fs';
import { join } from 'node:path';
import {
  check, kPhone, openGame, pictures, runCase, seen, waitForFrames, waitForGameOver,
} from './page_harness.mjs';

const kControls = ['left', 'right', 'jump', 'fire-left', 'fire-right', 'fire-up', 'pause'];
const kServed = ['index.html', 'index.js', 'index.worker.js', 'index.wasm', 'sw.js', 'manifest.webmanifest',
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

// Headless Chromium has no screen to fill: the Fullscreen API and the
// orientation lock note what the page asked for in window.fullscreenCalls.
function stubFullscreen() {
  const calls = window.fullscreenCalls = [];
  const showing = (what, element) => {
    calls.push(what);
    Object.defineProperty(document, 'fullscreenElement', { value: element, configurable: true });
    return Promise.resolve();
  };
  Element.prototype.requestFullscreen = function () { return showing('enter', this); };
  document.exitFullscreen = () => showing('exit', null);
  screen.orientation.lock = (how) => showing(`lock ${how}`, document.fullscreenElement);
}

// Each step ([F11 or the control, what the page asks for]) in turn.
async function fullscreenSteps(browser, server, steps) {
  const { page } = await openGame(browser, server, { beforeLoad: stubFullscreen });
  for (const [how, expected] of steps) {
    await page.evaluate(() => { window.fullscreenCalls.length = 0; });
    await (how === 'F11' ? page.keyboard.press('F11')
                         : page.locator('[data-control="fullscreen"]').tap());
    await page.waitForTimeout(100);
    const calls = (await page.evaluate(() => window.fullscreenCalls)).join();
    check(calls === expected, `${how}: ${calls}, not ${expected}`);
  }
}

// A copy of the page as a build of its own, `name`: its index.js and its
// index.wasm say which build they are (self.voltaro5JsBuild, and a custom
// section the page notes in window.voltaro5WasmBuild when it compiles it),
// and its service worker is written for its files.
function markedBuild(name) {
  const dir = join(pictures.scratch, name);
  mkdirSync(dir);
  for (const file of kServed) copyFileSync(join(process.argv[2], file), join(dir, file));
  appendFileSync(join(dir, 'index.js'), `\nself.voltaro5JsBuild = '${name}';\n`);
  const section = Buffer.concat([Buffer.from([14]), Buffer.from('voltaro5-build'), Buffer.from(name)]);
  appendFileSync(join(dir, 'index.wasm'), Buffer.concat([Buffer.from([0, section.length]), section]));
  const web = new URL('../../web/', import.meta.url).pathname;
  execFileSync('cmake', [`-DPAGE_DIR=${dir}`, `-DTEMPLATE=${web}sw.js.in`, '-P',
                         `${web}write_service_worker.cmake`]);
  return dir;
}
function noteWasmBuild() {
  for (const name of ['instantiate', 'instantiateStreaming']) {
    const compile = WebAssembly[name];
    WebAssembly[name] = (...args) => compile(...args).then((result) => {
      const [mark] = result.module ? WebAssembly.Module.customSections(result.module, 'voltaro5-build') : [];
      if (mark) window.voltaro5WasmBuild = new TextDecoder().decode(mark);
      return result;
    });
  }
}
// "js build,wasm build" of what `page` runs.
const runsBuild = (page) => page.evaluate(() => `${self.voltaro5JsBuild},${window.voltaro5WasmBuild}`);

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
        // As a browser does, it says a pad came once a button is pressed on it.
        await page.evaluate(() => {
          window.startDown = true;
          dispatchEvent(Object.assign(new Event('gamepadconnected'), { gamepad: navigator.getGamepads()[0] }));
        });
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

  // The fullscreen control and F11 fill the screen and leave it; a phone
  // also asks for the playfield upright, a desktop does not.
  fullscreen_on_phone: { device: kPhone, run: (browser, server) => fullscreenSteps(
    browser, server, [['control', 'enter,lock portrait'], ['F11', 'exit'],
                      ['F11', 'enter,lock portrait'], ['control', 'exit']]) },
  fullscreen_on_desktop: (browser, server) => fullscreenSteps(
    browser, server, [['F11', 'enter'], ['F11', 'exit']]),

  // A new build served while a page of the old one is open: that page, its
  // reloads and another page opened meanwhile run the old build whole (never
  // one build's index.js with the other's index.wasm); once no page of the
  // old build is open, the next runs the new one whole.
  async new_build_handover(browser, server) {
    const [oldBuild, newBuild] = ['A', 'B'].map(markedBuild);
    const open = () => openGame(browser, server, { beforeLoad: noteWasmBuild });
    server.serve(oldBuild);
    const first = await open();
    check(await runsBuild(first.page) === 'A,A', `first visit runs ${await runsBuild(first.page)}`);
    server.serve(newBuild);
    await first.page.reload();
    await waitForFrames(first.page, 'title', 2);
    for (let tries = 0; !await first.page.evaluate(async () =>
      (await navigator.serviceWorker.getRegistration()).waiting !== null); ++tries) {
      check(tries < 100, 'the new build\'s service worker never waits to take over');
      await first.page.waitForTimeout(100);
    }
    const second = await open();
    for (const page of [first.page, second.page]) {
      check(await runsBuild(page) === 'A,A', `with B waiting, a page runs ${await runsBuild(page)}`);
    }
    await first.page.close();
    await second.page.close();
    // The browser hands over once it has let go of the old pages: a page
    // opened meanwhile may still run the old build, never a mix.
    for (let tries = 0; ; ++tries) {
      const { page } = await open();
      const runs = await runsBuild(page);
      await page.close();
      if (runs === 'B,B') break;
      check(runs === 'A,A' && tries < 10, `after the old pages closed, a page runs ${runs}`);
      await new Promise((resolve) => setTimeout(resolve, 500));
    }
  },
};

runCase(cases);
