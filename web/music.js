// The show's music in the page. A worker (music_worker.js) renders it with the show's own
// synthesizer from the moment the page is ready (prepareSound), as a stream: first the
// song's first pass, starting from silence, block by block as it is made; then the loop,
// its second pass, which carries the first pass's echoes at its start and is the music
// file's own samples. The
// first pass plays as its blocks come, so the music starts at once; the loop follows it
// as one buffer source that repeats the loop without a gap. A loop kept from an earlier
// visit (or made before the show started) plays at once, as the native show plays its file.
// The page calls startSound within the viewer's gesture (where every browser lets sound
// begin) with a function that gives the show's time in ms, or null while the show has not
// started; and stopSound when the show stops. The music follows the show's time: it joins
// at the place the show has reached. The worker sends its blocks as float samples, one
// array per channel, so that all the page does with a block is one copy per channel:
// no task of the page's own thread grows with the music's length.
// window.kessivarMusic tells what happened, for the tests and the benchmark.
'use strict';

var kessivarMusic = {
  frames: 0,            // frames in one pass of the song
  lead: [],             // AudioBuffers of the first pass's blocks as they come, until the loop is whole
  loop: null,           // AudioBuffer of the loop, filled block by block by the worker
  complete: false,      // every block of the loop is in
  renderMs: null,       // how long the worker's render (or its reading of a kept one) took, ms
  cached: false,        // the loop was kept from an earlier visit, not rendered
  kept: false,          // the rendered loop is stored for the next visit
  context: null,        // the page's one AudioContext, made in the first gesture
  clock: null,          // show time in ms (or null); set by startSound, null after stopSound
  sources: [],          // the buffer sources started and not yet ended
  joinedAtMs: null,     // the show's time when its music began, ms
  joinedFrame: null,    // the frame of the song (counted from the first pass's start) it began at
};

(function () {
  const rate = 44100;        // Hz, the synthesizer's
  const blockFrames = 44100; // frames in each of the worker's blocks
  const ahead = 0.05;        // s between scheduling a block and its start
  const music = kessivarMusic;
  let waiting = 0;     // timer of join's next look while the music waits for the show
  let origin = null;   // the context's time at which the song's frame 0 plays, while playing
  let nextLead = 0;    // the first-pass block to schedule next
  let loopStarted = false;  // the loop is playing, or set to follow the first pass

  function play(buffer, when, offset, loop) {
    const source = music.context.createBufferSource();
    source.buffer = buffer;
    source.loop = loop;
    source.connect(music.context.destination);
    source.start(when, offset);
    source.onended = () => {
      const i = music.sources.indexOf(source);
      if (i >= 0) music.sources.splice(i, 1);
    };
    music.sources.push(source);
  }

  // Starts what is there of the song where the show's time has reached: the first pass's
  // blocks as they come, then the loop at the first pass's end; or, when the loop is whole
  // before the music joins (or the first pass has a gap), the loop where the show is.
  // Called as blocks come, when the context starts and when the show starts; while only
  // the show is missing, it looks again every 20 ms.
  function schedule() {
    clearTimeout(waiting);
    if (!music.clock || !music.frames || !music.context) return;
    if (music.context.state !== 'running') return;
    const frames = music.frames, now = music.context.currentTime + ahead;
    if (origin === null) {
      const ms = music.clock();
      if (ms === null) {
        waiting = setTimeout(schedule, 20);
        return;
      }
      const frame = Math.round((ms * rate) / 1000);
      nextLead = Math.floor(frame / blockFrames);
      if (!music.complete && !music.lead[nextLead]) return;  // nothing to play there yet
      origin = now - frame / rate;
      music.joinedAtMs = ms;
      music.joinedFrame = frame;
    }
    for (; music.lead[nextLead]; ++nextLead) {
      const at = origin + (nextLead * blockFrames) / rate, buffer = music.lead[nextLead];
      if (at + buffer.duration > now) play(buffer, Math.max(at, now), Math.max(0, now - at), false);
    }
    if (music.complete && !loopStarted) {
      const end = origin + frames / rate;  // where the first pass ends
      if (nextLead * blockFrames >= frames && end >= now) {
        play(music.loop, end, 0, true);
      } else {
        // A whole frame that the browser's seconds carry exactly: a fraction of a frame
        // would make it interpolate between the samples.
        let frame = Math.round((now - origin) * rate) % frames;
        while ((frame / rate) * rate !== frame) frame = (frame + 1) % frames;
        play(music.loop, now, frame / rate, true);
      }
      loopStarted = true;
    }
  }

  // Copies a block's channels into buffer from its frame `first` on.
  function put(buffer, channels, first) {
    channels.forEach((samples, channel) => buffer.copyToChannel(samples, channel, first));
  }

  // One message of the worker: a block of the first pass or of the loop, the end of the
  // render, or its failure.
  function onWorkerMessage({data}) {
    if (data.error) {
      console.warn(`music: ${data.error}; the show runs silently`);
      return;
    }
    if ('kept' in data) {
      music.kept = data.kept;
      return;
    }
    music.frames = data.frames;
    if (!data.channels) {
      music.renderMs = data.renderMs;
      music.cached = data.cached;
      music.complete = true;
      schedule();
      music.lead = [];  // every block of it is playing, or the loop will play instead
      return;
    }
    if (data.lead) {
      const buffer = new AudioBuffer({numberOfChannels: 2, length: data.channels[0].length,
                                      sampleRate: rate});
      put(buffer, data.channels, 0);
      music.lead[data.first / blockFrames] = buffer;
    } else {
      if (!music.loop)
        music.loop = new AudioBuffer({numberOfChannels: 2, length: data.frames, sampleRate: rate});
      put(music.loop, data.channels, data.first);
      return;
    }
    schedule();
  }

  // Starts the synthesizer's worker and makes the audio context, once: when the page is
  // ready (on a slow line the worker's files would otherwise take the show's bandwidth)
  // or at the first gesture, if that comes first. A context made before any gesture waits,
  // suspended, for the gesture's resume; it is made once the browser has opened its audio
  // output (warmSound), else making it would cost the page's thread a long task (a tenth of
  // a second on a slow phone, seconds in WebKit) just as the page becomes ready. A still
  // (index.html#t=...) has no sound.
  let worker = null;
  window.prepareSound = function () {
    if (worker || /^#t=/.test(location.hash)) return;
    warmSound();
    warmed.then(() => makeContext());
    worker = new Worker('music_worker.js');
    worker.onmessage = onWorkerMessage;
    worker.onerror = (event) => {
      event.preventDefault();
      console.warn(`music: the synthesizer did not load (${event.message}); the show runs silently`);
    };
  };

  // Chromium opens the audio output for the page's first AudioContext, on the page's own
  // thread: 60 to 130 ms here, without a slowed CPU. Asked for the list of devices first,
  // it does that opening on a thread of its own, and the context then takes a few ms; so
  // the page asks as it begins to load (warmSound), and prepareSound makes the context once
  // the answer is in. The list itself is not used. Where there is none (an address that is
  // not secure), the context is made at once; a gesture makes it at once in any case.
  let warmed = null;
  window.warmSound = function () {
    if (warmed) return;
    const devices = navigator.mediaDevices;
    warmed = devices && devices.enumerateDevices ? devices.enumerateDevices().catch(() => {})
                                                 : Promise.resolve();
  };

  // The page's audio context, made where missing; false where there is no Web Audio.
  function makeContext() {
    if (music.context) return true;
    const Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return false;
    try {
      music.context = new Context({sampleRate: rate});
    } catch (error) {
      music.context = new Context();  // resampled by the browser
    }
    music.context.onstatechange = schedule;
    return true;
  }

  // Makes or resumes the page's audio context; false where there is no Web Audio.
  function unlockSound() {
    if (!makeContext()) return false;
    music.context.resume();
    return true;
  }

  window.startSound = function (showClockMs) {
    prepareSound();
    if (!unlockSound()) return;
    music.clock = showClockMs;
    schedule();
  };

  window.stopSound = function () {
    music.clock = null;
    clearTimeout(waiting);
    for (const source of music.sources) {
      source.stop();
      source.disconnect();
    }
    music.sources = [];
    origin = null;
    loopStarted = false;
    if (music.context) music.context.suspend();
  };
})();
