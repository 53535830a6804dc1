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
//   - played whole, the show reaches position 122 and shows its box, with no error in the
//     console (left out with --quick).
// Screenshots go to OUT_DIR; the last line says how many checks passed and failed.
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
let failed = 0;
function check(name, ok, detail = '') {
  if (ok) ++passed;
  else ++failed;
  console.log(`${ok ? 'ok' : 'not ok'} - ${name}${detail ? ': ' + detail : ''}`);
  return ok;
}

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  // No sandbox as root; nothing reaches out to the network, which is closed here.
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});

// A page at 640 x 480: the canvas fills it at exactly twice the show's size.
async function openPage(query) {
  const context = await browser.newContext({ viewport: { width: 640, height: 480 }, deviceScaleFactor: 1 });
  const page = await context.newPage();
  const problems = [];
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push('console error: ' + message.text());
  });
  page.on('pageerror', (error) => problems.push('page error: ' + error.message));
  const began = Date.now();
  await page.goto(url + query);
  await page.click('#start-button');
  return { page, context, problems, clicked: began };
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

async function waitFor(page, predicate, timeoutMs, arg) {
  try {
    await page.waitForFunction(predicate, arg, { timeout: timeoutMs, polling: 100 });
    return true;
  } catch {
    return false;
  }
}

const summary = {};

// ---- The frames at four positions --------------------------------------------------------
for (const position of [3.5, 40, 68, 108]) {
  const name = `frame at ${position}`;
  const native = path.join(outDir, `native_${position}.png`);
  execFileSync(tool, ['frame', String(position), native, '--content', content]);
  const { page, context, problems } = await openPage(`?start=${position}&fps=60&hold`);
  const held = await waitFor(page, () => ['held', 'finished', 'failed'].includes(window.tavrine.state), 180000);
  const state = await page.evaluate(() => window.tavrine);
  if (!check(`${name}: the page holds it`, held && state.state === 'held', `state ${state.state}`)) {
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
  const { page, context, problems, clicked } = await openPage('?start=60');
  // The loading screen: the white bar grows up the right edge, "Loading..." in the corner.
  const loading = await waitFor(page, () => {
    const t = window.tavrine;
    if (t.state !== 'loading' || t.frames < 2) return false;
    const data = document.getElementById('screen').getContext('2d').getImageData(0, 0, 320, 240).data;
    const at = (x, y) => data.subarray(4 * (y * 320 + x), 4 * (y * 320 + x) + 3).join(',');
    let text = 0;
    for (let y = 10; y < 26; ++y) for (let x = 10; x < 80; ++x) if (at(x, y) === '255,255,255') ++text;
    return at(315, 239) === '255,255,255' && text > 40;
  }, 120000);
  const loadingShot = path.join(outDir, 'loading.png');
  if (loading) writeRgba(loadingShot, 320, 240, await canvasPixels(page));
  check('the canvas shows the loading screen', loading);
  const running = await waitFor(page, () => window.tavrine.state === 'running' && window.tavrine.frames > 0, 120000);
  check('the show starts at its start position', running &&
    (await page.evaluate(() => window.tavrine.position)) >= 60);
  const first = await page.evaluate(() => ({ ...window.tavrine, audio: { ...window.tavrine.audio } }));
  await page.waitForTimeout(3000);
  const later = await page.evaluate(() => ({ ...window.tavrine, audio: { ...window.tavrine.audio } }));
  check('the audio context runs', later.audio.state === 'running', `state ${later.audio.state}`);
  check('the music plays on', later.musicSeconds > first.musicSeconds + 1 && later.audio.played > first.audio.played,
    `music ${first.musicSeconds.toFixed(2)} s -> ${later.musicSeconds.toFixed(2)} s, ` +
    `heard ${first.audio.played} -> ${later.audio.played} frames`);
  check('the picture moves on with it', later.position > first.position + 1,
    `position ${first.position.toFixed(2)} -> ${later.position.toFixed(2)}`);
  await page.keyboard.press('Escape');
  const ended = await waitFor(page, () => window.tavrine.state === 'finished' && window.tavrine.box !== null, 30000);
  const after = await page.evaluate(() => window.tavrine);
  check('Esc ends the show with its box', ended && /^Average framerate: \d+ fps$/.test(after.box?.text ?? '') &&
    await page.locator('#box').isVisible(), JSON.stringify(after.box));
  check('no error in the console (Esc run)', problems.length === 0, problems.join('; '));
  await page.screenshot({ path: path.join(outDir, 'esc_box.png') });
  summary.loadSeconds = (after.times.running - after.times.clicked) / 1000;
  await context.close();
  void clicked;
}

// ---- The whole show ----------------------------------------------------------------------
if (!quick) {
  const { page, context, problems } = await openPage('');
  const started = await waitFor(page, () => window.tavrine.state === 'running', 120000);
  check('the whole show starts', started);
  const samples = [];
  const sampler = setInterval(async () => {
    try {
      samples.push(await page.evaluate(() => ({ position: window.tavrine.position, music: window.tavrine.musicSeconds })));
    } catch {
      // the page is gone
    }
  }, 10000);
  const finished = await waitFor(page, () => window.tavrine.state === 'finished', 200000);
  clearInterval(sampler);
  const end = await page.evaluate(() => window.tavrine);
  check('played whole, the show reaches position 122', finished && end.exitCode === 0 && end.position > 121.9,
    `last position ${end.position.toFixed(3)}, exit code ${end.exitCode}`);
  const rate = /^Average framerate: (\d+) fps$/.exec(end.box?.text ?? '');
  check('its average frame rate is shown in the box', rate !== null && Number(rate[1]) > 0 &&
    await page.locator('#box').isVisible(), end.box?.text ?? 'no box');
  check('no error in the console (whole show)', problems.length === 0, problems.join('; '));
  await page.screenshot({ path: path.join(outDir, 'end_box.png') });
  summary.wholeShow = {
    frames: end.frames, box: end.box?.text, loadSeconds: (end.times.running - end.times.clicked) / 1000,
    firstFrameSeconds: (end.times.firstFrame - end.times.clicked) / 1000,
    playSeconds: (end.times.finished - end.times.running) / 1000, audio: end.audio, samples,
  };
  await context.close();
}

await browser.close();
console.log('summary ' + JSON.stringify(summary));
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
