// The web page's figures, printed and never judged: the download (each file
// and the total, raw and gzipped); then, in headless Chromium with each of
// two software renderers (its own SwiftShader, and Mesa's llvmpipe, which the
// native viewer draws with): the time from navigation to the first frame in
// a fresh browser and on later visits; the frame rate and the processor time
// of a frame at 640x360 and 1280x720 drawn at full resolution, beside the
// native viewer's when given; the rate and the resolution the page chose on
// three large screens; each beside a canvas of the same size that only
// clears (what the browser itself costs and allows there); and, with a page
// built with function names, the layer's share of the main thread in a
// profile.
//
// The display holds a frame rate at 60 a second, so where both reach it the
// rates tell nothing of the work. The processor time does: every process
// of the browser, less what the clearing canvas takes for its frame, is what
// the page's own frame costs, to set beside the viewer's whole frame.
//   node page_figures.js PAGE [SECONDS [NATIVE_640x360 NATIVE_1280x720 [PROFILE_PAGE]]]
// where each NATIVE is the viewer's "FPS/CPU_MS_A_FRAME".
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { chromium } = require('playwright-core');
const { serve } = require('../../scripts/lib/serve-static.js');

const [pageDir, secondsText, native640, native1280, profileDir] = process.argv.slice(2);
const seconds = Number(secondsText || 10);
const renderers = [
  ['SwiftShader (the browser\'s own software WebGL)', ['--use-angle=swiftshader', '--enable-unsafe-swiftshader']],
  ['Mesa llvmpipe through ANGLE (the viewer\'s renderer)', ['--use-angle=gl-egl', '--ignore-gpu-blocklist']],
];
const launch = (args = renderers[0][1]) =>
  chromium.launch({ executablePath: '/usr/bin/chromium', args: [...args, '--no-sandbox'] });

// Processor time (ms) used so far by every process this one started: the
// browser and its helpers.
const tickMs = 1000 / Number(execFileSync('getconf', ['CLK_TCK']).toString());
function browserCpuMs() {
  const children = new Map();
  for (const pid of fs.readdirSync('/proc').filter((name) => /^\d+$/.test(name))) {
    let stat;
    try {
      stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
    } catch (e) {
      continue;  // gone meanwhile
    }
    const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
    const parent = Number(fields[1]);
    if (!children.has(parent)) children.set(parent, []);
    children.get(parent).push({ pid: Number(pid), ticks: Number(fields[11]) + Number(fields[12]) });
  }
  let ticks = 0;
  const stack = [process.pid];
  while (stack.length) {
    for (const child of children.get(stack.pop()) || []) {
      ticks += child.ticks;
      stack.push(child.pid);
    }
  }
  return ticks * tickMs;
}

async function open(browser, url, width, height, scale = 1) {
  const page = await browser.newPage({ viewport: { width, height }, deviceScaleFactor: scale });
  await page.addInitScript(() => {
    window.orvaneTimes = [];
    window.addEventListener('orvane-frame', () => window.orvaneTimes.push(performance.now()), true);
  });
  await page.goto(url);
  await page.waitForFunction(() => window.orvaneTimes.length > 0, null, { timeout: 120000 });
  return page;
}

// Frames a second, and the browser's processor time a frame, over a
// measuring window that starts after `settle` seconds.
async function rate(page, settle, span) {
  // Measuring windows, which is what a frame rate is; nothing waits on them.
  await page.waitForTimeout(settle * 1000);
  const from = await page.evaluate(() => window.orvaneTimes.length);
  const cpuFrom = browserCpuMs();
  await page.waitForTimeout(span * 1000);
  const cpuTo = browserCpuMs();
  const times = await page.evaluate((n) => window.orvaneTimes.slice(n - 1), from);
  const fps = (times.length - 1) / ((times[times.length - 1] - times[0]) / 1000);
  const size = await page.evaluate(() => [document.getElementById('canvas').width,
    document.getElementById('canvas').height]);
  return { fps, size, cpuMs: (cpuTo - cpuFrom) / (times.length - 1) };
}

const layerNames = /^web_|^\(anonymous namespace\)::|^_gl|^_emscripten_gl|^(bufferData|drawArrays|uniform\w*|useProgram|bindTexture|blendFunc|enable|disable)$/;
const idleNames = /^\((idle|program|garbage collector)\)$/;

// Self time per function over a few seconds of drawing, summed into the
// layer, the rest of the program and the browser's own work.
async function profile(browser, url) {
  const page = await open(browser, url, 1280, 720);
  await page.waitForTimeout(2000);
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Profiler.enable');
  await cdp.send('Profiler.setSamplingInterval', { interval: 200 });
  await cdp.send('Profiler.start');
  const from = await page.evaluate(() => window.orvaneTimes.length);
  await page.waitForTimeout(3000);
  const frames = (await page.evaluate(() => window.orvaneTimes.length)) - from;
  const { profile: p } = await cdp.send('Profiler.stop');
  const self = new Map(p.nodes.map((n) => [n.id, 0]));
  for (let i = 0; i < p.samples.length; i++) self.set(p.samples[i], self.get(p.samples[i]) + (p.timeDeltas[i] || 0));
  let layer = 0, busy = 0;
  for (const n of p.nodes) {
    const name = n.callFrame.functionName;
    const us = self.get(n.id);
    if (idleNames.test(name)) continue;
    busy += us;
    if (layerNames.test(name)) layer += us;
  }
  await page.close();
  return { frames, layerMs: layer / 1000 / frames, busyMs: busy / 1000 / frames };
}

(async () => {
  let raw = 0, packed = 0;
  for (const name of fs.readdirSync(pageDir).sort()) {
    const body = fs.readFileSync(path.join(pageDir, name));
    const gz = zlib.gzipSync(body, { level: 9 }).length;
    raw += body.length;
    packed += gz;
    console.log(`${name.padEnd(12)} ${String(body.length).padStart(9)} bytes, gzipped ${String(gz).padStart(8)}`);
  }
  console.log(`${'page'.padEnd(12)} ${String(raw).padStart(9)} bytes, gzipped ${String(packed).padStart(8)}`);

  const { server, url } = await serve(pageDir);
  const ceiling = await serve(__dirname);
  const natives = Object.fromEntries([['640x360', native640], ['1280x720', native1280]]
    .map(([size, text]) => [size, (text || '').split('/').map(Number)]));
  for (const [what, args] of renderers) {
    console.log(`\n${what}`);
    const browser = await launch(args);
    const firsts = [];
    // A later visit swings by a factor of two with the machine's other
    // work, so its figure is the median of nine.
    for (let visit = 0; visit < 10; visit++) {
      const page = await open(browser, `${url}?seed=1`, 1280, 720);
      firsts.push(await page.evaluate(() => window.orvaneTimes[0]));
      await page.close();
    }
    const later = firsts.slice(1).sort((a, b) => a - b);
    console.log(`first frame at 1280x720: ${firsts[0].toFixed(0)} ms after navigation in a fresh browser; ` +
                `on nine later visits median ${later[4].toFixed(0)} ms, ${later[0].toFixed(0)} to ` +
                `${later[8].toFixed(0)}`);

    const clearOnly = async (w, h, s, size) => {
      const bare = await open(browser, `${ceiling.url}clear_only.html?size=${size.join('x')}`, w, h, s);
      const alone = await rate(bare, 1, seconds);
      await bare.close();
      return alone;
    };
    console.log('| window | page fps | native fps | page CPU ms a frame | clearing canvas CPU ms a frame | ' +
                'the page\'s own CPU ms a frame | native CPU ms a frame | web/native (own CPU) |');
    console.log('|---|---|---|---|---|---|---|---|');
    for (const [w, h] of [[640, 360], [1280, 720]]) {
      const page = await open(browser, `${url}?seed=1&full-resolution`, w, h);
      const drawn = await rate(page, 2, seconds);
      await page.close();
      const alone = await clearOnly(w, h, 1, [w, h]);
      const own = drawn.cpuMs - alone.cpuMs;
      const [nativeFps, nativeCpu] = natives[`${w}x${h}`];
      const cells = nativeFps > 0 ? [nativeFps.toFixed(1), drawn.cpuMs.toFixed(2), alone.cpuMs.toFixed(2),
        own.toFixed(2), nativeCpu.toFixed(2), (own / nativeCpu).toFixed(2)]
        : ['-', drawn.cpuMs.toFixed(2), alone.cpuMs.toFixed(2), own.toFixed(2), '-', '-'];
      console.log(`| ${w} × ${h} | ${drawn.fps.toFixed(1)} | ${cells.join(' | ')} |`);
    }
    console.log('| screen | page fps | drawn at (of the screen\'s pixels) | a canvas that only clears, fps |');
    console.log('|---|---|---|---|');
    for (const [w, h, s, name] of [[390, 844, 3, 'a phone at 3×'], [1920, 1080, 2, '1920 × 1080 at 2×'],
      [3840, 2160, 1, '3840 × 2160 at 1×']]) {
      const page = await open(browser, `${url}?seed=1`, w, h, s);
      const { fps, size } = await rate(page, 4, seconds);
      await page.close();
      const alone = await clearOnly(w, h, s, size);
      console.log(`| ${name} | ${fps.toFixed(1)} | ${size[0]} × ${size[1]} (of ${w * s} × ${h * s}) | ${alone.fps.toFixed(1)} |`);
    }
    await browser.close();
  }
  ceiling.server.close();
  server.close();

  if (profileDir) {
    const named = await serve(profileDir);
    const profiler = await launch();
    const p = await profile(profiler, `${named.url}?seed=1&full-resolution`);
    console.log(`profile at 1280x720 over ${p.frames} frames: main thread busy ${p.busyMs.toFixed(2)} ms a frame, ` +
                `of which the web layer (its code and its WebGL calls) ${p.layerMs.toFixed(2)} ms ` +
                `(${(100 * p.layerMs / p.busyMs).toFixed(0)} %)`);
    await profiler.close();
    named.server.close();
  }
})().catch((err) => {
  console.error(err);
  process.exit(1);
});
