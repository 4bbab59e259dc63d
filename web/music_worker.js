// The show's music, made in a Web Worker by the synthesizer compiled for the browser
// (music_synth.js): renders the loop, posts it to the page in blocks of one second
// ({frames, first, pcm}: the loop's length, the block's first frame, 16-bit stereo
// interleaved), then {frames, renderMs}, the render's time, and ends. A render that
// fails posts {error}.
'use strict';
importScripts('music_synth.js');

const blockFrames = 44100;

makeMusicSynth().then((synth) => {
  const began = performance.now();
  const at = synth._webRenderMusic();
  const renderMs = performance.now() - began;
  const frames = synth._webMusicFrames();
  if (!at) throw new Error('the song cannot be played');
  const samples = new Int16Array(synth.HEAP16.buffer, at, 2 * frames);
  for (let first = 0; first < frames; first += blockFrames) {
    const pcm = samples.slice(2 * first, 2 * Math.min(frames, first + blockFrames));
    postMessage({frames, first, pcm}, [pcm.buffer]);
  }
  postMessage({frames, renderMs});
  close();
}).catch((error) => postMessage({error: String(error)}));
