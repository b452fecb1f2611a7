// Measures the browser build in the system's headless Chromium: the size of
// every file the page serves, the time from navigation to the first title frame,
// the intervals between play frame starts (median, p99), the processor time
// of the browser and the busy time of the page's main thread during play,
// and the same while play is paused and while the page is hidden (where
// nothing should run), each with the browser's time by process and its
// busiest threads. Prints a report; asserts nothing.
// Usage: node bench/measure_page.mjs PAGE_DIR [GAMES]
import { readFileSync, readdirSync, statSync } from 'node:fs';
import { join } from 'node:path';
import { startServer, launchBrowser, frames, waitForFrames } from '../tests/web/page_harness.mjs';

const [pageDir, gamesArg] = process.argv.slice(2);
const games = Number(gamesArg || 3);
const kTicksPerSecond = 100;  // the kernel's clock ticks in /proc/<pid>/stat

// The browser's processes (this process's descendants) by pid: what kind
// each is (Chromium's --type, a utility's service), its processor time in
// clock ticks and its threads' ticks by name.
function browserProcesses() {
  const parent = new Map();
  const ticks = new Map();
  for (const name of readdirSync('/proc')) {
    if (!/^\d+$/.test(name)) continue;
    try {
      const stat = readFileSync(`/proc/${name}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      parent.set(+name, +fields[1]);
      ticks.set(+name, +fields[11] + +fields[12]);  // utime + stime
    } catch { /* gone meanwhile */ }
  }
  const ours = new Map();
  for (const [pid, t] of ticks) {
    let p = parent.get(pid);
    while (p && p !== process.pid) p = parent.get(p);
    if (!p) continue;
    const threads = new Map();
    let kind = 'browser';
    try {
      const args = readFileSync(`/proc/${pid}/cmdline`, 'utf8').split(/[\0 ]/);
      const type = args.find((a) => a.startsWith('--type='));
      const service = args.find((a) => a.startsWith('--utility-sub-type='));
      if (type) kind = type.slice(7) + (service ? ` (${service.split('.').pop()})` : '');
      for (const tid of readdirSync(`/proc/${pid}/task`)) {
        const stat = readFileSync(`/proc/${pid}/task/${tid}/stat`, 'utf8');
        const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
        const name = stat.slice(stat.indexOf('(') + 1, stat.lastIndexOf(')'));
        threads.set(`${name}#${tid}`, +fields[11] + +fields[12]);
      }
      // Which renderer is whose: the page's runs the game's thread (a
      // worker), the service worker's its own thread, and the browser's own
      // interface (the new headless mode keeps an address bar's pop-up
      // ready) is marked as such.
      const names = [...threads.keys()].join(' ');
      if (args.includes('--top-chrome-webui')) kind += ' (browser\'s own interface)';
      else if (names.includes('DedicatedWorker')) kind += ' (the page)';
      else if (names.includes('ServiceWorker')) kind += ' (service worker)';
    } catch { /* gone meanwhile */ }
    ours.set(pid, { kind, ticks: t, threads });
  }
  return ours;
}

// Adds what each process and thread spent between two browserProcesses()
// into `into` (pid -> {kind, ms, threads: name -> ms}); the total in ms.
function addSpent(into, before, after) {
  let total = 0;
  for (const [pid, now] of after) {
    const was = before.get(pid);
    const entry = into.get(pid) || { kind: now.kind, ms: 0, threads: new Map() };
    const ms = ((now.ticks - (was ? was.ticks : 0)) * 1000) / kTicksPerSecond;
    entry.ms += ms;
    total += ms;
    for (const [name, t] of now.threads) {
      const spent = ((t - (was?.threads.get(name) ?? 0)) * 1000) / kTicksPerSecond;
      const key = name.split('#')[0];
      if (spent > 0) entry.threads.set(key, (entry.threads.get(key) || 0) + spent);
    }
    into.set(pid, entry);
  }
  return total;
}

// One line per process that spent anything over `wallMs`, busiest first, with
// its busiest threads: where the browser's time goes.
function spentLines(spent, wallMs) {
  const pct = (ms) => ((100 * ms) / wallMs).toFixed(1);
  return [...spent].filter(([, e]) => e.ms > 0).sort(([, a], [, b]) => b.ms - a.ms)
    .map(([pid, e]) => `  ${e.kind} ${pid}: ${pct(e.ms)} % (` +
      [...e.threads].sort(([, a], [, b]) => b - a).slice(0, 4)
        .map(([name, ms]) => `${name} ${pct(ms)}`).join(', ') + ')');
}

function percentile(values, q) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}

const sizes = ['index.html', 'index.js', 'index.worker.js', 'index.wasm', 'sw.js', 'manifest.webmanifest',
               'icon-192.png', 'icon-512.png'].map((f) => [f, statSync(join(pageDir, f)).size]);
const server = await startServer(pageDir);
const browser = await launchBrowser();
try {
  const page = await browser.context.newPage();
  const cdp = await browser.context.newCDPSession(page);
  await cdp.send('Performance.enable');
  await page.goto(server.url);
  await waitForFrames(page, 'title', 1);
  const firstTitle = (await frames(page))[0].t;
  const loaded = await page.evaluate(() => performance.getEntriesByType('navigation')[0].loadEventEnd);

  const intervals = [];
  let cpuMs = 0;
  const playSpent = new Map();
  let taskMs = 0;
  let playMs = 0;
  for (let game = 0; game < games; ++game) {
    const before = (await frames(page)).length;
    const procs0 = browserProcesses();
    const task0 = (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value;
    const wall0 = Date.now();
    await page.keyboard.press('Enter');
    await waitForFrames(page, 'play', 2);
    // Only the count while play runs: reading the whole log costs the page.
    for (let count = -1; ;) {
      await page.waitForTimeout(300);
      const now = await page.evaluate(() => window.voltaro5Frames.length);
      if (now === count) break;
      count = now;
    }
    const wall = Date.now() - wall0 - 300;  // the last look saw no frame
    cpuMs += addSpent(playSpent, procs0, browserProcesses());
    taskMs += (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value * 1000 - task0 * 1000;
    playMs += wall;
    const play = (await frames(page)).slice(before).filter((f) => f.scene === 'play');
    for (let i = 1; i < play.length; ++i) intervals.push(play[i].t - play[i - 1].t);
    await page.keyboard.press('Enter');  // back to the title
    await waitForFrames(page, 'title', (await frames(page)).filter((f) => f.scene === 'title').length + 2);
  }
  // A quiet stretch: [browser processes %, page main thread %, frames started].
  const quiet = async (ms) => {
    const procs0 = browserProcesses();
    const task0 = (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value;
    const frames0 = await page.evaluate(() => window.voltaro5Frames.length);
    await page.waitForTimeout(ms);
    const task = (await cdp.send('Performance.getMetrics')).metrics.find((m) => m.name === 'TaskDuration').value - task0;
    const spent = new Map();
    const cpu = addSpent(spent, procs0, browserProcesses());
    const started = await page.evaluate(() => window.voltaro5Frames.length) - frames0;
    return [100 * cpu / ms, 100 * task * 1000 / ms, started, spentLines(spent, ms)];
  };
  await page.keyboard.press('Enter');
  await waitForFrames(page, 'play', (await frames(page)).filter((f) => f.scene === 'play').length + 5);
  await page.keyboard.press('p');
  await page.waitForTimeout(200);
  const paused = await quiet(5000);
  await page.evaluate(() => {
    for (const [name, value] of [['hidden', true], ['visibilityState', 'hidden']]) {
      Object.defineProperty(document, name, { value, configurable: true });
    }
    document.dispatchEvent(new Event('visibilitychange'));
  });
  await page.waitForTimeout(200);
  const hidden = await quiet(5000);
  const total = sizes.reduce((sum, [, size]) => sum + size, 0);
  console.log(`files: ${sizes.map(([f, s]) => `${f} ${s} B`).join(', ')}; together ${total} B (${(total / 1024).toFixed(1)} KiB)`);
  console.log(`first title frame ${firstTitle.toFixed(1)} ms after navigation start (load event ${loaded.toFixed(1)} ms)`);
  console.log(`play frame intervals over ${intervals.length}: median ${percentile(intervals, 0.5).toFixed(2)} ms, ` +
              `p99 ${percentile(intervals, 0.99).toFixed(2)} ms, max ${Math.max(...intervals).toFixed(2)} ms`);
  console.log(`during ${(playMs / 1000).toFixed(1)} s of play: browser processes ${(100 * cpuMs / playMs).toFixed(1)} % of one core, ` +
              `page main thread busy ${(100 * taskMs / playMs).toFixed(1)} %`);
  console.log(spentLines(playSpent, playMs).join('\n'));
  for (const [what, [cpu, task, started, lines]] of [['paused', paused], ['paused and hidden', hidden]]) {
    console.log(`${what}, 5 s: browser processes ${cpu.toFixed(1)} % of one core, page main thread busy ` +
                `${task.toFixed(2)} %, ${started} frames started`);
    console.log(lines.join('\n'));
  }
} finally {
  await browser.close();
  await server.close();
}
