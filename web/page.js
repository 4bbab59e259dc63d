// The page around the show: fetches the show's files into the program's in-memory file
// system, shows the start screen until a click, tap or key (browsers allow sound only
// after one), hands keys to the show and toggles full screen.
// index.html#t=SECONDS draws the show at that time as a still instead: no sound, no
// gesture; the pixels are kept in window.kessivarStill (RGBA, bottom row first).
'use strict';

var Module = (function () {
  const files = kessivarShowFiles;  // the show's files by name (show_files.js)
  const stillTime = /^#t=(\d+(?:\.\d*)?|\.\d+)$/.exec(location.hash);
  let ready = false;        // main has run: the show can start
  let startWanted = null;   // the gesture's time stamp when it came before ready
  let running = false;      // between start and stop

  const body = document.body;
  const prompt = document.getElementById('prompt');

  // Puts a file into the program's file system under name; a file that cannot be had
  // is left out, and the show's loader says so on the console as the native show does.
  function fetchFile(url, name) {
    return fetch(url)
      .then((r) => (r.ok ? r.arrayBuffer() : null))
      .then((data) => { if (data) Module.FS.writeFile(name, new Uint8Array(data)); })
      .catch(() => {});
  }

  function start(gestureTime) {
    if (running) return;
    if (!ready) {
      startWanted = gestureTime;
      prompt.textContent = 'Starting\u2026';
      return;
    }
    running = true;
    body.classList.add('show');
    Module._webStartShow();
    requestAnimationFrame(() => {
      body.dataset.firstFrameMs = (performance.now() - gestureTime).toFixed(1);
    });
  }

  function stop() {
    if (!running) return;
    running = false;
    Module._webStopShow();
    body.classList.remove('show');
    prompt.textContent = 'Click, tap or press a key to play again';
  }

  function toggleFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen();
    else if (document.documentElement.requestFullscreen)
      document.documentElement.requestFullscreen().catch(() => {});
  }

  function onKeyDown(event) {
    if (event.repeat || event.ctrlKey || event.altKey || event.metaKey) return;
    if (event.key === 'f' || event.key === 'F') {
      toggleFullScreen();
    } else if (!running) {
      if (event.key !== 'Escape' && event.key !== 'Tab') start(event.timeStamp);
    } else if (event.key === 'Escape') {
      stop();
    } else if (event.key === ' ') {
      Module._webKey(32);
    } else {
      return;
    }
    event.preventDefault();
  }

  function listen() {
    document.addEventListener('keydown', onKeyDown);
    document.getElementById('start').addEventListener('pointerup', (e) => start(e.timeStamp));
    document.getElementById('fullscreen').addEventListener('click', (e) => {
      e.stopPropagation();
      toggleFullScreen();
    });
  }

  function loadFiles() {
    Module.addRunDependency('show files');
    const wanted = files.pictures.map((p) => fetchFile(p, p));
    // The show opens its music by its own name and reads it by content, not by name.
    if (!stillTime) wanted.push(fetchFile(files.musicOgg, files.music));
    Promise.all(wanted).then(() => Module.removeRunDependency('show files'));
  }

  function onReady() {
    // The show sets the title; the start screen shows it as name and dates.
    const [name, dates] = document.title.split(' - ');
    document.getElementById('event').textContent = name;
    document.getElementById('dates').textContent = dates || '';
    if (stillTime) {
      body.classList.add('still');
      Module._webDrawStill(parseFloat(stillTime[1]));
      const gl = Module.ctx;
      const pixels = new Uint8Array(gl.drawingBufferWidth * gl.drawingBufferHeight * 4);
      gl.readPixels(0, 0, gl.drawingBufferWidth, gl.drawingBufferHeight, gl.RGBA,
                    gl.UNSIGNED_BYTE, pixels);
      window.kessivarStill = pixels;
      body.dataset.still = 'ready';
      return;
    }
    ready = true;
    prompt.textContent = 'Click, tap or press a key to start';
    if (startWanted !== null) start(startWanted);
  }

  if (!stillTime) listen();
  window.addEventListener('hashchange', () => location.reload());
  return {
    canvas: document.getElementById('canvas'),
    noAudioDecoding: true,   // the music is decoded by Web Audio when the show opens it
    noImageDecoding: true,
    preRun: [loadFiles],
    postRun: [onReady],
  };
})();
