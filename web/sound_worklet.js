// The page's AudioWorklet: runs on the browser's audio rendering thread.
//
// 'periodica-sound' makes the show's sound with the audio module (the
// desktop's player, voices, mixer and audio callback in WebAssembly), plays
// it a render quantum per process call, and tells the page where each song
// position starts, in samples from the first, some 49 ms before it plays.
// 'periodica-tap' passes its input through and, for the page's tests, sends
// every frame it passes to the page.
'use strict';

// How often, in quanta, the page hears how far the sound is made even when
// no position started: it draws nothing far beyond what it knows.
const kReportEvery = 4;
// How far ahead of what it plays the sound is made, in samples (49 ms). A
// frame is shown a frame interval after it is drawn, and on a device with
// little latency the sound heard then is not played yet: the page must
// already know where its rows start. The samples heard are the same, only
// made sooner.
const kMadeAhead = 2176;
// The made samples not yet played; larger than kMadeAhead and a request.
const kAheadCapacity = 8192;
// The most audio_render makes at once.
const kMostFrames = 4096;
// The show lasts about 148 s.
const kShowSeconds = 150;
const kMeasurePasses = 10;

class PeriodicaSound extends AudioWorkletProcessor {
  // processorOptions: wasm (the audio module's bytes), song (the module
  // file's bytes), from (a song position to start at, 0 for the start),
  // fail (tests: refuse to start), measure (benchmark: time the whole song
  // instead of playing it).
  constructor(options) {
    super();
    const settings = options.processorOptions;
    if (settings.fail) throw new Error('the sound worklet was told to fail');
    const audio = new WebAssembly.Instance(new WebAssembly.Module(settings.wasm), {}).exports;
    audio._initialize();
    this.audio = audio;
    this.song = new Uint8Array(settings.song);
    if (settings.measure) this.measure(settings.measure);
    this.load();
    this.firstFrame = 0;   // context frame of the sound's first sample (negative
                           // when the show starts part-way; later after a skip)
    this.skipped = 0;      // context frames for which the node was not called
    this.lastFrame = 0;    // the context frame of the last quantum made
    this.made = 0;         // samples played so far
    this.ahead = new Float32Array(kAheadCapacity);  // a ring of the samples made, not yet played
    this.aheadStart = 0;
    this.aheadCount = 0;
    this.quanta = 0;
    this.playing = false;
    if (settings.from > 0) this.skipTo(settings.from);
    // Silent until the page says 'play': the browser may run this node for
    // a while before its connection to the speakers takes effect (seen for
    // tens of ms after a long start), and what it made then is never heard.
    this.port.onmessage = (event) => { if (event.data === 'play') this.playing = true; };
    this.port.postMessage({ready: true});
  }

  // Starts at song position `position`: the song is made silently up to it,
  // and samples are still counted from its first (the show's clock reads
  // them so), as if the skipped ones had been played before the first
  // frame. A position the song never reaches leaves it at its start.
  skipTo(position) {
    const tick = this.audio.audio_seek(position);
    this.load();
    if (tick < 0) return;
    this.audio.audio_skip(tick);
    this.made = tick * (sampleRate / 50);
  }

  // The song from its start (the module's patterns are converted in place,
  // so each start loads a fresh copy).
  load() {
    const audio = this.audio;
    new Uint8Array(audio.memory.buffer, audio.audio_song_buffer(), this.song.length).set(this.song);
    if (!audio.audio_start()) throw new Error('the audio module refused the song');
  }

  process(inputs, outputs) {
    const out = outputs[0][0];
    if (!this.playing) {
      out.fill(0);
      return true;
    }
    const audio = this.audio;
    // The song's first sample as this quantum places it. A busy browser may
    // not call a node for some quanta (seen: 0.4 s as a new context starts
    // under load); the song then plays on that much later on the context's
    // clock, and the page must hear of it, or its picture waits for sound it
    // thinks is late.
    if (this.quanta > 0 && currentFrame !== this.lastFrame + out.length) {
      this.skipped += currentFrame - this.lastFrame - out.length;
    }
    this.firstFrame = currentFrame - this.made;
    this.lastFrame = currentFrame;
    ++this.quanta;
    this.makeAhead(kMadeAhead + out.length - this.aheadCount);
    this.play(out);
    this.made += out.length;
    // Known: the samples whose position changes the page has been told of.
    const count = audio.audio_change_count();
    if (count > 0 || this.quanta % kReportEvery === 0) {
      const changes = Array.from(new Int32Array(audio.memory.buffer, audio.audio_changes(), count * 2));
      this.port.postMessage({first: this.firstFrame, made: this.made, known: this.made + this.aheadCount,
                             changes: changes, skipped: this.skipped});
    }
    return true;
  }

  // Makes `frames` more samples (at most kMostFrames) at the ring's end.
  makeAhead(frames) {
    if (frames <= 0) return;
    frames = Math.min(frames, kMostFrames, kAheadCapacity - this.aheadCount);
    const audio = this.audio;
    const made = new Float32Array(audio.memory.buffer, audio.audio_render(frames), frames);
    const at = (this.aheadStart + this.aheadCount) % kAheadCapacity;
    const before = Math.min(frames, kAheadCapacity - at);
    this.ahead.set(made.subarray(0, before), at);
    this.ahead.set(made.subarray(before), 0);
    this.aheadCount += frames;
  }

  // Plays the ring's first out.length samples into out.
  play(out) {
    const before = Math.min(out.length, kAheadCapacity - this.aheadStart);
    out.set(this.ahead.subarray(this.aheadStart, this.aheadStart + before));
    out.set(this.ahead.subarray(0, out.length - before), before);
    this.aheadStart = (this.aheadStart + out.length) % kAheadCapacity;
    this.aheadCount -= out.length;
  }

  // The cost of a quantum: the show's sound made quantum by quantum, timed
  // per window of `seconds`, each window's microseconds per quantum sent to
  // the page. The scope has no fine clock, only Date.now()'s milliseconds,
  // so the show is made kMeasurePasses times and each window's times added.
  measure(seconds) {
    const quantum = 128;
    const perWindow = Math.round(seconds * sampleRate / quantum);
    const windows = new Array(Math.ceil(kShowSeconds / seconds)).fill(0);
    for (let pass = 0; pass < kMeasurePasses; ++pass) {
      this.load();
      for (let w = 0; w < windows.length; ++w) {
        const started = Date.now();
        for (let q = 0; q < perWindow; ++q) this.audio.audio_render(quantum);
        this.audio.audio_change_count();
        windows[w] += Date.now() - started;
      }
    }
    const us = windows.map(function (ms) { return ms * 1000 / (perWindow * kMeasurePasses); });
    this.port.postMessage({measured: us, seconds: seconds});
  }
}

class PeriodicaTap extends AudioWorkletProcessor {
  constructor() {
    super();
    this.chunk = new Float32Array(8192);
    this.filled = 0;
    this.chunkFrame = -1;
    this.port.postMessage('ready');
  }

  process(inputs, outputs) {
    const input = inputs[0][0];
    const out = outputs[0][0];
    if (!input) {
      out.fill(0);
      return true;
    }
    out.set(input);
    if (this.filled === 0) this.chunkFrame = currentFrame;
    this.chunk.set(input, this.filled);
    this.filled += input.length;
    if (this.filled + input.length > this.chunk.length) {
      const taken = this.chunk.slice(0, this.filled);
      this.port.postMessage({frame: this.chunkFrame, samples: taken}, [taken.buffer]);
      this.filled = 0;
    }
    return true;
  }
}

registerProcessor('periodica-sound', PeriodicaSound);
registerProcessor('periodica-tap', PeriodicaTap);
