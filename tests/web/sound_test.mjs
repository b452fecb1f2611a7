// The page's sound and its controls line in headless Chromium. Web Audio is
// stood in for by a recorder of every effect started, which, as browsers do,
// lets the page's audio run only once a key or a touch has resumed it.
// Usage: node sound_test.mjs PAGE_DIR voltaro5-e2e-frames CASE
// (VOLTARO5_SHOTS=DIR keeps the pages' pictures, to look at.)
import { join } from 'node:path';
import {
  check, kPhone, openGame, runCase, seen, waitForFrames, waitForGameOver,
} from './page_harness.mjs';

// The game's effects by their place in its list.
const kJump = 0;
const kGameOver = 5;
const kNewRecord = 6;

// Runs before the page's scripts: window.heard.started lists [effect, play
// frames started so far] for every effect started. `soundsAtOnce`: a browser
// that lets the page sound before any key (as after the player's own click).
function standInAudio(soundsAtOnce) {
  const heard = window.heard = { contexts: [], buffers: [], started: [] };
  const playFrames = () => (window.voltaro5Frames || []).filter((f) => f.scene === 'play').length;
  window.AudioContext = class {
    constructor() {
      this.state = soundsAtOnce ? 'running' : 'suspended';
      this.destination = {};
      heard.contexts.push(this);
    }
    resume() {
      if (navigator.userActivation.isActive) this.state = 'running';
      return Promise.resolve();
    }
    close() { this.state = 'closed'; return Promise.resolve(); }
    createGain() { return { gain: { value: 1 }, connect() {} }; }
    createBuffer(channels, length) {
      const buffer = { length, data: new Float32Array(length), getChannelData: () => buffer.data };
      heard.buffers.push(buffer);
      return buffer;
    }
    createBufferSource() {
      return { connect() {}, start() { heard.started.push([heard.buffers.indexOf(this.buffer), playFrames()]); } };
    }
  };
}

const heard = (page) => page.evaluate(() => ({
  started: window.heard.started, states: window.heard.contexts.map((c) => c.state),
}));
const storedProfile = (page) => page.evaluate(() => localStorage.getItem('/Voltaro5.ini') || '');

// Presses `key`; "M held" is M down long enough to repeat.
async function press(page, key) {
  if (key !== 'M held') return page.keyboard.press(key);
  for (let i = 0; i < 3; ++i) await page.keyboard.down('m');
  await page.keyboard.up('m');
}

// Jumps once the car has landed in the game that runs, and gives the jump
// time to be heard; the play frames started when Up was pressed.
async function jump(page) {
  await waitForFrames(page, 'play', await seen(page, 'play') + 30);
  const pressedAt = await seen(page, 'play');
  await page.keyboard.press('ArrowUp');
  await waitForFrames(page, 'play', pressedAt + 5);
  return pressedAt;
}

async function shoot(page, name) {
  if (process.env.VOLTARO5_SHOTS) {
    await page.screenshot({ path: join(process.env.VOLTARO5_SHOTS, `${name}.png`) });
  }
}

// [left, top, right, bottom] of the playfield and of the controls line, and
// whether the line shows.
const layout = (page) => page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => {
  const box = (e) => { const r = e.getBoundingClientRect(); return [r.left, r.top, r.right, r.bottom]; };
  const line = document.getElementById('keys-help');
  const style = getComputedStyle(line);
  resolve({ field: box(document.getElementById('playfield')), line: box(line),
            shows: style.display !== 'none' && style.visibility === 'visible' });
})));

const cases = {
  // Nothing sounds, nor may, before the first key; a jump is heard in the
  // frame that makes it, and the game's end as the last frame ends it.
  async jump_heard_as_it_happens(browser, server) {
    const { page } = await openGame(browser, server, { beforeLoad: standInAudio, arg: false });
    let now = await heard(page);
    check(now.states.join() === 'suspended', `before any key: audio ${now.states}`);
    await page.keyboard.press('Enter');
    const pressedAt = await jump(page);
    now = await heard(page);
    check(now.states.join() === 'running', `after Enter: audio ${now.states}`);
    const jumps = now.started.filter(([effect]) => effect === kJump);
    check(jumps.length === 1 && jumps[0][1] >= pressedAt && jumps[0][1] <= pressedAt + 2,
          `Up pressed at play frame ${pressedAt}, heard ${JSON.stringify(now.started)}`);
    await waitForGameOver(page);
    const ends = (await heard(page)).started.filter(([effect]) => effect === kGameOver);
    const last = await seen(page, 'play');
    check(ends.length === 1 && ends[0][1] === last, `game over at frame ${last}: ${ends}`);
  },

  // M switches the sound off and on, on the title screen and in play, and the
  // page remembers it; while off nothing starts at all.
  async mute_kept_across_reloads(browser, server) {
    const { page, log } = await openGame(browser, server, { beforeLoad: standInAudio, arg: false });
    for (const [step, titleKeys, playKeys, mute, sounds] of [
      ['M on the title', ['m'], [], '1', false],
      ['reloaded', [], [], '1', false],
      ['M in play', [], ['m'], '0', true],
      ['reloaded again', [], [], '0', true],
      ['M held, then Ctrl+M', ['M held', 'Control+m'], [], '1', false],
    ]) {
      if (step.startsWith('reloaded')) {
        await page.reload();
        await waitForFrames(page, 'title', 2);
      }
      await page.evaluate(() => { window.heard.started = []; });
      for (const key of titleKeys) await press(page, key);
      await page.keyboard.press('Enter');
      await waitForFrames(page, 'play', await seen(page, 'play') + 3);
      for (const key of playKeys) await press(page, key);
      await jump(page);
      const { started } = await heard(page);
      check(sounds ? started.some(([effect]) => effect === kJump) : started.length === 0,
            `${step}: heard ${JSON.stringify(started)}`);
      const stored = /\[Sound\]\s*Mute=(\d)/.exec(await storedProfile(page));
      check(stored && stored[1] === mute, `${step}: stored ${await storedProfile(page)}`);
      await waitForGameOver(page);
      await page.keyboard.press('Enter');
      await waitForFrames(page, 'title', await seen(page, 'title') + 2);
    }
    check(log.warnings.length === 0, `warnings: ${log.warnings}`);
  },

  // The game's replay, opened in the page, is heard frame for frame as the
  // game was (a replay sets no record, so none is heard).
  async replay_sounds_alike(browser, server) {
    const { page } = await openGame(browser, server, { beforeLoad: standInAudio, arg: true });
    await page.keyboard.press('Enter');
    for (const key of ['ArrowUp', 'z', 'ArrowLeft', 'v', 'ArrowUp', 'd', 'ArrowRight', 'ArrowUp']) {
      await waitForFrames(page, 'play', await seen(page, 'play') + 8);
      await page.keyboard.press(key);
    }
    await waitForGameOver(page);
    const played = (await heard(page)).started.filter(([effect]) => effect !== kNewRecord);
    check(played.length > 2, `the game was hardly heard: ${JSON.stringify(played)}`);
    await page.evaluate(() => {
      sessionStorage.setItem('voltaro5-replay-name', 'last.v5replay');
      sessionStorage.setItem('voltaro5-replay', localStorage.getItem('/last.v5replay'));
    });
    await page.reload();
    await waitForGameOver(page);
    const replayed = (await heard(page)).started;
    check(JSON.stringify(replayed) === JSON.stringify(played),
          `played ${JSON.stringify(played)}, replayed ${JSON.stringify(replayed)}`);
  },

  // On a desktop page the controls line shows under the playfield, or beside
  // it where there is no room below, or not at all; never over it, and the
  // playfield keeps the largest whole factor that fits the page.
  async controls_line_on_desktop(browser, server) {
    const { page } = await openGame(browser, server);
    for (const [width, height, factor, where] of [
      [800, 600, 1, 'under'], [1920, 960, 2, 'under'], [1280, 800, 2, 'beside'],
      [600, 420, 1, 'beside'], [300, 400, 1, 'nowhere'],
    ]) {
      await page.setViewportSize({ width, height });
      const { field, line, shows } = await layout(page);
      const size = `${width}x${height}`;
      check(field[2] - field[0] === 250 * factor, `${size}: playfield at ${field}, not ${factor}x`);
      const placed = !shows ? 'nowhere' : line[1] >= field[3] ? 'under' : 'beside';
      check(placed === where, `${size}: the line is ${placed} (${line}), not ${where}`);
      if (shows) {
        check(line[2] <= field[0] || line[1] >= field[3], `${size}: the line covers the playfield`);
        check(line[0] >= 0 && line[3] <= height, `${size}: the line leaves the page: ${line}`);
      }
      await shoot(page, `controls-${size}`);
    }
  },

  controls_line_not_on_phone: { device: kPhone, async run(browser, server) {
    const { page } = await openGame(browser, server);
    check(!(await layout(page)).shows, 'the controls line shows on a phone');
    await shoot(page, 'controls-phone');
  } },
};

runCase(cases);
