// The page around the show: asks for the program and the pictures it is ready only with
// (the title's, all the show's first seconds draw, and the cards, the largest), counting
// their bytes on a progress bar, and puts them into the program's in-memory file system;
// has the browser open its graphics and its audio output off the page's thread first;
// asks for the other pictures once those are in and binds them, a part a task,
// while the start screen waits (a gesture before they are bound starts the show once they
// are); shows the start screen until a click, tap or key (browsers allow sound only after
// one), hands keys and the control bar's buttons to the show, toggles full screen and
// draws at the screen's own pixel size. Without WebGL it says so instead of loading the
// program.
// "Read the invitation" (#invitation) shows the invitation as text over the page; keys,
// taps and clicks there are the reader's, not the show's.
// index.html#t=SECONDS draws the show at that time as a still instead: no sound, no
// gesture, 640x480 unless &size=WxH follows; the pixels are kept in window.kessivarStill
// (RGBA, bottom row first).
// body's data-state: loading, ready, show, still or nowebgl; data-ready-ms and
// data-first-frame-ms record how long the start took, data-startup-ms the program's
// start-up once its first files were in (decoding the pictures most of it),
// data-show-started-ms when the show's clock began (performance.now()), data-pictures-ms
// when every picture was bound.
'use strict';

var Module = (function () {
  const showFiles = kessivarShowFiles;  // the show's files by name (show_files.js)
  const pictures = showFiles.pictures;
  // The pictures ready waits for (show_files.js says why), and those bound after it.
  const firstPictures = pictures.filter((name) => showFiles.first.includes(name));
  const laterPictures = pictures.filter((name) => !showFiles.first.includes(name));
  const still = /^#t=(\d+(?:\.\d*)?|\.\d+)(?:&size=(\d+)x(\d+))?$/.exec(location.hash);
  const barMs = 3000;                    // how long the control bar stays after a tap
  const offlineAfterMs = 3000;          // from every picture bound to the service worker
  const maxWidth = 2880, maxHeight = 2160;  // the largest canvas drawn into, pixels
  const body = document.body;
  const canvas = document.getElementById('canvas');
  const prompt = document.getElementById('prompt');
  const coarse = matchMedia('(pointer: coarse)');

  let startWanted = null;   // the gesture's time stamp when it came before the show could start
  let showStartedAt = 0;    // performance.now() when the show started, ms
  let filesInAt = 0;        // performance.now() when the first pictures were in, ms
  let allBound = false;     // every picture is bound and the scroller made: the show may run
  let barTimer = 0;         // hides the control bar; 0 when it is hidden
  let pressStarted = false; // the show started at this press: its release is no tap on it
  const soundAfterMs = 50;  // from the picture's start to the sound's: the first frame is
                            // shown before the audio context is made (seconds in WebKit);
                            // every engine still counts it as within the gesture

  function setState(state) { body.dataset.state = state; }
  function state() { return body.dataset.state; }

  function invitation() {
    return coarse.matches ? 'Tap to start' : 'Click, tap or press a key to start';
  }

  // The show's time in ms since it started, or null while it does not run.
  function showClockMs() {
    return state() === 'show' ? performance.now() - showStartedAt : null;
  }

  // The music (music.js) starts inside the gesture's own handler, where every browser
  // lets sound begin, even while the files are still coming; it follows the show through
  // showClockMs.
  function soundStart() { startSound(showClockMs); }
  function soundStop() { stopSound(); }

  // Bytes received of every file ready waits for, against the lengths the server
  // announced; a compressed reply counts once it is whole.
  const progress = {announced: 0, received: 0};
  const bar = document.getElementById('received');
  function showProgress() {
    const share = progress.announced ? progress.received / progress.announced : 0;
    bar.style.width = `${Math.min(100, share * 100).toFixed(1)}%`;
  }

  // reply with its body counted on the progress bar as it comes in: plain bytes one by
  // one, a compressed body (whose announced length is not the bytes it gives) when whole.
  function counted(reply, type) {
    const length = Number(reply.headers.get('Content-Length')) || 0;
    const plain = !reply.headers.get('Content-Encoding');
    let size = 0, credited = 0;  // bytes come in, and counted, of this file
    const credit = (bytes) => {
      progress.received += bytes - credited;
      credited = bytes;
      showProgress();
    };
    progress.announced += length;
    const counter = new TransformStream({
      transform(chunk, stream) {
        size += chunk.length;
        if (plain) credit(Math.min(size, length));
        stream.enqueue(chunk);
      },
      flush() { credit(length); },
    });
    return new Response(reply.body.pipeThrough(counter),
                        {headers: {'Content-Type': type || 'application/octet-stream'}});
  }

  // The bytes of url, or null when it cannot be had (the show's loader then says which
  // file is missing, as the native show does).
  function fetchBytes(url, count) {
    return fetch(url)
      .then((reply) => (reply.ok ? (count ? counted(reply) : reply).arrayBuffer() : null))
      .then((data) => data && new Uint8Array(data))
      .catch(() => null);
  }

  // The program, compiled while its bytes come in.
  function compileProgram() {
    return fetch('kessivar.wasm').then((reply) => {
      if (!reply.ok) throw new Error(`kessivar.wasm: ${reply.status} ${reply.statusText}`);
      return WebAssembly.compileStreaming(counted(reply, 'application/wasm'));
    });
  }

  function failed() {
    prompt.textContent = 'The show could not be loaded. Reload the page to try again.';
  }

  // The show's WebGL context, made here, so that the page knows at once whether there is
  // one; the program takes it over (GL_PREINITIALIZED_CONTEXT). Its attributes are those
  // the show's window asks for: no alpha, depth, stencil or antialiasing. Null without.
  function makeContext() {
    try {
      return canvas.getContext('webgl', {alpha: false, antialias: false, depth: false,
                                         stencil: false});
    } catch (error) {
      return null;
    }
  }

  // Chromium sets up its graphics for a page at the page's first WebGL context, a tenth of
  // a second here on the thread that asks for it. A worker asks first, for a context it
  // throws away, so that the page's own then takes a few ms. Resolves once the worker has
  // answered, at once where workers have no WebGL canvas, and after a second in any case.
  function warmGraphics() {
    return new Promise((resolve) => {
      if (typeof OffscreenCanvas === 'undefined') {
        resolve();
        return;
      }
      const source = "new OffscreenCanvas(1, 1).getContext('webgl'); postMessage(0);";
      const url = URL.createObjectURL(new Blob([source], {type: 'text/javascript'}));
      let worker;
      try {
        worker = new Worker(url);
      } catch (error) {  // a page whose rules allow no such worker
        resolve();
        return;
      } finally {
        URL.revokeObjectURL(url);
      }
      const done = () => {
        worker.terminate();
        resolve();
      };
      worker.onmessage = done;
      worker.onerror = (event) => {
        event.preventDefault();
        done();
      };
      setTimeout(done, 1000);
    });
  }

  function sayNoWebGL() {
    setState('nowebgl');
    prompt.textContent = 'The show needs WebGL, which this browser has switched off.';
    document.getElementById('help').textContent =
      'To turn it on, allow hardware (graphics) acceleration in the browser\u2019s settings ' +
      '(in Firefox also set webgl.disabled to false in about:config), then reload this page.';
  }

  // The canvas as large as the screen shows it, in device pixels, but at least 640x480
  // and at most maxWidth x maxHeight; the show puts its 4:3 picture in the middle. True
  // when its size changed.
  function sizeCanvas() {
    const cssWidth = canvas.clientWidth || 640, cssHeight = canvas.clientHeight || 480;
    const scale = Math.max(640 / cssWidth, 480 / cssHeight,
                           Math.min(devicePixelRatio || 1, maxWidth / cssWidth,
                                    maxHeight / cssHeight));
    const width = Math.round(cssWidth * scale), height = Math.round(cssHeight * scale);
    if (width === canvas.width && height === canvas.height) return false;
    canvas.width = width;
    canvas.height = height;
    return true;
  }

  // The canvas sized anew, and the show told, once the program runs. (Its first size is
  // set before the WebGL context is made: changing it afterwards makes the browser build
  // the context's pixels again, for tens of ms on a phone.)
  function fitCanvas() {
    if (still || (state() !== 'ready' && state() !== 'show')) return;
    if (sizeCanvas()) Module._webResize(canvas.width, canvas.height);
  }

  function startShow(gestureTime) {
    startWanted = null;
    setState('show');
    fitCanvas();
    showStartedAt = performance.now();
    body.dataset.showStartedMs = showStartedAt.toFixed(1);
    Module._webStartShow();
    requestAnimationFrame(() => {
      body.dataset.firstFrameMs = (performance.now() - gestureTime).toFixed(1);
    });
  }

  // Called inside the handler of the viewer's gesture. When the show can start, its
  // picture first and the sound a moment later, from a timer the gesture's handler set
  // (which keeps the gesture's permission for sound). While loading, or while pictures
  // are still to be bound, the sound starts at once and the show once they are.
  function start(gestureTime) {
    if (state() === 'ready' && allBound) {
      startShow(gestureTime);
      setTimeout(() => { if (state() === 'show') soundStart(); }, soundAfterMs);
    } else if (state() === 'loading' || state() === 'ready') {
      startWanted = gestureTime;
      prompt.textContent = 'Starting\u2026';
      soundStart();
    }
  }

  function startIfWanted() {
    if (startWanted !== null && state() === 'ready' && allBound) startShow(startWanted);
  }

  function reading() { return location.hash === '#invitation'; }

  // Back to the start screen, out of full screen as the native show leaves its mode.
  function stop() {
    if (state() !== 'show') return;
    soundStop();
    Module._webStopShow();
    hideBar();
    setState('ready');
    prompt.textContent = coarse.matches ? 'Tap to play again'
                                        : 'Click, tap or press a key to play again';
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  }

  function toggleFade() { Module._webKey(32); }

  // Full screen; Escape is asked for where the browser hands it to the page (Keyboard
  // Lock), so that one Escape stops the show and leaves full screen together.
  function toggleFullScreen() {
    const root = document.documentElement;
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else if (root.requestFullscreen) {
      root.requestFullscreen().catch(() => {});
      if (navigator.keyboard && navigator.keyboard.lock)
        navigator.keyboard.lock(['Escape']).catch(() => {});
    } else if (root.webkitRequestFullscreen) {
      root.webkitRequestFullscreen();
    }
  }

  function hideBar() {
    clearTimeout(barTimer);
    barTimer = 0;
    delete body.dataset.bar;
  }

  function showBar() {
    clearTimeout(barTimer);
    body.dataset.bar = '';
    barTimer = setTimeout(hideBar, barMs);
  }

  function onKeyDown(event) {
    if (event.repeat || event.ctrlKey || event.altKey || event.metaKey) return;
    if (reading() || event.target.closest('a')) {
      if (event.key === 'Escape' && reading()) location.hash = '';
      return;  // the reader's keys: scrolling, following the link
    }
    if (event.key === 'f' || event.key === 'F') {
      toggleFullScreen();
    } else if (state() !== 'show') {
      if (event.key === 'Escape' && document.fullscreenElement) document.exitFullscreen();
      else if (event.key !== 'Escape' && event.key !== 'Tab') start(event.timeStamp);
      else return;
    } else if (event.key === 'Escape') {
      stop();
    } else if (event.key === ' ') {
      toggleFade();
    } else {
      return;
    }
    event.preventDefault();
  }

  // A press on the start screen starts the show (WebKit counts a mouse button's press as
  // the viewer's gesture, but not always its release); a tap or click over the show brings
  // the bar.
  function onPointerDown(event) {
    if (state() === 'show' || event.button > 0 || reading()) return;
    if (!event.target.closest('#start') || event.target.closest('a')) return;
    pressStarted = true;
    start(event.timeStamp);
  }

  function onPointerUp(event) {
    if (pressStarted) {
      pressStarted = false;
      return;
    }
    if (event.target.closest('#bar, a, #invitation')) return;
    if (state() === 'show') showBar();
  }

  function onButton(id, action) {
    document.getElementById(id).addEventListener('click', (event) => {
      event.stopPropagation();
      if (state() === 'show') showBar();
      action();
    });
  }

  function listen() {
    document.addEventListener('keydown', onKeyDown);
    document.addEventListener('pointerdown', onPointerDown);
    document.addEventListener('pointerup', onPointerUp);
    document.addEventListener('pointermove', (event) => {
      if (event.pointerType === 'mouse' && state() === 'show') showBar();
    });
    onButton('stop', stop);
    onButton('fade', toggleFade);
    onButton('fullscreen', toggleFullScreen);
    // A phone's browser that has no full screen for a page (an iPhone's) shows no button.
    if (!document.fullscreenEnabled && !document.webkitFullscreenEnabled)
      document.getElementById('fullscreen').hidden = true;
    addEventListener('resize', fitCanvas);
    document.addEventListener('fullscreenchange', () => {
      if (!document.fullscreenElement && navigator.keyboard && navigator.keyboard.unlock)
        navigator.keyboard.unlock();
      fitCanvas();
    });
  }

  // The program and the first pictures are asked for together, and the program's script
  // once WebGL is known to be there; the other pictures once those are in, so that they
  // do not share a slow line with what ready waits for. The music is the page's own
  // (music.js), made in a worker.
  function loadFiles() {
    const program = compileProgram();
    const first = firstPictures.map((name) => fetchBytes(name, true));
    const firstIn = Promise.all([program.catch(() => null), ...first]);
    const later = laterPictures.map((name) => firstIn.then(() => fetchBytes(name, false)));
    return {program, first, later};
  }

  function loadScript() {
    const script = document.createElement('script');
    script.src = 'kessivar.js';
    script.async = true;
    script.onerror = failed;
    document.body.appendChild(script);
  }

  function drawStill() {
    setState('still');
    if (still[2]) {
      const width = Math.min(4096, Math.max(16, Number(still[2])));
      const height = Math.min(4096, Math.max(16, Number(still[3])));
      canvas.width = width;
      canvas.height = height;
      Module._webResize(width, height);
    }
    Module._webDrawStill(parseFloat(still[1]));
    const gl = Module.ctx;
    const pixels = new Uint8Array(gl.drawingBufferWidth * gl.drawingBufferHeight * 4);
    gl.readPixels(0, 0, gl.drawingBufferWidth, gl.drawingBufferHeight, gl.RGBA,
                  gl.UNSIGNED_BYTE, pixels);
    window.kessivarStill = pixels;
    body.dataset.still = 'ready';
  }

  // The page's icon and manifest, linked once the show is ready: a browser asks for them
  // at once, and on a slow line they would share the bandwidth the show's files need (till
  // then the page's icon is an empty one of its own, so that none is asked for).
  function linkIcons() {
    document.querySelector('link[rel="icon"]').href = 'kessivar.png';
    for (const [rel, href] of [['apple-touch-icon', 'kessivar.png'],
                               ['manifest', 'manifest.webmanifest']]) {
      const link = document.createElement('link');
      Object.assign(link, {rel, href});
      document.head.appendChild(link);
    }
  }

  // Ready is marked at the end of its task, the first moment the page can answer a tap.
  function onReady() {
    setState('ready');
    body.dataset.startupMs = (performance.now() - filesInAt).toFixed(1);
    if (startWanted === null) prompt.textContent = invitation();
    fitCanvas();  // if the window changed since; here rather than in the gesture's task
    linkIcons();
    prepareSound();
    startIfWanted();
    body.dataset.readyMs = performance.now().toFixed(0);
  }

  // Every picture bound: the show may go past its title. The service worker, which keeps
  // the site for a visit offline, is registered offlineAfterMs later: its install fetches
  // the whole site again and writes it into the cache, and done at once, that work fell on
  // the show's first frames and on the browser's first full garbage collection (begun half
  // a second after the page's loading goes quiet), whose pause it made up to 90 ms long
  // with the CPU 4x slower, where it is 6 to 20 ms without.
  function onAllBound() {
    allBound = true;
    body.dataset.picturesMs = performance.now().toFixed(0);
    if (still) {
      drawStill();
      return;
    }
    startIfWanted();
    if ('serviceWorker' in navigator)
      setTimeout(() => navigator.serviceWorker.register('sw.js').catch(() => {}), offlineAfterMs);
  }

  // A still is drawn once per document: another still's hash loads the page again.
  window.addEventListener('hashchange', (event) => {
    if (/#t=/.test(event.oldURL + ' ' + event.newURL)) location.reload();
  });

  // then() in a task of its own, after the tasks already waiting.
  function nextTask(then) {
    const channel = new MessageChannel();
    channel.port1.onmessage = then;
    channel.port2.postMessage(null);
  }

  // The show's pictures bound a part at a time (webLoadPicture), each part in a task of its
  // own, so that no task keeps the page from answering for long (a part of partPixels
  // pixels takes 5 to 20 ms with the CPU 4x slower): the first ones, then one frame behind
  // the start screen, and ready; then the others as they come in, and the scroller.
  const partPixels = 1 << 17;
  function bindPart(picture, then) {
    if (Module._webLoadPicture(pictures.indexOf(picture), partPixels))
      nextTask(() => bindPart(picture, then));
    else
      nextTask(then);
  }

  function bindFirst(k) {
    if (k < firstPictures.length) {
      bindPart(firstPictures[k], () => bindFirst(k + 1));
    } else if (still) {
      bindLater(0);
    } else {
      // The first frame costs the GL's set-up of its programs and textures: now rather
      // than as the show begins.
      Module._webStartShow();
      Module._webStopShow();
      nextTask(() => {
        onReady();
        nextTask(() => bindLater(0));
      });
    }
  }

  function bindLater(k) {
    if (k === laterPictures.length) {
      Module._webLoadDone();
      nextTask(onAllBound);  // a show waiting for it starts in a task of its own
      return;
    }
    files.later[k].then((bytes) => {
      if (bytes) Module.FS.writeFile(laterPictures[k], bytes);
      bindPart(laterPictures[k], () => bindLater(k + 1));
    });
  }

  let files = null;     // the program and the pictures, asked for from begin on (loadFiles)
  if (!still) listen();  // a gesture while loading starts the show once it is ready
  const module = {
    canvas,
    noImageDecoding: true,
    // The program the page has already asked for and compiled.
    instantiateWasm(imports, receive) {
      files.program.then((module) => WebAssembly.instantiate(module, imports)
        .then((instance) => receive(instance, module))).catch(failed);
      return {};
    },
    preRun: [() => {
      Module.addRunDependency('show files');
      Promise.all(files.first).then((images) => {
        images.forEach((bytes, i) => { if (bytes) Module.FS.writeFile(firstPictures[i], bytes); });
        filesInAt = performance.now();
        Module.removeRunDependency('show files');
      });
    }],
    postRun: [() => nextTask(() => bindFirst(0))],  // not in the task that ran main
  };

  // The rest begins once the start screen's text is on screen: the fetches, the WebGL
  // context (long on a slow phone) and the program. The browser says when its largest text
  // has been painted (where it tells that, else two animation frames on); a tab opened in
  // the background, which paints nothing, begins after a second. Asking for the files
  // before the first paint would have them ready a little sooner on a slow line (0.2 to
  // 0.4 s at 1.6 Mbit/s here), but on a fast one they then come in before the text is
  // painted, and a page load's simulation counts the whole download as the text's wait.
  let begun = false;
  function begin() {
    if (begun) return;
    begun = true;
    files = loadFiles();  // before the WebGL context, which can take a while
    if (!still) {
      warmSound();
      sizeCanvas();
    }
    warmGraphics().then(() => {
      const gl = makeContext();
      if (!gl) {
        files.program.catch(() => {});
        sayNoWebGL();
        linkIcons();
        return;
      }
      module.preinitializedWebGLContext = gl;
      loadScript();
    });
  }
  if ((PerformanceObserver.supportedEntryTypes || []).includes('largest-contentful-paint')) {
    new PerformanceObserver((list, observer) => {
      observer.disconnect();
      setTimeout(begin, 0);
    }).observe({type: 'largest-contentful-paint', buffered: true});
  } else {
    requestAnimationFrame(() => requestAnimationFrame(() => setTimeout(begin, 0)));
  }
  setTimeout(begin, 1000);
  return module;
})();
