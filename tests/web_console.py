#!/usr/bin/env python3
"""Opens a page in headless Chromium for some seconds of real time, prints
what its console said and saves a screenshot of it.

usage: web_console.py [OPTION ...] CHROMIUM URL SECONDS SCREENSHOT.png [ACTION ...]

Each action happens AT seconds after the page was opened:
  AT=SCRIPT        runs the JavaScript SCRIPT in the page, as if a person's
                   gesture did it (so it may start sound)
  AT>FILE=SCRIPT   the same, awaiting its result and writing it (a string)
                   to FILE
  AT=@hide         puts another tab in front of the page
  AT=@show         brings the page to the front again
  AT=@tap:SELECTOR touches the middle of the page's element SELECTOR
  AT=@click:SELECTOR clicks the mouse's left button there
  AT=@move:X,Y     moves the mouse to X,Y (CSS pixels of the viewport)
Options:
  --autoplay       lets the page start sound without a gesture
  --screen W,H,R   a viewport of W x H CSS pixels at device pixel ratio R
                   (default 1024,768,1)
  --phone          emulates a phone: mobile viewport and touch screen
  --before SCRIPT  runs SCRIPT in the page before any of its own
  --throttle N     slows the page's CPU N times (Chromium's CPU throttling,
                   as its DevTools offer it; 1 is none)
  --trace FILE     records a trace of every process from the page's opening
                   to its end (the timeline, V8 and GPU categories: each event
                   with its wall and thread time) and writes its events to
                   FILE as JSON, as DevTools saves them
  --samples        adds V8's sampled profile (which function ran) to the trace
  --categories C   adds the trace categories C (comma-separated), such as
                   viz,cc,disabled-by-default-gpu.service

Chromium is driven over its DevTools pipe (commands on its fd 3, replies and
events on its fd 4). Prints one line per console message, log entry or
uncaught exception, "KIND: text" (log, info, warning, error, exception,
...). Exit status 0, or 1 with a one-line message when the browser can't be
driven.
"""
import base64
import fcntl
import json
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

QUIET = ['--headless=new', '--no-sandbox', '--disable-background-networking', '--disable-component-update',
         '--disable-sync', '--no-first-run', '--disable-quic', '--use-angle=swiftshader',
         '--enable-unsafe-swiftshader', '--window-size=1024,768', '--hide-scrollbars']


class Browser:
    def __init__(self, chromium, profile, flags):
        to_r, self.to_w = os.pipe()
        self.from_r, from_w = os.pipe()
        # Out of the way of 3 and 4 before they are put there in the child.
        to_r, from_w = fcntl.fcntl(to_r, fcntl.F_DUPFD, 10), fcntl.fcntl(from_w, fcntl.F_DUPFD, 10)

        def pipe_fds():
            os.dup2(to_r, 3)
            os.dup2(from_w, 4)

        self.process = subprocess.Popen([chromium] + QUIET + flags + ['--remote-debugging-pipe', '--user-data-dir=' + profile,
                                                              'about:blank'],
                                        pass_fds=(3, 4), preexec_fn=pipe_fds, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.next_id = 0
        self.buffer = b''
        self.lines = []
        self.trace_events = []
        self.trace_complete = False

    def send(self, method, params=None, session=None):
        self.next_id += 1
        message = {'id': self.next_id, 'method': method, 'params': params or {}}
        if session:
            message['sessionId'] = session
        os.write(self.to_w, json.dumps(message).encode() + b'\0')
        return self.next_id

    def note(self, message):
        method, params = message.get('method'), message.get('params', {})
        if method == 'Runtime.consoleAPICalled':
            text = ' '.join(str(a.get('value', a.get('description', ''))) for a in params.get('args', []))
            self.lines.append(params.get('type', 'log') + ': ' + text)
        elif method == 'Runtime.exceptionThrown':
            details = params.get('exceptionDetails', {})
            self.lines.append('exception: ' + details.get('exception', {}).get('description', details.get('text', '')))
        elif method == 'Tracing.dataCollected':
            self.trace_events.extend(params.get('value', []))
        elif method == 'Tracing.tracingComplete':
            self.trace_complete = True
        elif method == 'Log.entryAdded':
            entry = params.get('entry', {})
            self.lines.append(entry.get('level', 'log') + ': ' + entry.get('text', ''))

    def pump(self, until, reply_id=None):
        """Notes events until the reply to reply_id (returned) or the time until."""
        while True:
            while b'\0' in self.buffer:
                raw, self.buffer = self.buffer.split(b'\0', 1)
                message = json.loads(raw)
                if reply_id is not None and message.get('id') == reply_id:
                    if 'error' in message:
                        raise RuntimeError(message['error'].get('message', 'error'))
                    return message.get('result', {})
                self.note(message)
            left = until - time.monotonic()
            if left <= 0:
                if reply_id is not None:
                    raise RuntimeError('Chromium did not answer in time')
                return None
            ready, _, _ = select.select([self.from_r], [], [], left)
            if ready:
                chunk = os.read(self.from_r, 1 << 20)
                if not chunk:
                    raise RuntimeError('Chromium closed its DevTools pipe')
                self.buffer += chunk

    def call(self, method, params=None, session=None, seconds=60):
        return self.pump(time.monotonic() + seconds, self.send(method, params, session))


def parse_action(text):
    """(seconds, file or None, script) of AT=SCRIPT or AT>FILE=SCRIPT."""
    at, script = text.split('=', 1)
    at, _, file = at.partition('>')
    return float(at), file or None, script


def middle_of(browser, session, selector):
    """The viewport's x, y at the middle of the page's element selector."""
    where = browser.call('Runtime.evaluate', {
        'expression': 'JSON.stringify((r => [r.left + r.width / 2, r.top + r.height / 2])'
                      '(document.querySelector(%s).getBoundingClientRect()))' % json.dumps(selector),
        'returnByValue': True}, session)
    return json.loads(where['result']['value'])


def act(browser, session, target, file, script):
    if script == '@hide':
        other = browser.call('Target.createTarget', {'url': 'about:blank'})['targetId']
        browser.call('Target.activateTarget', {'targetId': other})
    elif script == '@show':
        browser.call('Target.activateTarget', {'targetId': target})
    elif script.startswith('@tap:'):
        x, y = middle_of(browser, session, script[5:])
        point = [{'x': x, 'y': y}]
        browser.call('Input.dispatchTouchEvent', {'type': 'touchStart', 'touchPoints': point}, session)
        browser.call('Input.dispatchTouchEvent', {'type': 'touchEnd', 'touchPoints': []}, session)
    elif script.startswith('@click:'):
        x, y = middle_of(browser, session, script[7:])
        for kind in ('mousePressed', 'mouseReleased'):
            browser.call('Input.dispatchMouseEvent',
                         {'type': kind, 'x': x, 'y': y, 'button': 'left', 'clickCount': 1}, session)
    elif script.startswith('@move:'):
        x, y = (float(value) for value in script[6:].split(','))
        browser.call('Input.dispatchMouseEvent', {'type': 'mouseMoved', 'x': x, 'y': y}, session)
    else:
        reply = browser.call('Runtime.evaluate', {'expression': script, 'userGesture': True,
                                                  'awaitPromise': file is not None, 'returnByValue': True},
                             session)
        if file is not None:
            if 'exceptionDetails' in reply:
                raise RuntimeError('the script for ' + file + ' failed: ' + str(reply['exceptionDetails']))
            with open(file, 'w') as out:
                out.write(str(reply.get('result', {}).get('value', '')))


def main():
    arguments = sys.argv[1:]
    flags, screen, phone, before, throttle, trace = [], (1024, 768, 1.0), False, None, 1.0, None
    categories = 'devtools.timeline,v8,gpu,toplevel,blink.user_timing'
    while arguments and arguments[0].startswith('--'):
        option = arguments.pop(0)
        if option == '--autoplay':
            flags.append('--autoplay-policy=no-user-gesture-required')
        elif option == '--screen' and arguments:
            width, height, ratio = arguments.pop(0).split(',')
            screen = (int(width), int(height), float(ratio))
        elif option == '--phone':
            phone = True
        elif option == '--before' and arguments:
            before = arguments.pop(0)
        elif option == '--throttle' and arguments:
            try:
                throttle = float(arguments.pop(0))
            except ValueError:
                sys.exit('web_console.py: --throttle takes a rate, such as 4')
        elif option == '--trace' and arguments:
            trace = arguments.pop(0)
        elif option == '--samples':
            categories += ',disabled-by-default-v8.cpu_profiler'
        elif option == '--categories' and arguments:
            categories += ',' + arguments.pop(0)
        else:
            sys.exit('web_console.py: unknown option ' + option)
    if len(arguments) < 4 or not all('=' in action for action in arguments[4:]):
        sys.exit(__doc__.strip().splitlines()[3])
    chromium, url, seconds, screenshot = arguments[0], arguments[1], float(arguments[2]), arguments[3]
    actions = sorted((parse_action(a) for a in arguments[4:]), key=lambda action: action[0])
    profile = tempfile.mkdtemp(prefix='periodica-chromium-')
    browser = Browser(chromium, profile, flags)
    try:
        target = browser.call('Target.createTarget', {'url': 'about:blank'})['targetId']
        session = browser.call('Target.attachToTarget', {'targetId': target, 'flatten': True})['sessionId']
        for domain in ('Runtime', 'Log', 'Page'):
            browser.call(domain + '.enable', session=session)
        browser.call('Emulation.setDeviceMetricsOverride',
                     {'width': screen[0], 'height': screen[1], 'deviceScaleFactor': screen[2], 'mobile': phone},
                     session)
        if phone:
            browser.call('Emulation.setTouchEmulationEnabled', {'enabled': True, 'maxTouchPoints': 5}, session)
        if before:
            browser.call('Page.addScriptToEvaluateOnNewDocument', {'source': before}, session)
        if throttle != 1:
            browser.call('Emulation.setCPUThrottlingRate', {'rate': throttle}, session)
        if trace:
            browser.call('Tracing.start', {'categories': categories, 'transferMode': 'ReportEvents'})
        opened = time.monotonic()
        browser.call('Page.navigate', {'url': url}, session)
        for at, file, script in actions:
            browser.pump(opened + at)
            act(browser, session, target, file, script)
        browser.pump(opened + seconds)
        if trace:
            browser.call('Tracing.end')
            waited = time.monotonic()
            while not browser.trace_complete and time.monotonic() - waited < 120:
                browser.pump(time.monotonic() + 1)
            with open(trace, 'w') as out:
                json.dump({'traceEvents': browser.trace_events}, out)
        shot = browser.call('Page.captureScreenshot', {'format': 'png'}, session)
        with open(screenshot, 'wb') as file:
            file.write(base64.b64decode(shot['data']))
        browser.send('Browser.close')
    except (RuntimeError, OSError, KeyError, ValueError) as error:
        print('web_console.py: ' + str(error), file=sys.stderr)
        return 1
    finally:
        try:
            browser.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            browser.process.kill()
        shutil.rmtree(profile, ignore_errors=True)
        print('\n'.join(browser.lines))
    return 0


if __name__ == '__main__':
    sys.exit(main())
