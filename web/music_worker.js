// The show's music, made in a Web Worker by the synthesizer compiled for the browser
// (music_synth.js): streams the song from silence, ten times as fast as it plays, and
// posts it to the page in blocks of one second ({frames, first, channels, lead}: the
// length of a pass, the block's first frame, its samples as two Float32Arrays, left and
// right, as Web Audio takes them), first the first pass (lead), then the second, which is
// the loop; then {frames, renderMs, cached}, then {kept} once the loop is stored, and ends.
// A render that fails posts {error}. The loop is kept in the browser's IndexedDB under a
// hash of the synthesizer's code, so a second visit has it at once (no first pass); a new
// build renders (and keeps) it anew.
'use strict';
importScripts('music_synth.js');

const blockFrames = 44100;
// The song is made at most this many blocks a second: ten times as fast as it plays, far
// ahead of the show, yet the page's thread (which copies each block) and the device's
// cores are left to the show as it starts, and the page takes in its samples a few MB a
// second rather than 58 MB within the first seconds.
const blocksPerSecond = 10;

// FNV-1a of the synthesizer's wasm, and its length: the key of the loop it renders.
function keyOf(bytes) {
  let hash = 0x811c9dc5;
  for (let i = 0; i < bytes.length; ++i) hash = Math.imul(hash ^ bytes[i], 16777619) >>> 0;
  return `${hash.toString(16)}-${bytes.length}`;
}

// The IndexedDB request's result, or undefined when IndexedDB fails (private browsing,
// no space): the music is then rendered, and not kept.
function settle(request) {
  return new Promise((resolve) => {
    request.onsuccess = () => resolve(request.result);
    request.onerror = (event) => { event.preventDefault(); resolve(undefined); };
  });
}

// The store of rendered loops: one object store, 'loops', holding the newest only.
async function openStore() {
  try {
    const request = indexedDB.open('kessivar-music', 1);
    request.onupgradeneeded = () => request.result.createObjectStore('loops');
    return await settle(request);
  } catch (error) {
    return undefined;
  }
}

// The result of request(loops) on the store once its transaction is committed (a worker
// that ends before would lose it), or undefined when it fails.
async function onLoops(db, mode, request) {
  try {
    const transaction = db.transaction('loops', mode);
    const committed = new Promise((resolve) => {
      transaction.oncomplete = () => resolve(true);
      transaction.onabort = () => resolve(false);
    });
    const result = await settle(request(transaction.objectStore('loops')));
    return (await committed) ? result : undefined;
  } catch (error) {
    return undefined;
  }
}

// Posts 16-bit interleaved stereo as a block of float channels.
function postBlock(frames, first, pcm, lead) {
  const count = pcm.length / 2, channels = [new Float32Array(count), new Float32Array(count)];
  for (let i = 0; i < count; ++i) {
    channels[0][i] = pcm[2 * i] / 32768;
    channels[1][i] = pcm[2 * i + 1] / 32768;
  }
  const block = lead ? {frames, first, channels, lead} : {frames, first, channels};
  postMessage(block, channels.map((samples) => samples.buffer));
}

// Resolves when the next block may be made: the first at once, each other a 1/blocksPerSecond
// of a second after the one before, or at once if that is past (a worker slowed down, as in
// a hidden tab, does not then make up for lost time in a burst).
let due = 0;  // performance.now() from which the next block may be made
function paced() {
  const now = performance.now(), wait = due - now;
  due = Math.max(due, now) + 1000 / blocksPerSecond;
  return new Promise((resolve) => setTimeout(resolve, Math.max(0, wait)));
}

// Posts the stream's blocks of frames [0, frames) as they are made: pass 'lead' for the
// first pass, and keep it in `into` (the loop) when given.
async function postPass(synth, frames, lead, into) {
  for (let first = 0; first < frames; first += blockFrames) {
    await paced();
    const count = Math.min(blockFrames, frames - first);
    const at = synth._webMusicNext(count);
    const pcm = new Int16Array(synth.HEAP16.buffer, at, 2 * count);
    if (into) into.set(pcm, 2 * first);
    postBlock(frames, first, pcm, lead);
  }
}

(async () => {
  const wasm = new Uint8Array(await (await fetch('music_synth.wasm')).arrayBuffer());
  const key = keyOf(wasm);
  const db = await openStore();
  const began = performance.now();
  let samples = db && await onLoops(db, 'readonly', (loops) => loops.get(key));
  const cached = samples instanceof Int16Array;
  let frames;
  if (cached) {
    frames = samples.length / 2;
    for (let first = 0; first < frames; first += blockFrames) {
      postBlock(frames, first, samples.subarray(2 * first, 2 * Math.min(frames, first + blockFrames)),
                false);
    }
  } else {
    const synth = await makeMusicSynth({wasmBinary: wasm});
    frames = synth._webMusicFrames();
    if (!frames || !synth._webMusicOpen()) throw new Error('the song cannot be played');
    await postPass(synth, frames, true, null);
    samples = new Int16Array(2 * frames);
    await postPass(synth, frames, false, samples);
  }
  postMessage({frames, renderMs: performance.now() - began, cached});
  if (db && !cached) {
    await onLoops(db, 'readwrite', (loops) => loops.clear());
    const kept = await onLoops(db, 'readwrite', (loops) => loops.put(samples, key));
    postMessage({kept: kept !== undefined});
  }
  close();
})().catch((error) => postMessage({error: String(error)}));
