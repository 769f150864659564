// The show's sound in the page: an audio context at the desktop's 44100 Hz
// whose AudioWorklet makes the sound on the browser's audio thread, and the
// page's knowledge of what is heard when. The page's main thread never
// makes, queues or times samples; it asks which sample reaches the ear at
// the moment a frame is shown, and where each song position starts.
//
// The worklet's source and the audio module come from the page itself
// (#sound-worklet, #audio-module): the page stays one file that works from
// file://, where a blob: module is refused and a data: one is not.
'use strict';

// Tests and the benchmark, from the page's query: 'test' records what the
// worklet hands the audio graph and what each frame drew
// (window.periodicaTest); 'test=worklet-fails' makes the worklet refuse to
// start; with 'test', 'print=SECONDS' prints periodicaTest.dump() on the
// console (each line after 'periodica-test: ', then 'periodica-test: end')
// once the tap has passed that many seconds of the song, for browsers that
// can only be read by their console; 'bench=worklet' times the making of the
// whole show's sound, and reports it on the console, before the show starts.
function periodicaSoundOptions(query) {
  periodicaStepsShown = query.has('steps');
  if (periodicaStepsShown && window.PerformanceObserver) {
    try {
      new PerformanceObserver(function (list) {
        list.getEntries().forEach(function (task) {
          periodicaStep('long task of ' + task.duration.toFixed(0) + ' ms from ' + task.startTime.toFixed(1));
        });
      }).observe({entryTypes: ['longtask']});
    } catch (e) {}
  }
  return {
    record: query.has('test'),
    printAfter: Number(query.get('print')) || 0,
    fail: query.get('test') === 'worklet-fails',
    measure: query.get('bench') === 'worklet' ? 10 : 0,
  };
}

// Tests: with 'steps' in the query, each step of a show's start and end goes
// on the console ("periodica-step: MS TEXT", MS the page's clock), to tell
// where a start that never shows stopped.
let periodicaStepsShown = false;
function periodicaStep(text) {
  if (periodicaStepsShown) console.log('periodica-step: ' + performance.now().toFixed(1) + ' ' + text);
}

// The bytes of a text of hexadecimal digits: how the page carries its
// binary parts (the audio module, the start screen's still).
function periodicaHexBytes(hex) {
  const bytes = new Uint8Array(hex.length / 2);
  for (let i = 0; i < bytes.length; ++i) bytes[i] = parseInt(hex.substr(i * 2, 2), 16);
  return bytes;
}

// An opened sound, or null where the browser offers no AudioWorklet (the
// show then plays silently). Open it in the click that starts the show, so
// the browser lets it sound.
function openPeriodicaSound(options) {
  const Context = window.AudioContext || window.webkitAudioContext;
  if (!Context || !window.AudioWorkletNode) return null;
  let context;
  try {
    context = new Context({sampleRate: 44100, latencyHint: 'interactive'});
  } catch (e) {
    return null;
  }
  const opened = ++openPeriodicaSound.count;
  function step(text) { periodicaStep('sound ' + opened + ': ' + text); }
  step('context ' + context.state);
  context.onstatechange = function () { step('context ' + context.state); };
  if (!context.audioWorklet) {
    context.close().catch(function () {});
    return null;
  }
  const source = document.getElementById('sound-worklet').textContent;
  const wasm = periodicaHexBytes(document.getElementById('audio-module').textContent.trim());

  const sound = {
    context: context,
    state: 'opening',      // then 'playing' (the first sample is made) or 'failed'
    failure: '',
    first: null,           // context frame of the song's first sample (before the
                           // context's start when the show starts part-way; later
                           // after the browser skipped some of the sound)
    skipped: 0,            // context frames the browser skipped, as last reported
    made: 0,               // samples played, as far as the page has heard
    known: 0,              // samples whose position changes the page has heard of
    lastReport: 0,         // page time (ms) of the worklet's last report
    changes: [],           // [first sample, position] pairs not yet taken
    interval: 1000 / 60,   // the display's frame interval, ms, as the frames show it
    lastTimestamp: 0,
    stamp: null,           // the output timestamp the last estimate used
    nodes: [],
  };
  const log = options.record ? (window.periodicaTest = {frames: [], taps: [], first: -1}) : null;
  // Tests: what was recorded, as lines of text: "first FRAME", one "sound
  // FRAME BASE64" per stretch the tap passed (from context frame FRAME, the
  // floats' bytes, little-endian), and one "frame TIMESTAMP SHOWN POSITION
  // HEARD CONTEXT_TIME PERFORMANCE_TIME MADE" per frame drawn (the output clock's
  // reading the estimate used, -1 -1 where none was asked; MADE the samples
  // played then, as the page had heard).
  if (log) log.dump = function () {
    const lines = ['first ' + log.first];
    log.taps.forEach(function (tap) {
      const bytes = new Uint8Array(tap.samples.buffer);
      let text = '';
      for (let i = 0; i < bytes.length; i += 8192)
        text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
      lines.push('sound ' + tap.frame + ' ' + btoa(text));
    });
    log.frames.forEach(function (frame) { lines.push('frame ' + frame.join(' ')); });
    return lines.join('\n') + '\n';
  };

  function fail(text) {
    if (sound.state === 'failed') return;
    sound.state = 'failed';
    sound.failure = text;
  }

  function hear(message) {
    if (message.measured) {
      const worst = Math.max.apply(null, message.measured);
      console.log('periodica: the worklet makes a 128-frame quantum in ' + worst.toFixed(2) +
                  ' us in the busiest ' + message.seconds + ' s of the show (' +
                  message.measured.map(function (us) { return us.toFixed(2); }).join(' ') + ')');
      return;
    }
    if (sound.first === null) {
      step('first report, first sample at context frame ' + message.first);
      if (log) log.first = message.first;
      if (sound.state === 'opening') sound.state = 'playing';
    } else if (message.skipped !== sound.skipped) {
      step('the browser skipped ' + (message.skipped - sound.skipped) + ' frames of the sound; its first sample ' +
           'is now at context frame ' + message.first);
    }
    sound.first = message.first;  // later after a skip
    sound.skipped = message.skipped;
    sound.made = message.made;
    sound.known = message.known;
    sound.lastReport = performance.now();
    for (let i = 0; i < message.changes.length; i += 2)
      sound.changes.push(message.changes[i], message.changes[i + 1]);
  }

  const ready = context.audioWorklet.addModule('data:text/javascript;charset=utf-8,' + encodeURIComponent(source));
  ready.then(function () { step('worklet module loaded'); },
             function (e) { fail('the sound worklet did not load: ' + e); });
  context.resume().catch(function () {});

  // The tests' tap, between the sound and the speakers: in place and
  // running before the sound starts, so it passes on the sound's first
  // sample. Without tests, the speakers themselves.
  function destination() {
    if (!log) return Promise.resolve(context.destination);
    return new Promise(function (resolve) {
      const tap = new AudioWorkletNode(context, 'periodica-tap', {
        numberOfInputs: 1, numberOfOutputs: 1, outputChannelCount: [1],
        channelCount: 1, channelCountMode: 'explicit',
      });
      tap.port.onmessage = function (event) {
        if (event.data === 'ready') {
          step('tap ready');
          return resolve(tap);
        }
        log.taps.push(event.data);
        // Counted from the song's first sample: the silence the tap passes
        // before it varies from run to run.
        const played = log.first < 0 ? 0 : event.data.frame + event.data.samples.length - log.first;
        if (options.printAfter && played >= options.printAfter * context.sampleRate && !log.printed) {
          log.printed = true;
          log.dump().split('\n').forEach(function (line) { if (line) console.log('periodica-test: ' + line); });
          console.log('periodica-test: end');
        }
      };
      tap.connect(context.destination);
      sound.nodes.push(tap);
    });
  }

  // Starts the sound of the module file `song` (an ArrayBuffer), at song
  // position `from` (0 or absent: the start).
  sound.start = function (song, from) {
    step('start asked');
    ready.then(destination).then(function (target) {
      if (sound.state === 'failed') return step('start dropped: ' + sound.failure);
      const maker = new AudioWorkletNode(context, 'periodica-sound', {
        numberOfInputs: 0, numberOfOutputs: 1, outputChannelCount: [1],
        processorOptions: {wasm: wasm.buffer, song: song, from: from || 0, fail: options.fail,
                           measure: options.measure},
      });
      maker.onprocessorerror = function () { fail('the sound worklet stopped with an error'); };
      // It plays once it is ready and connected, its long start (a skip to
      // ?from='s row) behind it: what it makes from then on is heard.
      maker.port.onmessage = function (event) {
        if (event.data.ready) {
          step('worklet ready; play');
          maker.port.postMessage('play');
        } else {
          hear(event.data);
        }
      };
      step('worklet node made');
      sound.nodes.push(maker);
      maker.connect(target);
    }).catch(function (e) { fail('the sound worklet did not start: ' + e); });
  };

  // Firefox answers getOutputTimestamp and outputLatency by asking its sound
  // server while it holds its audio graph's lock; asked while the stream
  // starts, that has hung the tab and stopped the sound for good (the server
  // waits for the audio thread, the audio thread for the graph). There the
  // render clock alone places the sound, and the picture leads it by the
  // output latency, tens of ms.
  const outputClockAsked = !/Firefox\//.test(navigator.userAgent);
  function outputStamp() {
    return outputClockAsked && context.getOutputTimestamp ? context.getOutputTimestamp() : null;
  }

  // True while the context runs: a suspended one (sound refused) is heard by nobody.
  sound.running = function () { return context.state === 'running'; };

  // The sample that reaches the ear when the frame begun at animation-frame
  // time `timestamp` (ms) is shown, one frame interval later, counted from
  // the sound's first sample; negative before it. From the browser's output
  // clock, which places a context time at the speaker at a page time; where
  // it is not offered or not asked, from the render clock less the latencies.
  sound.heardSample = function (timestamp) {
    const delta = timestamp - sound.lastTimestamp;
    if (delta > 0 && delta < 50) sound.interval += (delta - sound.interval) * 0.1;
    sound.lastTimestamp = timestamp;
    if (sound.first === null) return -1;
    const shown = timestamp + sound.interval;
    const stamp = outputStamp();
    let seconds;
    if (stamp && stamp.performanceTime > 0) {
      seconds = stamp.contextTime + (shown - stamp.performanceTime) / 1000;
    } else {
      const outputLatency = outputClockAsked ? context.outputLatency || 0 : 0;
      seconds = context.currentTime - (context.baseLatency || 0) - outputLatency +
                (shown - performance.now()) / 1000;
    }
    sound.stamp = {timestamp: timestamp, shown: shown, stamp: stamp};
    return seconds * context.sampleRate - sound.first;
  };

  // Tests (?steps): the clocks, in samples from the first.
  sound.clocks = function () {
    const stamp = outputStamp() || {contextTime: -1, performanceTime: -1};
    const rate = context.sampleRate;
    return 'render ' + (context.currentTime * rate - sound.first).toFixed(0) + ', output ' +
           (stamp.contextTime * rate - sound.first).toFixed(0) + ' at ' + stamp.performanceTime.toFixed(1) +
           ' (now ' + performance.now().toFixed(1) + '), made ' + sound.made + ', known ' + sound.known +
           ', skipped ' + sound.skipped + ', latencies ' + context.baseLatency + ' + ' +
           (outputClockAsked ? context.outputLatency : '(not asked)');
  };

  // Tests: what the frame drew, with what its estimate used.
  sound.noteFrame = function (position, heard) {
    if (!log || !sound.stamp) return;
    const s = sound.stamp;
    log.frames.push([s.timestamp, s.shown, position, heard, s.stamp ? s.stamp.contextTime : -1,
                     s.stamp ? s.stamp.performanceTime : -1, sound.made]);
  };

  // Ends the sound at once; nothing of it outlives the show.
  sound.close = function () {
    step('close (' + sound.state + ')');
    fail('closed');
    sound.nodes.forEach(function (node) { node.disconnect(); node.port.onmessage = null; });
    sound.nodes = [];
    if (context.state !== 'closed') {
      context.close().then(function () { step('closed'); }, function (e) { step('close failed: ' + e); });
    }
  };
  return sound;
}
openPeriodicaSound.count = 0;
