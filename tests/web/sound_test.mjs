// The page's sound and its controls line in headless Chromium.
// Usage: node sound_test.mjs PAGE_DIR voltaro5-e2e-frames CASE
import { check, kPhone, openGame, runCase, seen, waitForFrames, waitForGameOver } from './page_harness.mjs';

const [kJump, kGameOver, kNewRecord] = [0, 5, 6];  // the effects' places in the game's list

// Web Audio as a recorder of [effect, play frames started] in window.heard,
// which, as browsers do, sounds only once a key or a touch has resumed it
// (window.rests counts its suspensions);
// window.upAt: the play frames started as Up went down.
function standInAudio() {
  const buffers = [];
  window.heard = [];
  window.AudioContext = class {
    state = 'suspended';
    resume() { if (navigator.userActivation.isActive) this.state = 'running'; return Promise.resolve(); }
    suspend() { this.state = 'suspended'; window.rests = (window.rests || 0) + 1; return Promise.resolve(); }
    createGain() { return { gain: {}, connect() {} }; }
    createBuffer(channels, n, rate) {
      return buffers[buffers.push({ duration: n / rate, getChannelData: () => new Float32Array(n) }) - 1];
    }
    createBufferSource() { return { connect() {}, start() { window.heard.push([buffers.indexOf(this.buffer), played()]); } }; }
  };
  const played = () => window.voltaro5Frames.filter((f) => f.scene === 'play').length;
  addEventListener('keydown', (e) => { if (e.key === 'ArrowUp') window.upAt = played(); });
}
const heard = (page, effect) => page.evaluate((e) => window.heard.filter(([h]) => h === e || e < 0), effect);

// Presses `keys`, starts a game and jumps once the car has landed; returns at game over.
async function playAndJump(page, keys = []) {
  for (const key of [...keys, 'Enter']) await page.keyboard.press(key);
  await waitForFrames(page, 'play', await seen(page, 'play') + 30);
  await page.keyboard.press('ArrowUp');
  await waitForGameOver(page);
}

const lineShows = (page) => page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => {
  const [f, l] = ['playfield', 'keys-help'].map((id) => document.getElementById(id).getBoundingClientRect());
  const shows = l.width > 0 && getComputedStyle(document.getElementById('keys-help')).visibility === 'visible';
  const where = !shows ? 'nowhere' : l.top >= f.bottom ? 'under' : l.right <= f.left ? 'beside' : 'over';
  resolve([where, f.width, !shows || (l.left >= 0 && l.bottom <= innerHeight)]);
})));
const cases = {
  // A jump is heard in the frame that makes it, the game's end in its last frame, the
  // record on the game-over screen; a replay sounds the same, but sets no record.
  async heard_as_it_happens(browser, server) {
    const { page } = await openGame(browser, server, { beforeLoad: standInAudio });
    await playAndJump(page);
    const pressedAt = await page.evaluate(() => window.upAt);
    const [[, jumpedAt], ...more] = await heard(page, kJump);
    check(!more.length && jumpedAt - pressedAt <= 2, `Up at frame ${pressedAt}, jump at ${jumpedAt}`);
    const [played, last] = [await heard(page, -1), await seen(page, 'play')];
    check(`${played.slice(-2)}` === `${[kGameOver, last, kNewRecord, last]}`, `heard ${played} to ${last}`);
    await page.evaluate(() => sessionStorage.setItem('voltaro5-replay', localStorage.getItem('/last.v5replay')));
    await page.reload();
    await waitForFrames(page, 'play', 2);
    await page.keyboard.press('Shift');  // the browser's leave to sound, before the jump
    await waitForGameOver(page);
    check(`${await heard(page, -1)}` === `${played.slice(0, -1)}`, `replayed ${await heard(page, -1)}`);
  },

  // Once the effects have ended the sound device rests, and the next cue
  // wakes it and is heard.
  async rests_in_silence(browser, server) {
    const { page } = await openGame(browser, server, { beforeLoad: standInAudio });
    await playAndJump(page);
    await page.keyboard.press('Enter');
    await page.waitForFunction(() => window.rests >= 1, null, { timeout: 10000 });
    await playAndJump(page);
    check((await heard(page, kJump)).length === 2, `jumps heard: ${await heard(page, kJump)}`);
  },

  // M switches the sound off and on, and the page remembers it.
  async mute_kept_across_reloads(browser, server) {
    const { page, log } = await openGame(browser, server, { beforeLoad: standInAudio });
    for (const [keys, mute, reload] of [[['m'], '1'], [[], '1', 1], [['m', 'Control+m'], '0'], [[], '0', 1]]) {
      if (reload) await page.reload();
      await waitForFrames(page, 'title', await seen(page, 'title') + 2);
      await page.evaluate(() => { window.heard = []; });
      await playAndJump(page, keys);
      const stored = await page.evaluate(() => localStorage.getItem('/Voltaro5.ini'));
      check(stored.includes(`[Sound]\nMute=${mute}`) && (mute === '1') === !(await heard(page, -1)).length,
            `${keys}: stored ${stored}, heard ${await heard(page, -1)}`);
      await page.keyboard.press('Enter');
    }
    check(log.warnings.length === 0, `warnings: ${log.warnings}`);
  },

  // On a desktop page the line shows under the playfield, else beside it,
  // else nowhere; never over it, and the playfield keeps its whole factor.
  async controls_line(browser, server) {
    const { page } = await openGame(browser, server);
    for (const [width, height, where, factor] of [[800, 600, 'under', 1], [1920, 960, 'under', 2],
                                                  [1280, 800, 'beside', 2], [300, 400, 'nowhere', 1]]) {
      await page.setViewportSize({ width, height });
      check(`${await lineShows(page)}` === `${where},${250 * factor},true`, `${width}x${height}: ${await lineShows(page)}`);
    }
  },
  controls_line_not_on_phone: { device: kPhone, async run(browser, server) {
    const { page } = await openGame(browser, server);
    check((await lineShows(page))[0] === 'nowhere', 'the controls line shows on a phone');
  } },
};

runCase(cases);
