// The page around the program: the start screen, each run of the show on a
// fresh canvas whose drawing buffer matches the screen's pixels (or fewer,
// where the GPU can't keep up; ?resolution=full holds them all), the screen
// kept awake while the show plays, full screen and the pointer out of the
// way meanwhile, the chapters, and the page's modes: ?autoplay, ?from=POS
// (the show starts at song position POS, order * 100 + row; #from=POS
// too), and ?frame=POS@SECONDS[&scale=N] (one frame, drawn at N times
// 1024x768, for comparing with the capture).
'use strict';
(function () {
  const query = new URLSearchParams(location.search);
  const stage = document.getElementById('stage');
  const start = document.getElementById('start');
  const play = document.getElementById('play');
  const message = document.getElementById('message');
  const hint = document.getElementById('hint');
  const fullscreen = document.getElementById('fullscreen');
  const chapterList = document.getElementById('chapters');
  const frame = query.get('frame');
  // Where Play starts: a link's ?from= (#from= where the address's query
  // could not be changed), then the chapter last chosen.
  let from = query.get('from');
  if (from === null) from = new URLSearchParams(location.hash.slice(1)).get('from');
  const frameScale = Math.min(4, Math.max(1, Math.floor(Number(query.get('scale')) || 1)));
  const soundOptions = periodicaSoundOptions(query);
  // The largest drawing buffer: 2048x1536 is twice the demo's own picture,
  // enough for a 2x laptop screen, and keeps a phone at 3x (2532 device
  // pixels across in landscape) to 3.1 million pixels a frame instead of 4.8.
  const kLargestWidth = 2048;
  let showing = false;  // a live show runs
  let wakeLock = null;
  // The live show on the stage: its program once it runs, its sound, and
  // whether a click or tap asked it to end (perhaps before its program ran).
  let live = null;
  // While the show plays, the Full screen button and the pointer go after
  // kIdleMs without the pointer moving. Touches are followed by mouse
  // events the browser makes of them, within kTouchEchoMs: those are not
  // the mouse.
  const kIdleMs = 2000;
  const kTouchEchoMs = 800;
  let idleTimer = 0;
  let lastTouch = -Infinity;
  let touchWoke = false;  // the touch going on found the button gone
  let pointerAt = '';

  function webglOffered() {
    try {
      return !!document.createElement('canvas').getContext('webgl');
    } catch (e) {
      return false;
    }
  }

  // The canvas's full drawing buffer width: its displayed size in device
  // pixels (width a multiple of 4, the height 3/4 of it), at most
  // kLargestWidth. The show draws at this or, where the GPU can't keep up,
  // at less. It asks each frame, so the answer is kept until a resize (or
  // a new canvas): measuring the layout every frame costs the frame loop.
  let measuredWidth = 0;
  function deviceWidth(canvas) {
    if (measuredWidth) return measuredWidth;
    const shown = canvas.getBoundingClientRect().width * (window.devicePixelRatio || 1);
    const width = Math.min(kLargestWidth, Math.round(shown));
    measuredWidth = Math.max(4, width - width % 4);
    return measuredWidth;
  }
  window.addEventListener('resize', function () { measuredWidth = 0; });

  // The screen stays on while the show plays (where the browser offers a
  // wake lock); the browser drops the lock when the page is hidden, so it is
  // taken again when the page comes back.
  function keepAwake() {
    if (!showing || !navigator.wakeLock || document.visibilityState !== 'visible') return;
    if (wakeLock && !wakeLock.released) return;
    navigator.wakeLock.request('screen').then(function (lock) {
      wakeLock = lock;
      if (!showing) letSleep();
    }).catch(function () {});
  }

  function letSleep() {
    showing = false;
    if (wakeLock) wakeLock.release().catch(function () {});
    wakeLock = null;
  }

  // The GPU's share of a show is let go with its canvas, not when the
  // garbage collector gets to it: until then it counts against the
  // browser's limit of live WebGL contexts.
  function releaseCanvas() {
    const canvas = document.getElementById('canvas');
    const context = canvas && canvas.getContext('webgl');
    const loser = context && !context.isContextLost() && context.getExtension('WEBGL_lose_context');
    if (loser) loser.loseContext();
  }

  function idle() {
    return document.body.classList.contains('idle');
  }

  // The button and pointer back, and going again after kIdleMs if nothing
  // moves meanwhile.
  function wake() {
    document.body.classList.remove('idle');
    clearTimeout(idleTimer);
    if (live) idleTimer = setTimeout(function () { if (live) document.body.classList.add('idle'); }, kIdleMs);
  }

  function showStartScreen(text) {
    letSleep();
    live = null;
    wake();
    releaseCanvas();
    stage.hidden = true;
    stage.replaceChildren();
    start.hidden = false;
    message.textContent = text || '';
    console.log('periodica: start screen');
  }

  // Every run is a fresh program on a fresh canvas, with a fresh sound, as
  // every desktop run is a fresh process with a fresh window.
  function run(args, onShowEnd, sound) {
    const canvas = document.createElement('canvas');
    canvas.id = 'canvas';
    stage.replaceChildren(canvas);
    stage.hidden = false;
    start.hidden = true;
    if (frame !== null) {
      canvas.width = 1024 * frameScale;
      canvas.height = 768 * frameScale;
    } else {
      measuredWidth = 0;  // a fresh canvas, perhaps on a screen that changed meanwhile
      canvas.width = deviceWidth(canvas);
      canvas.height = canvas.width * 3 / 4;
    }
    periodicaStep('program asked for' + (args.length ? ' with ' + args.join(' ') : ''));
    const show = {program: null, sound: sound, ending: false};
    if (frame === null) {
      live = show;
      wake();
    }
    createPeriodica({
      canvas: canvas,
      arguments: args,
      sound: sound,
      stdin: function () { return null; },  // never a prompt()
      doNotCaptureKeyboard: true,           // keys do nothing, as on the desktop
      deviceWidth: function () { return deviceWidth(canvas); },
      resolution: query.get('resolution'),  // 'full': never lowered
      onShowEnd: onShowEnd,
      onFailure: function (text) {
        if (sound) sound.close();
        if (frame === null) showStartScreen('Periodica can\'t run here: ' + text);
      },
    }).then(function (program) {
      periodicaStep('program running');
      show.program = program;
      if (show.ending) program._end_show_soon();
    });
  }

  // A click or tap on the picture (or the black around it) ends the show:
  // its sound at once, its picture at the program's next frame. One that
  // comes before the program runs ends it as soon as it does.
  function endLiveShow() {
    if (!live || live.ending) return;
    periodicaStep('ended by the viewer');
    live.ending = true;
    if (live.sound) live.sound.close();
    if (live.program) live.program._end_show_soon();
  }

  // The sound is opened here, in the click or tap that starts the show, as
  // browsers start sound only then.
  function playShow() {
    periodicaStep('Play');
    const sound = openPeriodicaSound(soundOptions);
    showing = true;
    keepAwake();
    run(from !== null ? ['--from=' + from] : [], function (text) { showStartScreen(text); }, sound);
  }

  // The chapter the address names, shown picked; the address naming the
  // chapter picked, so that copying it gives a link to it.
  function markPicked() {
    chapterList.querySelectorAll('.chapter').forEach(function (button) {
      button.setAttribute('aria-pressed', String(from !== null && button.dataset.first === String(Number(from))));
    });
  }

  function pickChapter(first) {
    from = String(first);
    markPicked();
    const words = new URLSearchParams(location.search);
    words.set('from', from);
    try {
      history.replaceState(null, '', '?' + words.toString() + location.hash);
    } catch (e) {
      location.hash = 'from=' + from;  // a browser keeping the query of a page opened from disk
    }
  }

  function chapterTime(ms) {
    const seconds = Math.floor(ms / 1000);
    return Math.floor(seconds / 60) + ':' + String(seconds % 60).padStart(2, '0');
  }

  // The build's list of the show's sections: name, first position, start
  // (ms from the show's start) and still (a JPEG as hexadecimal text). A
  // chapter starts the show there at once, its sound opened in that click.
  function listChapters() {
    let chapters = [];
    try {
      chapters = JSON.parse(document.getElementById('chapter-list').textContent);
    } catch (e) {
      console.error('periodica: the chapter list is unreadable: ' + e);
    }
    chapters.forEach(function (chapter) {
      const button = document.createElement('button');
      button.type = 'button';
      button.className = 'chapter';
      button.dataset.first = String(chapter.first);
      const still = document.createElement('img');
      still.alt = '';
      still.width = 160;
      still.height = 120;
      still.src = URL.createObjectURL(new Blob([periodicaHexBytes(chapter.jpeg)], {type: 'image/jpeg'}));
      const name = document.createElement('span');
      name.className = 'name';
      name.textContent = chapter.name;
      const time = document.createElement('span');
      time.className = 'time';
      time.textContent = chapterTime(chapter.start_ms);
      button.append(still, name, time);
      button.addEventListener('click', function () {
        pickChapter(chapter.first);
        playShow();
      });
      const item = document.createElement('li');
      item.append(button);
      chapterList.append(item);
    });
    if (chapters.length) chapterList.parentNode.classList.add('listed');
    markPicked();
  }

  play.addEventListener('click', playShow);
  // A mouse click on the picture ends the show at once. A touch ends it
  // only while the button shows; one that finds it gone brings it back.
  document.addEventListener('touchstart', function () {
    lastTouch = performance.now();
    touchWoke = idle();
    if (live) wake();
  }, {capture: true, passive: true});
  document.addEventListener('touchend', function () { lastTouch = performance.now(); }, {passive: true});
  stage.addEventListener('touchstart', function () { if (!touchWoke) endLiveShow(); }, {passive: true});
  stage.addEventListener('mousedown', function () {
    if (performance.now() - lastTouch >= kTouchEchoMs) endLiveShow();
  });
  document.addEventListener('mousemove', function (event) {
    // Browsers also send a move when what lies under a still pointer changes.
    const at = event.screenX + ',' + event.screenY;
    if (at === pointerAt) return;
    pointerAt = at;
    if (live && performance.now() - lastTouch >= kTouchEchoMs) wake();
  });
  document.addEventListener('visibilitychange', keepAwake);

  // Full screen where the browser offers it, turned to landscape where it
  // allows; where it is not offered the picture fills the viewport anyway.
  fullscreen.hidden = !document.fullscreenEnabled;
  fullscreen.addEventListener('click', function () {
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(function () {});
      return;
    }
    document.documentElement.requestFullscreen().then(function () {
      if (screen.orientation && screen.orientation.lock) screen.orientation.lock('landscape').catch(function () {});
    }, function () {});
  });

  // The words fit the device: a tap where the primary input is touch.
  if (window.matchMedia && matchMedia('(pointer: coarse)').matches)
    hint.textContent = 'A tap on the picture ends the show; once its button has gone, the first tap brings it back.';

  // A still of the show behind the start screen's words.
  const face = document.getElementById('face').textContent.trim();
  if (face) {
    const still = new Blob([periodicaHexBytes(face)], {type: 'image/jpeg'});
    start.style.backgroundImage = 'url(' + URL.createObjectURL(still) + ')';
  }

  listChapters();

  if (!webglOffered()) {
    const text = 'Periodica draws with WebGL, which this browser does not offer or has turned off.';
    if (frame !== null) {
      document.body.textContent = text;
    } else {
      showStartScreen(text);
      play.disabled = true;
    }
    console.error(text);
  } else if (frame !== null) {
    document.body.classList.add('frame');
    fullscreen.hidden = true;
    run(['--frame=' + frame], null, null);
  } else if (query.has('autoplay') || soundOptions.measure) {
    playShow();
  } else {
    showStartScreen();
  }
})();
