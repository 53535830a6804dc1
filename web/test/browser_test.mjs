// The page in Debian's headless Chromium, as a viewer meets it: served from a local port,
// started with a click. scripts/test-web.sh serves build-web/ and runs
//
//   node browser_test.mjs URL TAVRINE_TOOL CONTENT_DIR OUT_DIR [--quick]
//
// and this checks that
//   - the canvas shows the loading screen, then the show;
//   - at positions 3.5, 40, 68 and 108 (reached with the page's fixed-step clock) the canvas
//     and a screenshot of the page both equal `tavrine-tool frame` pixel for pixel;
//   - the audio context runs and the music's position advances;
//   - Esc ends the show with the "Average framerate: N fps" box;
//   - played whole on the fixed-step clock (12 frames a second of the show, drawn as fast as
//     the browser's frames come), the show passes through every segment, reaches position
//     122 and its box gives 12 fps, with no error in the console;
//   - played whole in real time, the same (left out with --quick: it takes 102 s).
// It also times the page's loading from the local server. Screenshots, the pages' console
// and the timings go to OUT_DIR; the last line says how many checks passed and failed.
// However the browser behaves, the run ends within its time limit (TIME_LIMIT_MINUTES, 12 or
// 20 with --quick or without), and the browser ends with it.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { chromium } from 'playwright-core';
import pngjs from 'pngjs';

const { PNG } = pngjs;
const [url, tool, content, outDir, ...flags] = process.argv.slice(2);
if (!url || !tool || !content || !outDir) {
  console.error('usage: node browser_test.mjs URL TAVRINE_TOOL CONTENT_DIR OUT_DIR [--quick]');
  process.exit(2);
}
const quick = flags.includes('--quick');
fs.mkdirSync(outDir, { recursive: true });

let passed = 0;
const failures = [];
function check(name, ok, detail = '') {
  if (ok) ++passed;
  else failures.push(name);
  console.log(`${ok ? 'ok' : 'not ok'} - ${name}${detail ? ': ' + detail : ''}`);
  return ok;
}

// A hung page or browser must not hang the run: past the limit it stops with a message, and
// Node's exit takes the browser down with it (the launcher kills its process group).
const limitMinutes = Number(process.env.TIME_LIMIT_MINUTES) || (quick ? 12 : 20);
setTimeout(() => {
  console.log(`not ok - the browser test did not finish within ${limitMinutes} minutes ` +
    `(${passed} passed, ${failures.length} failed before it stopped; see ${outDir})`);
  process.exit(1);
}, limitMinutes * 60000).unref();

// A page that will not load, a browser that goes away: one line that says so, not a trace.
for (const event of ['uncaughtException', 'unhandledRejection'])
  process.on(event, (error) => {
    console.log(`not ok - the browser test stopped: ${String(error?.message ?? error).split('\n')[0]} ` +
      `(${passed} passed, ${failures.length} failed before it; see ${outDir})`);
    process.exit(1);
  });

const consoleLog = fs.createWriteStream(path.join(outDir, 'console.log'));

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  // No sandbox as root; nothing reaches out to the network, which is closed here.
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});

// A page at 640 x 480: the canvas fills it at exactly twice the show's size.
async function openPage(query, { segments = false } = {}) {
  const context = await browser.newContext({ viewport: { width: 640, height: 480 }, deviceScaleFactor: 1 });
  const page = await context.newPage();
  if (segments) await recordSegments(page);
  const problems = [];
  page.on('console', (message) => {
    consoleLog.write(`${query || '(no query)'} ${message.type()}: ${message.text()}\n`);
    if (message.type() === 'error') problems.push('console error: ' + message.text());
  });
  page.on('pageerror', (error) => problems.push('page error: ' + error.message));
  page.on('crash', () => problems.push('the page crashed'));
  const began = performance.now();
  await page.goto(url + query, { timeout: 60000 });
  const loadedMs = performance.now() - began;
  await page.click('#start-button', { timeout: 60000 });
  return { page, context, problems, loadedMs };
}

// What the page fetched from the server: size and time of each of its files.
async function fetched(page) {
  return page.evaluate(() => performance.getEntriesByType('resource').concat(performance.getEntriesByType('navigation'))
    .map((entry) => ({ file: entry.name.replace(/^.*\//, '').replace(/\?.*$/, '') || 'index.html',
      bytes: entry.encodedBodySize, ms: Math.round(entry.responseEnd - entry.startTime) })));
}

async function canvasPixels(page) {
  const base64 = await page.evaluate(() => {
    const canvas = document.getElementById('screen');
    const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let text = '';
    for (let i = 0; i < data.length; i += 0x8000) text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
    return btoa(text);
  });
  return Buffer.from(base64, 'base64');  // RGBA, 320 x 240
}

function readPng(file) {
  return PNG.sync.read(fs.readFileSync(file));
}

function writeRgba(file, width, height, rgba) {
  const png = new PNG({ width, height });
  rgba.copy(png.data);
  fs.writeFileSync(file, PNG.sync.write(png));
}

// Differing pixels between an RGBA picture and a PNG of the same size (alpha ignored).
function differences(rgba, png) {
  let count = 0;
  for (let i = 0; i < png.width * png.height; ++i)
    for (let c = 0; c < 3; ++c)
      if (rgba[4 * i + c] !== png.data[4 * i + c]) {
        ++count;
        break;
      }
  return count;
}

// The screenshot shows each of the show's pixels as a 2 x 2 block of its colour.
function screenshotDifferences(shot, png) {
  let count = 0;
  for (let y = 0; y < png.height; ++y)
    for (let x = 0; x < png.width; ++x) {
      const want = 4 * (y * png.width + x);
      let same = true;
      for (const [dx, dy] of [[0, 0], [1, 0], [0, 1], [1, 1]]) {
        const got = 4 * ((2 * y + dy) * shot.width + 2 * x + dx);
        for (let c = 0; c < 3; ++c) if (shot.data[got + c] !== png.data[want + c]) same = false;
      }
      if (!same) ++count;
    }
  return count;
}

// False when the time runs out (or the page is gone); polling 'raf' looks at every frame.
async function waitFor(page, predicate, timeoutMs, arg, polling = 100) {
  try {
    await page.waitForFunction(predicate, arg, { timeout: timeoutMs, polling });
    return true;
  } catch {
    return false;
  }
}

async function showState(page) {
  try {
    return await page.evaluate(() => ({ ...window.tavrine, audio: { ...window.tavrine.audio } }));
  } catch (error) {
    return { state: 'gone (' + error.message.split('\n')[0] + ')', position: NaN, audio: {}, times: {} };
  }
}

// Records every segment the show draws, seen at each of the browser's frames.
function recordSegments(page) {
  return page.addInitScript(() => {
    window.segmentsSeen = [];
    const look = () => {
      const segment = window.tavrine?.segment ?? 0;
      if (segment > 0 && window.segmentsSeen.at(-1) !== segment) window.segmentsSeen.push(segment);
      requestAnimationFrame(look);
    };
    requestAnimationFrame(look);
  });
}

const summary = {};

// ---- The frames at four positions --------------------------------------------------------
for (const position of [3.5, 40, 68, 108]) {
  const name = `frame at ${position}`;
  const native = path.join(outDir, `native_${position}.png`);
  execFileSync(tool, ['frame', String(position), native, '--content', content]);
  const { page, context, problems } = await openPage(`?start=${position}&fps=60&hold`);
  const held = await waitFor(page, () => ['held', 'finished', 'failed'].includes(window.tavrine.state), 180000);
  const state = await showState(page);
  if (!check(`${name}: the page holds it`, held && state.state === 'held',
    `state ${state.state}${held ? '' : ' after 180 s'}${problems.length ? '; ' + problems.join('; ') : ''}`)) {
    await context.close();
    continue;
  }
  const want = readPng(native);
  const canvas = await canvasPixels(page);
  writeRgba(path.join(outDir, `canvas_${position}.png`), 320, 240, canvas);
  const canvasDiff = differences(canvas, want);
  check(`${name}: the canvas equals tavrine-tool frame`, canvasDiff === 0, `${canvasDiff} pixels differ`);
  const box = await page.locator('#screen').boundingBox();
  const shotFile = path.join(outDir, `screenshot_${position}.png`);
  await page.screenshot({ path: shotFile });
  const shot = readPng(shotFile);
  const placed = box && box.x === 0 && box.y === 0 && box.width === 640 && box.height === 480;
  const shotDiff = placed ? screenshotDifferences(shot, want) : -1;
  check(`${name}: the screenshot shows it at twice the size, pixel for pixel`, shotDiff === 0,
    placed ? `${shotDiff} pixels differ` : `canvas at ${JSON.stringify(box)}`);
  check(`${name}: no error in the console`, problems.length === 0, problems.join('; '));
  await context.close();
}

// ---- Loading, music and Esc --------------------------------------------------------------
{
  const { page, context, problems, loadedMs } = await openPage('?start=60');
  // The loading screen: the white bar grows up the right edge, "Loading..." in the corner.
  const loading = await waitFor(page, () => {
    const t = window.tavrine;
    if (t.state !== 'loading' || t.frames < 2) return false;
    const data = document.getElementById('screen').getContext('2d').getImageData(0, 0, 320, 240).data;
    const at = (x, y) => data.subarray(4 * (y * 320 + x), 4 * (y * 320 + x) + 3).join(',');
    let text = 0;
    for (let y = 10; y < 26; ++y) for (let x = 10; x < 80; ++x) if (at(x, y) === '255,255,255') ++text;
    return at(315, 239) === '255,255,255' && text > 40;
  }, 120000, undefined, 'raf');
  const loadingShot = path.join(outDir, 'loading.png');
  if (loading) writeRgba(loadingShot, 320, 240, await canvasPixels(page));
  check('the canvas shows the loading screen', loading, loading ? '' : `state ${(await showState(page)).state}`);
  const running = await waitFor(page, () => window.tavrine.state === 'running' && window.tavrine.frames > 0, 120000);
  const first = await showState(page);
  check('the show starts at its start position', running && first.position >= 60,
    `state ${first.state}, position ${first.position}`);
  // Music and picture go on together; a loaded machine may take its time, within reason.
  const onward = await waitFor(page, (was) => {
    const t = window.tavrine;
    return t.musicSeconds > was.musicSeconds + 1 && t.audio.played > was.audio.played && t.position > was.position + 1;
  }, 30000, first, 250);
  const later = await showState(page);
  check('the audio context runs', later.audio.state === 'running', `state ${later.audio.state}`);
  check('the music plays on', onward && later.musicSeconds > first.musicSeconds + 1 &&
    later.audio.played > first.audio.played,
  `music ${first.musicSeconds?.toFixed(2)} s -> ${later.musicSeconds?.toFixed(2)} s, ` +
    `heard ${first.audio.played} -> ${later.audio.played} frames`);
  check('the picture moves on with it', later.position > first.position + 1,
    `position ${first.position?.toFixed(2)} -> ${later.position?.toFixed(2)}`);
  await page.keyboard.press('Escape');
  const ended = await waitFor(page, () => window.tavrine.state === 'finished' && window.tavrine.box !== null, 30000);
  const after = await showState(page);
  check('Esc ends the show with its box', ended && /^Average framerate: \d+ fps$/.test(after.box?.text ?? '') &&
    await page.locator('#box').isVisible(), JSON.stringify(after.box));
  check('no error in the console (Esc run)', problems.length === 0, problems.join('; '));
  await page.screenshot({ path: path.join(outDir, 'esc_box.png') });
  summary.load = {
    pageMs: Math.round(loadedMs),
    clickToFirstFrameMs: Math.round(after.times.firstFrame - after.times.clicked),
    clickToShowMs: Math.round(after.times.running - after.times.clicked),
    files: await fetched(page),
  };
  await context.close();
}

// A whole run from the start, to its end: every segment, the last frame within a step of
// position 122, the box, a clean console.
async function wholeShow(label, query, { timeoutMs, lastStep, boxText }) {
  const { page, context, problems } = await openPage(query, { segments: true });
  const started = await waitFor(page, () => window.tavrine.state === 'running', 120000);
  check(`${label}: the show starts`, started, `state ${(await showState(page)).state}`);
  const finished = started && await waitFor(page, () => ['finished', 'failed'].includes(window.tavrine.state), timeoutMs);
  const end = await showState(page);
  check(`${label}: the show reaches position 122`, finished && end.exitCode === 0 && end.position >= 122 - lastStep &&
    end.position < 122,
    `state ${end.state}, last position ${end.position?.toFixed(3)}, exit code ${end.exitCode}` +
    (finished ? '' : ` (not finished within ${timeoutMs / 1000} s)`));
  const seen = await page.evaluate(() => window.segmentsSeen).catch(() => []);
  const inOrder = Array.from({ length: 14 }, (_, i) => i + 1);
  check(`${label}: it draws each of the fourteen segments in turn`, JSON.stringify(seen) === JSON.stringify(inOrder),
    `seen ${JSON.stringify(seen)}`);
  const text = end.box?.text ?? '';
  check(`${label}: its average frame rate is shown in the box`, boxText(text) &&
    await page.locator('#box').isVisible().catch(() => false), text || 'no box');
  check(`${label}: no error in the console`, problems.length === 0, problems.join('; '));
  await page.screenshot({ path: path.join(outDir, `end_box_${label.replace(/\W+/g, '_')}.png`) }).catch(() => {});
  await context.close();
  return {
    frames: end.frames, box: text, playSeconds: (end.times.finished - end.times.running) / 1000, audio: end.audio,
  };
}

// ---- The whole show on the fixed-step clock ----------------------------------------------
// 1000/12 ms of the show per frame (0.1 of a position): about 1220 frames, however fast the
// browser draws them; the box then gives exactly that rate.
summary.wholeFixedStep = await wholeShow('whole show at a fixed step', '?fps=12', {
  timeoutMs: 300000, lastStep: 0.1 + 1e-3, boxText: (text) => text === 'Average framerate: 12 fps',
});

// ---- The whole show in real time ---------------------------------------------------------
if (!quick) {
  summary.wholeRealTime = await wholeShow('whole show in real time', '', {
    timeoutMs: 200000,
    lastStep: 0.1,  // the browser's frames, a 60th of a second (0.02) apart, or a few more
    boxText: (text) => {
      const rate = /^Average framerate: (\d+) fps$/.exec(text);
      return rate !== null && Number(rate[1]) > 0;
    },
  });
}

await browser.close();
fs.writeFileSync(path.join(outDir, 'summary.json'), JSON.stringify(summary, null, 2) + '\n');
const load = summary.load;
if (load) {
  console.log(`loading: the page in ${load.pageMs} ms, click to first frame ${load.clickToFirstFrameMs} ms, ` +
    `click to the show ${load.clickToShowMs} ms`);
  for (const file of load.files) console.log(`  ${file.file.padEnd(18)} ${String(file.bytes).padStart(9)} bytes ${file.ms} ms`);
}
for (const [name, run] of Object.entries(summary).filter(([name]) => name.startsWith('whole')))
  console.log(`${name}: ${run.frames} frames in ${run.playSeconds.toFixed(1)} s, "${run.box}"`);
console.log(`${passed} passed, ${failures.length} failed`);
if (failures.length > 0) console.log(`failed: ${failures.join('; ')} (screenshots and console in ${outDir})`);
process.exit(failures.length === 0 ? 0 : 1);
