// The show's music in the page. A worker (music_worker.js) renders the loop with the
// show's own synthesizer while the page loads; it plays through Web Audio as one buffer
// source looping the whole piece, which repeats it without a gap. The page calls
// unlockSound as the viewer's gesture begins and startSound inside it (where every
// browser lets sound begin), the latter with a function that gives the show's time in ms, or null while the show has not
// started; and stopSound when the show stops. Music that is ready only after the show
// started joins at the place in the loop the show's time has reached.
// window.kessivarMusic tells what happened, for the tests and the benchmark.
'use strict';

var kessivarMusic = {
  loop: null,           // AudioBuffer of the whole piece, filled block by block by the worker
  complete: false,      // every block is in loop
  renderMs: null,       // how long the worker's render (or its reading of a kept one) took, ms
  cached: false,        // the loop was kept from an earlier visit, not rendered
  kept: false,          // the rendered loop is stored for the next visit
  context: null,        // the page's one AudioContext, made in the first gesture
  clock: null,          // show time in ms (or null); set by startSound, null after stopSound
  source: null,         // the buffer source playing, null while silent
  joinedAtMs: null,     // the show's time when its music began, ms
};

(function () {
  const rate = 44100;  // Hz, the synthesizer's
  const music = kessivarMusic;
  let waiting = 0;     // timer of join's next look while the music waits for the show

  // Starts the loop at the show's time, once the loop, a running context and the show
  // are all there. The worker's last message and the context's state changes call it;
  // while only the show is missing, it looks again every 20 ms.
  function join() {
    clearTimeout(waiting);
    if (!music.clock || music.source || !music.complete) return;
    if (music.context.state !== 'running') return;
    const ms = music.clock();
    if (ms === null) {
      waiting = setTimeout(join, 20);
      return;
    }
    // A whole frame that the browser's seconds carry exactly: a fraction of a frame
    // would make it interpolate between the samples.
    let frame = Math.round((ms * rate) / 1000) % music.loop.length;
    while ((frame / rate) * rate !== frame) frame = (frame + 1) % music.loop.length;
    const source = music.context.createBufferSource();
    source.buffer = music.loop;
    source.loop = true;
    source.connect(music.context.destination);
    source.start(0, frame / rate);
    music.source = source;
    music.joinedAtMs = ms;
  }

  // One message of the worker: a block of the loop, the end of the render, or its failure.
  function onWorkerMessage({data}) {
    if (data.error) {
      console.warn(`music: ${data.error}; the show runs silently`);
      return;
    }
    if ('kept' in data) {
      music.kept = data.kept;
      return;
    }
    if (!music.loop)
      music.loop = new AudioBuffer({numberOfChannels: 2, length: data.frames, sampleRate: rate});
    if (!data.pcm) {
      music.renderMs = data.renderMs;
      music.cached = data.cached;
      music.complete = true;
      join();
      return;
    }
    const frames = data.pcm.length / 2;
    for (let channel = 0; channel < 2; ++channel) {
      const samples = new Float32Array(frames);
      for (let i = 0; i < frames; ++i) samples[i] = data.pcm[2 * i + channel] / 32768;
      music.loop.copyToChannel(samples, channel, data.first);
    }
  }

  // A still (index.html#t=...) has no sound.
  if (/^#t=/.test(location.hash)) return;
  const worker = new Worker('music_worker.js');
  worker.onmessage = onWorkerMessage;
  worker.onerror = (event) => {
    event.preventDefault();
    console.warn(`music: the synthesizer did not load (${event.message}); the show runs silently`);
  };

  // Makes or resumes the page's audio context; false where there is no Web Audio.
  window.unlockSound = function () {
    if (!music.context) {
      const Context = window.AudioContext || window.webkitAudioContext;
      if (!Context) return false;
      try {
        music.context = new Context({sampleRate: rate});
      } catch (error) {
        music.context = new Context();  // resampled by the browser
      }
      music.context.onstatechange = join;
    }
    music.context.resume();
    return true;
  };

  window.startSound = function (showClockMs) {
    if (!unlockSound()) return;
    music.clock = showClockMs;
    join();
  };

  window.stopSound = function () {
    music.clock = null;
    clearTimeout(waiting);
    if (music.source) {
      music.source.stop();
      music.source.disconnect();
      music.source = null;
    }
    if (music.context) music.context.suspend();
  };
})();
