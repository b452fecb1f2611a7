// The page's sound and its controls line in headless Chromium. Web Audio is
// stood in for by a recorder of the effects started which, as browsers do,
// lets the page sound only once a key or a touch has resumed it.
// Usage: node sound_test.mjs PAGE_DIR voltaro5-e2e-frames CASE
import { check, kPhone, openGame, runCase, seen, waitForFrames, waitForGameOver } from './page_harness.mjs';

const [kJump, kGameOver, kNewRecord] = [0, 5, 6];  // the effects' places in the game's list

// Before the page's scripts: window.heard gets [effect, play frames started]
// for every effect started.
function standInAudio() {
  const buffers = [];
  window.heard = [];
  window.AudioContext = class {
    state = 'suspended';
    resume() { if (navigator.userActivation.isActive) this.state = 'running'; return Promise.resolve(); }
    createGain() { return { gain: {}, connect() {} }; }
    createBuffer(channels, length) {
      const buffer = { data: new Float32Array(length), getChannelData: () => buffer.data };
      return buffers[buffers.push(buffer) - 1];
    }
    createBufferSource() {
      return { connect() {}, start() {
        const frames = window.voltaro5Frames.filter((f) => f.scene === 'play').length;
        window.heard.push([buffers.indexOf(this.buffer), frames]);
      } };
    }
  };
}
const heard = (page, effect) => page.evaluate((e) => window.heard.filter(([h]) => h === e || e < 0), effect);

// Presses `keys` ("M held": M down long enough to repeat), starts a game and
// jumps once the car has landed; the play frames started as Up went down.
async function playAndJump(page, keys = []) {
  for (const key of keys) {
    for (let i = 0; key === 'M held' && i < 3; ++i) await page.keyboard.down('m');
    await page.keyboard[key === 'M held' ? 'up' : 'press'](key === 'M held' ? 'm' : key);
  }
  await page.keyboard.press('Enter');
  await waitForFrames(page, 'play', await seen(page, 'play') + 30);
  const pressedAt = await seen(page, 'play');
  await page.keyboard.press('ArrowUp');
  await waitForGameOver(page);
  return pressedAt;
}

const lineShows = (page) => page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => {
  const [field, line] = ['playfield', 'keys-help'].map((id) => document.getElementById(id));
  const shows = getComputedStyle(line).display !== 'none' && getComputedStyle(line).visibility === 'visible';
  const [f, l] = [field, line].map((e) => e.getBoundingClientRect());
  const where = !shows ? 'nowhere' : l.top >= f.bottom ? 'under' : l.right <= f.left ? 'beside' : 'over';
  resolve([where, f.width, !shows || (l.left >= 0 && l.bottom <= innerHeight)]);
})));

const cases = {
  // A jump is heard in the frame that makes it, the game's end in its last
  // frame, the record on the game-over screen; a replay of the game sounds
  // the same, but sets no record.
  async heard_as_it_happens(browser, server) {
    const { page } = await openGame(browser, server, { beforeLoad: standInAudio });
    const pressedAt = await playAndJump(page);
    const [[, jumpedAt], ...more] = await heard(page, kJump);
    check(!more.length && jumpedAt - pressedAt <= 2, `Up at frame ${pressedAt}, jump at ${jumpedAt}`);
    const end = [[kGameOver, await seen(page, 'play')], [kNewRecord, await seen(page, 'play')]];
    const played = await heard(page, -1);
    check(JSON.stringify(played.slice(-2)) === JSON.stringify(end), `heard ${played}, not ${end} last`);
    await page.evaluate(() => sessionStorage.setItem('voltaro5-replay', localStorage.getItem('/last.v5replay')));
    await page.reload();
    await waitForFrames(page, 'play', 2);
    await page.keyboard.press('Shift');  // the browser's leave to sound, before the jump
    await waitForGameOver(page);
    check(`${await heard(page, -1)}` === `${played.slice(0, -1)}`, `replayed ${await heard(page, -1)}`);
  },

  // M switches the sound off and on, and the page remembers it.
  async mute_kept_across_reloads(browser, server) {
    const { page, log } = await openGame(browser, server, { beforeLoad: standInAudio });
    for (const [keys, mute, reload] of [[['m'], '1'], [[], '1', true], [['M held', 'Control+m'], '0'],
                                        [[], '0', true]]) {
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
      const shown = await lineShows(page);
      check(`${shown}` === `${where},${250 * factor},true`, `${width}x${height}: ${shown}`);
    }
  },
  controls_line_not_on_phone: { device: kPhone, async run(browser, server) {
    const { page } = await openGame(browser, server);
    check((await lineShows(page))[0] === 'nowhere', 'the controls line shows on a phone');
  } },
};

runCase(cases);
