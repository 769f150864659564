#!/usr/bin/env python3
"""Opens a page in headless Chromium for some seconds of real time, prints
what its console said and saves a screenshot of it.

usage: web_console.py CHROMIUM URL SECONDS SCREENSHOT.png [AT=SCRIPT ...]

Each AT=SCRIPT runs the JavaScript SCRIPT in the page AT seconds after it
was opened, as if a person's gesture did it (so it may start sound).

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
    def __init__(self, chromium, profile):
        to_r, self.to_w = os.pipe()
        self.from_r, from_w = os.pipe()
        # Out of the way of 3 and 4 before they are put there in the child.
        to_r, from_w = fcntl.fcntl(to_r, fcntl.F_DUPFD, 10), fcntl.fcntl(from_w, fcntl.F_DUPFD, 10)

        def pipe_fds():
            os.dup2(to_r, 3)
            os.dup2(from_w, 4)

        self.process = subprocess.Popen([chromium] + QUIET + ['--remote-debugging-pipe', '--user-data-dir=' + profile,
                                                              'about:blank'],
                                        pass_fds=(3, 4), preexec_fn=pipe_fds, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.next_id = 0
        self.buffer = b''
        self.lines = []

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


def main():
    if len(sys.argv) < 5 or not all('=' in action for action in sys.argv[5:]):
        sys.exit(__doc__.strip().splitlines()[3])
    chromium, url, seconds, screenshot = sys.argv[1], sys.argv[2], float(sys.argv[3]), sys.argv[4]
    actions = sorted((float(at), script) for at, script in (a.split('=', 1) for a in sys.argv[5:]))
    profile = tempfile.mkdtemp(prefix='periodica-chromium-')
    browser = Browser(chromium, profile)
    try:
        target = browser.call('Target.createTarget', {'url': 'about:blank'})['targetId']
        session = browser.call('Target.attachToTarget', {'targetId': target, 'flatten': True})['sessionId']
        for domain in ('Runtime', 'Log', 'Page'):
            browser.call(domain + '.enable', session=session)
        browser.call('Emulation.setDeviceMetricsOverride',
                     {'width': 1024, 'height': 768, 'deviceScaleFactor': 1, 'mobile': False}, session)
        opened = time.monotonic()
        browser.call('Page.navigate', {'url': url}, session)
        for at, script in actions:
            browser.pump(opened + at)
            browser.call('Runtime.evaluate', {'expression': script, 'userGesture': True}, session)
        browser.pump(opened + seconds)
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
