// Frames of the page as pictures: read back from the canvas inside the page,
// written and read as binary PPM files, compared box by box.
'use strict';
const fs = require('fs');

// Runs in the page before its own scripts (page.addInitScript): keeps frame
// `wanted` as it is drawn and offers orvaneNextFrame(accept), the first later
// frame whose canvas `accept` takes. Both read the canvas inside the animation
// frame that drew it, before the browser shows and clears it.
function grabberSource(wanted) {
  window.orvaneGrabbed = {};
  const waiting = [];
  function read(canvas, count) {
    const copy = document.createElement('canvas');
    copy.width = canvas.width;
    copy.height = canvas.height;
    const context = copy.getContext('2d');
    context.drawImage(canvas, 0, 0);
    const rgba = context.getImageData(0, 0, copy.width, copy.height).data;
    let bytes = '';
    for (let i = 0; i < rgba.length; i += 4) bytes += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
    return { frame: count, width: copy.width, height: copy.height, rgb: btoa(bytes) };
  }
  window.orvaneNextFrame = (accept) => new Promise((resolve) => waiting.push({ accept, resolve }));
  // The page's frame event does not bubble; a capturing listener still hears it.
  window.addEventListener('orvane-frame', (event) => {
    const canvas = event.target;
    if (event.detail === wanted) window.orvaneGrabbed[wanted] = read(canvas, event.detail);
    for (let i = waiting.length - 1; i >= 0; i--) {
      if (!waiting[i].accept(canvas)) continue;
      waiting[i].resolve(read(canvas, event.detail));
      waiting.splice(i, 1);
    }
  }, true);
}

function fromGrab(grab) {
  return { width: grab.width, height: grab.height, rgb: Buffer.from(grab.rgb, 'base64') };
}

function writePpm(file, picture) {
  fs.writeFileSync(file, Buffer.concat([
    Buffer.from(`P6\n${picture.width} ${picture.height}\n255\n`), picture.rgb]));
}

// Binary PPM with maximum 255, as the viewer and writePpm write it.
function readPpm(file) {
  const data = fs.readFileSync(file);
  const header = data.toString('latin1', 0, 64).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  if (!header) throw new Error(`${file}: not a binary PPM of 8-bit samples`);
  const width = Number(header[1]), height = Number(header[2]);
  const rgb = data.subarray(header[0].length);
  if (rgb.length < width * height * 3) throw new Error(`${file}: ends early`);
  return { width, height, rgb };
}

// Mean absolute difference of two same-sized pictures per channel, inside a
// box given in percent of their width and height (left, top, right, bottom).
function meanDifference(a, b, box) {
  const [left, top, right, bottom] = box;
  const x0 = Math.floor(a.width * left / 100), x1 = Math.floor(a.width * right / 100);
  const y0 = Math.floor(a.height * top / 100), y1 = Math.floor(a.height * bottom / 100);
  let sum = 0;
  for (let y = y0; y < y1; y++) {
    for (let i = (y * a.width + x0) * 3; i < (y * a.width + x1) * 3; i++) sum += Math.abs(a.rgb[i] - b.rgb[i]);
  }
  return sum / ((x1 - x0) * (y1 - y0) * 3);
}

module.exports = { grabberSource, fromGrab, writePpm, readPpm, meanDifference };
