// The web page's figures, printed and never judged: the download (each file
// and the total, raw and gzipped), the time from navigation to the first
// frame and the frame rate in headless Chromium (software WebGL) at 1280x720.
//   node page_figures.js PAGE [SECONDS]
'use strict';
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { chromium } = require('playwright-core');
const { serve } = require('../../scripts/lib/serve-static.js');

const [pageDir, secondsText] = process.argv.slice(2);
const seconds = Number(secondsText || 10);

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
  const browser = await chromium.launch({ executablePath: '/usr/bin/chromium',
    args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--no-sandbox'] });
  const page = await browser.newPage({ viewport: { width: 1280, height: 720 } });
  await page.addInitScript(() => {
    window.orvaneTimes = [];
    window.addEventListener('orvane-frame', () => window.orvaneTimes.push(performance.now()), true);
  });
  await page.goto(`${url}?seed=1`);
  await page.waitForFunction(() => window.orvaneTimes.length > 0, null, { timeout: 120000 });
  const first = await page.evaluate(() => window.orvaneTimes[0]);
  console.log(`first frame  ${first.toFixed(0)} ms after navigation`);
  // A measuring window, which is what a frame rate is; nothing waits on it.
  await page.waitForTimeout(seconds * 1000);
  const times = await page.evaluate(() => window.orvaneTimes);
  const settled = times.slice(Math.min(30, times.length - 2));
  const rate = (settled.length - 1) / ((settled[settled.length - 1] - settled[0]) / 1000);
  console.log(`frame rate   ${rate.toFixed(1)} frames a second at 1280x720 over ${settled.length} frames`);
  await browser.close();
  server.close();
})().catch((err) => {
  console.error(err);
  process.exit(1);
});
