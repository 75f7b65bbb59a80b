// The web page in headless Chromium (Debian's, software WebGL), served from
// 127.0.0.1 as any static server would:
//   node page_test.js OUT PAGE [ASSERT_PAGE NATIVE_PPM SEED FRAME]
// PAGE is the page's folder, ASSERT_PAGE the same page built at -O0 with the
// run-time assertions, NATIVE_PPM the viewer's capture of frame FRAME of
// --seed SEED at 640x360; without them (a released page) the comparison and
// the assertion run are left out. Captures go to OUT as PPM files. Prints
// PASS/FAIL per case and ends with "web: N passed, M failed".
'use strict';
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');
const { chromium } = require('playwright-core');
const { serve } = require('../../scripts/lib/serve-static.js');
const pictures = require('./pictures.js');

const [out, pageDir, assertPageDir, nativePpm, seedText, frameText] = process.argv.slice(2);
if (!pageDir) {
  console.error('usage: page_test.js OUT PAGE [ASSERT_PAGE NATIVE_PPM SEED FRAME]');
  process.exit(2);
}
const full = Boolean(frameText);
const seed = full ? seedText : '7';
const frame = full ? Number(frameText) : 30;
const nebulaLib = path.join(__dirname, '../../scripts/lib/nebula.sh');
// The drawing of the same frame by Mesa and by WebGL under SwiftShader:
// mean absolute difference per channel (0 to 255) in each box, at most this.
// A faithful page stays well below 1; each fault we planted went above 5.
const tolerance = 3;
const browserArgs = ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox'];

let passed = 0;
let failed = 0;
async function check(name, body) {
  try {
    await body();
    passed++;
    console.log(`PASS  ${name}`);
  } catch (err) {
    failed++;
    console.log(`FAIL  ${name}\n      ${String(err.message || err).replace(/\n/g, '\n      ')}`);
  }
}
function expect(ok, text) {
  if (!ok) throw new Error(text);
}

// Opens the page and keeps what went wrong: console errors, uncaught
// exceptions, and any request that leaves 127.0.0.1. Every frame FRAME is
// kept as it is drawn, read back from the canvas inside its animation frame.
async function open(browser, url, viewport) {
  const page = await browser.newPage({ viewport });
  const trouble = [];
  const messages = [];
  page.on('console', (m) => {
    messages.push(m.text());
    if (m.type() === 'error') trouble.push(`console error: ${m.text()}`);
    // WebGL reports a call it refuses as a warning; for us it is a GL error.
    else if (/WebGL: INVALID_|GL_INVALID_/.test(m.text())) trouble.push(`GL error: ${m.text()}`);
  });
  page.on('pageerror', (e) => trouble.push(`page error: ${e.message}`));
  page.on('request', (r) => {
    if (!r.url().startsWith('http://127.0.0.1:') && !r.url().startsWith('data:'))
      trouble.push(`request elsewhere: ${r.url()}`);
  });
  await page.addInitScript(pictures.grabberSource, frame);
  // Setting the canvas's width or height once it has a context makes its
  // drawing buffer again, a wait on the renderer: count those.
  await page.addInitScript(() => {
    window.orvaneBufferRemade = 0;
    const proto = HTMLCanvasElement.prototype, getContext = proto.getContext;
    proto.getContext = function (...args) {
      if (this.id === 'canvas') this.made = true;
      return getContext.apply(this, args);
    };
    for (const side of ['width', 'height']) {
      const own = Object.getOwnPropertyDescriptor(proto, side);
      Object.defineProperty(proto, side, { get() { return own.get.call(this); },
        set(value) { if (this.made) window.orvaneBufferRemade++; own.set.call(this, value); } });
    }
  });
  await page.goto(url);
  return { page, trouble, messages };
}

// A promise that fails with `what` once `seconds` pass first.
function deadline(promise, seconds, what) {
  let timer;
  const late = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error(`no ${what} within ${seconds} s`)), seconds * 1000);
  });
  return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

// Waits for the page's frame counter to reach `count`, or for its message.
async function framesReach(page, count, seconds) {
  await page.waitForFunction((n) => window.orvane.frames >= n || window.orvane.problem, count,
    { timeout: seconds * 1000, polling: 100 });
  const state = await page.evaluate(() => window.orvane);
  expect(!state.problem, `the page gave up: ${state.problem}`);
  return state.frames;
}

// Waits for the page's message in place of the nebula, and gives its text.
async function problemShown(page, seconds) {
  await page.waitForSelector('#problem:not([hidden])', { timeout: seconds * 1000 });
  return page.textContent('#problem');
}

// "Is the nebula on the screen": the one rule every test shares, with its
// boxes and least shares from tests/support/nebula_rule.env.
const rule = Object.fromEntries(
  fs.readFileSync(path.join(__dirname, '../support/nebula_rule.env'), 'utf8').split('\n')
    .map((line) => line.match(/^(NEBULA_\w+)="?([^"#]*?)"?\s*$/)).filter(Boolean)
    .map(([, key, value]) => [key, value.split(' ').map(Number)]));
function lit(ppm, box) {
  return Number(execFileSync('bash', ['-c', 'source "$0" && lit_share "$@"', nebulaLib, ppm,
    ...box.map(String)]).toString().trim());
}
const cloudBox = rule.NEBULA_CLOUD_BOX;
const titleBox = rule.NEBULA_TITLE_BOX;
const cornerBox = [0, 0, 20, 20];
const [cloudLeast] = rule.NEBULA_CLOUD_MIN;
const [titleLeast] = rule.NEBULA_TITLE_MIN;

(async () => {
  fs.mkdirSync(out, { recursive: true });
  const { server, url } = await serve(pageDir);
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: browserArgs });
  const query = `${url}?seed=${seed}`;
  const webFrame = path.join(out, 'web-frame.ppm');
  let opened;

  await check('the page draws frames that advance, its buffer made once, with a silent console and no outside request',
    async () => {
      // At the screen's own pixels however slow, to compare with the viewer.
      opened = await open(browser, `${query}&full-resolution`, { width: 640, height: 360 });
      const first = await framesReach(opened.page, frame + 1, 120);
      await framesReach(opened.page, first + 10, 120);
      expect(opened.trouble.length === 0, opened.trouble.join('\n'));
      expect(opened.messages.length === 0, `the console spoke:\n${opened.messages.join('\n')}`);
      const remade = await opened.page.evaluate(() => window.orvaneBufferRemade);
      expect(remade === 0, `the drawing buffer was made again ${remade} times with the window unchanged`);
      const grab = await opened.page.evaluate((n) => window.orvaneGrabbed[n], frame);
      expect(grab, `frame ${frame} was not read back`);
      pictures.writePpm(webFrame, pictures.fromGrab(grab));
    });

  await check('the canvas shows the nebula: a lit cloud near the centre, the title lower right',
    async () => {
      const cloud = lit(webFrame, cloudBox), title = lit(webFrame, titleBox);
      const corner = lit(webFrame, cornerBox);
      console.log(`MEASURE  page frame ${frame}: cloud ${cloud}, title ${title}, corner ${corner} per mille lit`);
      expect(cloud >= cloudLeast && title >= titleLeast && corner <= 20, 'not the nebula');
    });

  if (full) await check(`frame ${frame} of seed ${seed} matches the native viewer's (within ${tolerance} a channel)`,
    async () => {
      const native = pictures.readPpm(nativePpm);
      const web = pictures.readPpm(webFrame);
      expect(native.width === web.width && native.height === web.height,
        `sizes differ: ${native.width}x${native.height} and ${web.width}x${web.height}`);
      const boxes = { whole: [0, 0, 100, 100], cloud: cloudBox, title: titleBox };
      const report = [];
      for (const [name, box] of Object.entries(boxes)) {
        const d = pictures.meanDifference(native, web, box);
        report.push(`${name} ${d.toFixed(2)}`);
        expect(d <= tolerance, `the ${name} differs by ${d.toFixed(2)} a channel on average`);
      }
      console.log(`MEASURE  mean difference to the native frame: ${report.join(', ')}`);
    });

  await check('a resize of the page is followed: new drawing buffer, new viewport, the title in view',
    async () => {
    const { page } = opened;
    await page.setViewportSize({ width: 480, height: 640 });
    const grab = await deadline(page.evaluate(() => window.orvaneNextFrame(
      (canvas) => canvas.width === 480 && canvas.height === 640)), 60, 'frame at 480x640');
    const resized = path.join(out, 'web-resized.ppm');
    pictures.writePpm(resized, pictures.fromGrab(grab));
    const cloud = lit(resized, cloudBox);
    expect(cloud >= cloudLeast, 'the cloud is not at the centre of the resized canvas');
    // Upright, the page keeps a 16:9 window's width: the title's box as the
    // 640x360 frame has it, its height drawn together towards the middle.
    const k = (480 / 640) / (16 / 9);
    const [left, top, right, bottom] = titleBox;
    const tall = [left, Math.floor(50 + (top - 50) * k), right, Math.ceil(50 + (bottom - 50) * k)];
    // Where the core's height-fitted view would put it (cut off at the
    // right edge), only black is left.
    const title = lit(resized, tall), fitted = lit(resized, titleBox);
    console.log(`MEASURE  resized frame: title ${title} per mille lit in ${tall.join(' ')}, ${fitted} in ${titleBox.join(' ')}`);
    expect(title >= titleLeast && fitted <= 20, 'the upright canvas shows the view fitted to its height');
    expect(opened.trouble.length === 0, opened.trouble.join('\n'));
  });
  await opened.page.close();

  await check('without WebGL the page says so instead of staying blank', async () => {
    const bare = await chromium.launch({
      executablePath: '/usr/bin/chromium', args: [...browserArgs, '--disable-webgl'] });
    try {
      const page = await bare.newPage();
      const errors = [];
      page.on('pageerror', (e) => errors.push(e.message));
      await page.goto(query);
      const text = await problemShown(page, 30);
      expect(/WebGL/.test(text), `the message does not name WebGL: ${text}`);
      expect(await page.isHidden('#canvas'), 'the empty canvas still shows');
      expect(errors.length === 0, errors.join('\n'));
    } finally {
      await bare.close();
    }
  });
  await check('an unusable ?seed= is named in the console and the clock seeds the field', async () => {
    const run = await open(browser, `${url}?seed=12abc`, { width: 320, height: 180 });
    await framesReach(run.page, 2, 120);
    expect(run.messages.some((m) => /\?seed= takes a whole number/.test(m)), 'no word about the seed');
    expect(run.trouble.length === 0, run.trouble.join('\n'));
    await run.page.close();
  });

  await check('a lost WebGL context is said on the page, which starts afresh once it is back', async () => {
    const run = await open(browser, query, { width: 320, height: 180 });
    await framesReach(run.page, 2, 120);
    await run.page.evaluate(() => {
      window.loser = document.getElementById('canvas').getContext('webgl').getExtension('WEBGL_lose_context');
      window.loser.loseContext();
    });
    const text = await problemShown(run.page, 30);
    expect(/reset its graphics/.test(text), `the message does not say the graphics went: ${text}`);
    await Promise.all([run.page.waitForNavigation({ timeout: 60000 }),
      run.page.evaluate(() => window.loser.restoreContext())]);
    await framesReach(run.page, 2, 120);
    expect(run.trouble.length === 0, run.trouble.join('\n'));
    await run.page.close();
  });

  server.close();

  for (const [missing, what] of [['orvane.data', 'pictures'], ['orvane.wasm', 'program']]) {
    await check(`a page whose ${what} did not come says so`, async () => {
      const partial = path.join(out, `page-without-${missing}`);
      fs.rmSync(partial, { recursive: true, force: true });
      fs.cpSync(pageDir, partial, { recursive: true });
      fs.rmSync(path.join(partial, missing));
      const broken = await serve(partial);
      try {
        const page = await browser.newPage();
        await page.goto(broken.url);
        const text = await problemShown(page, 60);
        expect(text.includes(missing), `the message does not name the missing file: ${text}`);
        await page.close();
      } finally {
        broken.server.close();
      }
    });
  }

  if (full) await check('the -O0 build with run-time assertions runs 300 frames without one firing', async () => {
    const checked = await serve(assertPageDir);
    try {
      const run = await open(browser, `${checked.url}?seed=${seed}&fps`, { width: 320, height: 180 });
      await framesReach(run.page, 300, 600);
      const fired = run.messages.filter((m) => /assert|abort|exception/i.test(m));
      expect(run.trouble.length === 0 && fired.length === 0, [...run.trouble, ...fired].join('\n'));
      const rate = await run.page.textContent('#rate');
      expect(/FPS/.test(rate), `no frame rate shown with ?fps: "${rate}"`);
    } finally {
      checked.server.close();
    }
  });

  await browser.close();
  console.log(`web: ${passed} passed, ${failed} failed`);
  process.exit(failed === 0 ? 0 : 1);
})().catch((err) => {
  console.error(err);
  process.exit(1);
});
