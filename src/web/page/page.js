// Starts the nebula on the page, or says plainly why it cannot. The page's
// address may ask for a star field (?seed=N), the frame rate (?fps) and
// drawing at the screen's own pixels however slow (?full-resolution).
(function () {
  'use strict';
  const params = new URLSearchParams(location.search);
  const canvas = document.getElementById('canvas');
  const problem = document.getElementById('problem');
  const rate = document.getElementById('rate');
  // What tests and curious visitors can read: frames drawn so far.
  const state = (window.orvane = { frames: 0, problem: null });

  // The first trouble is the one to tell; what follows from it (the program
  // stopping) would only hide it.
  function unable(text) {
    if (state.problem) return;
    state.problem = text;
    problem.textContent = text;
    problem.hidden = false;
    canvas.hidden = true;
    document.getElementById('full-screen').hidden = true;
  }

  // The very context the program draws with (it asks for the canvas's
  // context and gets this one), made here so that a browser without WebGL
  // hears so, and made only once: a context is the slowest step of the
  // start on a software renderer. The drawing buffer gets the canvas's own
  // size first (as the program would give it at full resolution), because
  // each later change of width or height makes the buffer again.
  function webglWorks() {
    const box = canvas.getBoundingClientRect();
    canvas.width = Math.max(1, Math.floor(box.width * devicePixelRatio + 0.5));
    canvas.height = Math.max(1, Math.floor(box.height * devicePixelRatio + 0.5));
    try {
      return !!(window.WebGLRenderingContext &&
        canvas.getContext('webgl', { alpha: false, antialias: false, depth: true }));
    } catch (e) {
      return false;
    }
  }

  // The program's code, compiled as it downloads (a server that does not
  // call it application/wasm gets the slower way), from the start of the
  // page: the compilation goes on while the context is made.
  function compileProgram() {
    const whole = function () {
      return fetch('orvane.wasm').then(function (response) {
        if (!response.ok) throw new Error('HTTP status ' + response.status);
        return response.arrayBuffer();
      }).then(function (bytes) { return WebAssembly.compile(bytes); });
    };
    if (typeof WebAssembly.compileStreaming !== 'function') return whole();
    return WebAssembly.compileStreaming(fetch('orvane.wasm')).catch(whole);
  }

  // Whatever fails in the program or its download (a missing orvane.data)
  // ends up here: say it rather than leave a black page.
  window.addEventListener('error', function (event) {
    unable('The nebula could not go on: ' + event.message);
  });

  // A browser may take the context away (its graphics reset, a phone put
  // the tab aside) and hands a new one back once asked to. The program makes
  // its pictures and shaders only at its start, so the page starts afresh.
  let lost = false;
  canvas.addEventListener('webglcontextlost', function (event) {
    event.preventDefault();  // asks for the context back
    if (window.Module.pauseMainLoop) window.Module.pauseMainLoop();
    lost = !state.problem;
    unable('The browser has reset its graphics; the nebula starts again once they are back.');
  });
  canvas.addEventListener('webglcontextrestored', function () {
    if (lost) location.reload();
  });

  document.getElementById('full-screen').addEventListener('click', function () {
    if (document.fullscreenElement) document.exitFullscreen();
    else if (document.documentElement.requestFullscreen) document.documentElement.requestFullscreen();
  });

  if (typeof WebAssembly !== 'object' || typeof WebAssembly.instantiate !== 'function') {
    unable('This browser cannot run WebAssembly, so the nebula cannot be shown here. ' +
           'Any current browser can; the downloads below work either way.');
    return;
  }

  let seed = String(Math.floor(Date.now() / 1000) % 4294967296);
  const asked = params.get('seed');
  if (asked !== null) {
    if (/^[0-9]{1,10}$/.test(asked) && Number(asked) < 4294967296) seed = asked;
    else console.warn('orvane: ?seed= takes a whole number from 0 to 4294967295; using the clock');
  }
  const args = ['--seed', seed];
  if (params.has('fps')) args.push('--fps');
  if (params.has('full-resolution')) args.push('--full-resolution');

  const program = compileProgram();
  window.Module = {
    canvas: canvas,
    instantiateWasm: function (imports, receive) {
      program.then(function (module) {
        return WebAssembly.instantiate(module, imports).then(function (instance) {
          receive(instance, module);
        });
      }).catch(function (e) {
        unable('The nebula\'s program (orvane.wasm) could not be loaded: ' + e.message);
      });
      return {};
    },
    arguments: args,
    // The core's progress lines are for developers; its error lines stay.
    print: function () {},
    printErr: function (text) { console.warn(text); },
    showRate: function (text) { rate.textContent = text; rate.hidden = false; },
    frameDrawn: function (count) {
      state.frames = count;
      canvas.dispatchEvent(new CustomEvent('orvane-frame', { detail: count }));
    },
    unable: unable,
    onAbort: function (what) { unable('The nebula stopped: ' + what); },
    // The core ends the program only when it cannot go on (a missing picture).
    onExit: function (code) { unable('The nebula stopped (exit code ' + code + '); the console says why.'); },
  };
  const script = document.createElement('script');
  script.src = 'orvane.js';
  script.onerror = function () { unable('The nebula\'s program (orvane.js) could not be loaded.'); };
  document.body.appendChild(script);
  // The downloads and the compilation have started and go on meanwhile.
  if (!webglWorks()) {
    unable('WebGL is turned off or missing in this browser, so the nebula cannot be shown ' +
           'here. Turn on hardware acceleration or try another browser; the downloads below ' +
           'work either way.');
  }
})();
