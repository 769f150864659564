#!/usr/bin/env python3
"""Play, end, Play again, many times over in one page, with both cores kept
busy: counts the Plays after an end that started a show, with sound or
silently, and prints the page's state and start-up steps for any that did not.

usage: web_play_again.py [--cycles N] [--load K] [--only WAY] [--trace FILE] [--firefox] PAGE.html

Each cycle presses Play, ends that show in one of the ways a show ends (a
click, a tap, a lost WebGL context, or its own end on a page opened with
?from=1900) at one of several moments (at once, while the page still opens
its sound, after its first position line), waits for the start screen, then
presses Play again, at once or a moment later, and waits 20 s for that
show's first position line. The page runs with ?steps, so what each start
did is on its console. --cycles: how many (default 50 in Chromium, 20 in
Firefox); --load: how many CPU-bound processes run beside the browser
(default 2); --only: one way of ending ('click', 'tap', 'lost context' or
'own end'); --trace: in Chromium, a DevTools trace from the start to the
first Play that did not start a show, written to FILE; --firefox: Debian's Firefox, driven through Marionette on an
Xvfb screen with a PulseAudio null sink, instead of headless Chromium (there
a tap is a click). Exit status 0 when every Play after an end kept its
promise: a show that starts, or the start screen back with a line that says
why.
"""
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests'))  # web_console
import web_console  # noqa: E402

WAYS = ['click', 'tap', 'lost context', 'own end']
# Seconds from Play to the end; 'line' is the show's first position line.
END_MOMENTS = [0, 0.05, 0.4, 1.5, 'line']
# Seconds from the start screen's return to the next Play.
AGAIN_MOMENTS = [0, 0.3, 0]
START_WAIT = 20
STATE = ('JSON.stringify({start: !document.getElementById("start").hidden, '
         'message: document.getElementById("message").textContent, canvas: !!document.getElementById("canvas"), '
         'drawn: window.periodicaDrawn === undefined ? null : window.periodicaDrawn})')
LOSE_CONTEXT = ('(c => c && c.getContext("webgl").getExtension("WEBGL_lose_context").loseContext())'
                '(document.getElementById("canvas"))')


class Chromium:
    """The page in headless Chromium, through its DevTools pipe."""

    def __init__(self, chromium):
        self.profile = tempfile.mkdtemp(prefix='periodica-again-')
        self.browser = web_console.Browser(chromium, self.profile, [])
        target = self.browser.call('Target.createTarget', {'url': 'about:blank'})['targetId']
        self.session = self.browser.call('Target.attachToTarget', {'targetId': target, 'flatten': True})['sessionId']
        for domain in ('Runtime', 'Log', 'Page'):
            self.browser.call(domain + '.enable', session=self.session)
        self.browser.call('Emulation.setTouchEmulationEnabled', {'enabled': True, 'maxTouchPoints': 5},
                          session=self.session)

    def lines(self):
        return self.browser.lines

    def wait(self, seconds):
        self.browser.pump(time.monotonic() + seconds)

    def open(self, url):
        self.browser.call('Page.navigate', {'url': url}, self.session)

    def run(self, script):
        reply = self.browser.call('Runtime.evaluate', {'expression': script, 'returnByValue': True}, self.session)
        return reply.get('result', {}).get('value')

    def middle(self, selector):
        box = self.run('JSON.stringify((r => [r.left + r.width / 2, r.top + r.height / 2])'
                       '(document.querySelector(%s).getBoundingClientRect()))' % json.dumps(selector))
        return json.loads(box)

    def click(self, selector):
        x, y = self.middle(selector)
        for kind in ('mousePressed', 'mouseReleased'):
            self.browser.call('Input.dispatchMouseEvent', {'type': kind, 'x': x, 'y': y, 'button': 'left',
                                                           'clickCount': 1}, self.session)

    def tap(self, selector):
        x, y = self.middle(selector)
        self.browser.call('Input.dispatchTouchEvent', {'type': 'touchStart', 'touchPoints': [{'x': x, 'y': y}]},
                          self.session)
        self.browser.call('Input.dispatchTouchEvent', {'type': 'touchEnd', 'touchPoints': []}, self.session)

    def start_trace(self):
        self.browser.call('Tracing.start', {'categories': 'devtools.timeline,v8,gpu,toplevel,viz,cc,benchmark',
                                            'transferMode': 'ReportEvents'})

    def write_trace(self, path):
        self.browser.call('Tracing.end')
        waited = time.monotonic()
        while not self.browser.trace_complete and time.monotonic() - waited < 120:
            self.browser.pump(time.monotonic() + 1)
        with open(path, 'w') as out:
            json.dump({'traceEvents': self.browser.trace_events}, out)

    def close(self):
        self.browser.send('Browser.close')
        try:
            self.browser.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.browser.process.kill()
        shutil.rmtree(self.profile, ignore_errors=True)


class Firefox:
    """The page in Firefox on an Xvfb screen, through Marionette; its console
    comes on its standard output."""

    def __init__(self):
        self.work = tempfile.mkdtemp(prefix='periodica-again-firefox-')
        runtime = os.path.join(self.work, 'runtime')
        os.mkdir(runtime, 0o700)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=runtime, PULSE_SERVER='unix:' + runtime + '/pulse/native')
        subprocess.run(['pulseaudio', '--daemonize=yes', '--exit-idle-time=-1', '-n',
                        '--load=module-null-sink sink_name=periodica', '--load=module-native-protocol-unix'],
                       env=self.env, check=True, stderr=subprocess.DEVNULL)
        with socket.socket() as probe:
            probe.bind(('127.0.0.1', 0))
            port = probe.getsockname()[1]
        profile = os.path.join(self.work, 'profile')
        os.mkdir(profile)
        with open(os.path.join(profile, 'user.js'), 'w') as prefs:
            for name, value in [('devtools.console.stdout.content', True), ('browser.shell.checkDefaultBrowser', False),
                                ('browser.aboutwelcome.enabled', False), ('app.update.enabled', False),
                                ('datareporting.policy.dataSubmissionEnabled', False),
                                ('toolkit.telemetry.reportingpolicy.firstRun', False),
                                ('network.captive-portal-service.enabled', False), ('media.autoplay.default', 0),
                                ('media.autoplay.blocking_policy', 0), ('marionette.port', port)]:
                prefs.write('user_pref(%s, %s);\n' % (json.dumps(name), json.dumps(value)))
        self.console = open(os.path.join(self.work, 'console.txt'), 'w+')
        self.process = subprocess.Popen(
            ['xvfb-run', '-a', '-s', '-screen 0 1024x768x24', 'firefox-esr', '--marionette', '--no-remote',
             '--profile', profile, '--width', '1024', '--height', '768', '--kiosk', 'about:blank'],
            env=self.env, stdout=self.console, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
            start_new_session=True)
        waited = time.monotonic()
        while True:
            try:
                self.socket = socket.create_connection(('127.0.0.1', port))
                self.socket.settimeout(60)  # a command Firefox never answers ends the run, saying so
                break
            except OSError:
                if time.monotonic() - waited > 60:
                    raise RuntimeError('Firefox opened no Marionette port in 60 s')
                time.sleep(0.5)
        self.buffer = b''
        self.next_id = 0
        self.receive()
        self.command('WebDriver:NewSession', {'capabilities': {}})
        self.read_lines = []

    def receive(self):
        while b':' not in self.buffer:
            self.buffer += self.socket.recv(65536)
        length, rest = self.buffer.split(b':', 1)
        while len(rest) < int(length):
            rest += self.socket.recv(65536)
        self.buffer = rest[int(length):]
        return json.loads(rest[:int(length)])

    def command(self, name, params=None):
        self.next_id += 1
        body = json.dumps([0, self.next_id, name, params or {}]).encode()
        self.socket.sendall(str(len(body)).encode() + b':' + body)
        while True:
            reply = self.receive()
            if isinstance(reply, list) and reply[1] == self.next_id:
                if reply[2]:
                    raise RuntimeError(name + ': ' + str(reply[2].get('message', reply[2])))
                return reply[3]

    def lines(self):
        self.console.seek(0)
        self.read_lines = []
        for line in self.console.read().splitlines():
            if line.startswith('console.'):
                kind, _, text = line[len('console.'):].partition(': ')
                self.read_lines.append(kind + ': ' + (json.loads(text) if text.startswith('"') else text))
        return self.read_lines

    def wait(self, seconds):
        time.sleep(seconds)

    def open(self, url):
        self.command('WebDriver:Navigate', {'url': url})

    def run(self, script):
        return self.command('WebDriver:ExecuteScript', {'script': 'return ' + script, 'args': []}).get('value')

    def click(self, selector):
        found = self.command('WebDriver:FindElement', {'using': 'css selector', 'value': selector})['value']
        self.command('WebDriver:ElementClick', {'id': list(found.values())[0]})

    tap = click

    def close(self):
        try:
            self.command('Marionette:Quit', {'flags': ['eForceQuit']})
        except (RuntimeError, OSError):
            pass
        try:
            os.killpg(self.process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        self.process.wait()
        subprocess.run(['pulseaudio', '--kill'], env=self.env, stderr=subprocess.DEVNULL)
        shutil.rmtree(self.work, ignore_errors=True)


def wait_for(page, since, test, seconds):
    """The first console line after index since that passes test, within seconds; or None."""
    until = time.monotonic() + seconds
    while True:
        for line in page.lines()[since:]:
            if test(line):
                return line
        if time.monotonic() >= until:
            return None
        page.wait(0.05)


def is_position(line):
    return line.startswith('log: periodica: position ')


def is_start_screen(line):
    return line == 'log: periodica: start screen'


def end_show(page, way):
    """Ends the show on the page as way says; 'own end' waits for it."""
    if way == 'click':
        page.click('#stage')
    elif way == 'tap':
        page.tap('#stage')
    elif way == 'lost context':
        page.run(LOSE_CONTEXT)


def cycle(page, number, way, end_at, again_at):
    """One Play, its end, and the Play after it. What the Play after the end
    did: 'heard', 'silent', 'start screen' (back, with its words) or
    'nothing'; and the console since the first Play."""
    since = first = len(page.lines())
    page.click('#play')
    if way != 'own end':
        if end_at == 'line':
            wait_for(page, since, is_position, START_WAIT)
        else:
            page.wait(end_at)
        end_show(page, way)
    if not wait_for(page, since, is_start_screen, START_WAIT + 30):
        return 'not ended', page.lines()[since:]
    page.wait(again_at)
    since = len(page.lines())
    page.click('#play')
    played = since
    line = wait_for(page, since, lambda l: is_position(l) or is_start_screen(l), START_WAIT)
    said = page.lines()[first:since] + ['-- Play again'] + page.lines()[since:]
    if line is None:
        said = said + ['state: ' + str(page.run(STATE))]
        outcome = 'nothing'
    elif is_start_screen(line):
        outcome = 'start screen'
    else:
        outcome = 'silent' if any('playing silently' in l for l in page.lines()[since:]) else 'heard'
    # Ended by a click, whatever the next cycle's way, and the start screen awaited.
    if outcome in ('heard', 'silent'):
        if not wait_for(page, played, is_start_screen, 0):
            page.click('#stage')
        wait_for(page, played, is_start_screen, START_WAIT)
    return outcome, said


def main():
    arguments = sys.argv[1:]
    cycles, load, firefox, ways, trace = None, 2, False, WAYS, None
    while arguments and arguments[0].startswith('--'):
        option = arguments.pop(0)
        if option == '--cycles' and arguments:
            cycles = int(arguments.pop(0))
        elif option == '--load' and arguments:
            load = int(arguments.pop(0))
        elif option == '--trace' and arguments:
            trace = arguments.pop(0)
        elif option == '--only' and arguments:
            ways = [arguments.pop(0)]
        elif option == '--firefox':
            firefox = True
        else:
            sys.exit('web_play_again.py: unknown option ' + option)
    if len(arguments) != 1:
        sys.exit(__doc__.strip().splitlines()[4])
    page_path = os.path.abspath(arguments[0])
    if cycles is None:
        cycles = 20 if firefox else 50
    busy = [subprocess.Popen([sys.executable, '-c', 'while True: pass']) for _ in range(load)]
    page = None
    counts = {}
    try:
        page = Firefox() if firefox else Chromium(shutil.which('chromium') or '/usr/bin/chromium')
        opened = None
        if trace and not firefox:
            page.start_trace()
        for number in range(cycles):
            way = ways[number % len(ways)]
            end_at = END_MOMENTS[(number // len(ways)) % len(END_MOMENTS)]
            if way == 'lost context' and end_at != 'line':
                end_at = max(end_at, 1.5)  # a context is lost once the program has made it
            again_at = AGAIN_MOMENTS[number % len(AGAIN_MOMENTS)]
            url = 'file://' + page_path + ('?steps&from=1900' if way == 'own end' else '?steps')
            if url != opened:
                since = len(page.lines())
                page.open(url)
                opened = url
                if not wait_for(page, since, is_start_screen, START_WAIT):
                    raise RuntimeError('the page opened no start screen: ' + url)
            outcome, said = cycle(page, number, way, end_at, again_at)
            counts[outcome] = counts.get(outcome, 0) + 1
            print('%2d: ended by %s at %s, Play again after %s s: %s' % (number + 1, way, end_at, again_at, outcome),
                  flush=True)
            if outcome not in ('heard', 'silent'):
                print('\n'.join('    ' + line for line in said), flush=True)
                if trace and not firefox:
                    page.write_trace(trace)
                    print('    (a trace up to here is in %s)' % trace)
                    trace = None
    except (RuntimeError, OSError, KeyError, ValueError) as error:
        print('web_play_again.py: ' + (str(error) or type(error).__name__), file=sys.stderr)
        return 1
    finally:
        for process in busy:
            process.kill()
        if page:
            page.close()
    started = counts.get('heard', 0) + counts.get('silent', 0)
    print('%s: %d of %d Plays after an end started a show (%d with sound, %d silent); '
          '%d brought the start screen back; %d did nothing; %d shows did not end' %
          ('Firefox' if firefox else 'Chromium', started, cycles, counts.get('heard', 0), counts.get('silent', 0),
           counts.get('start screen', 0), counts.get('nothing', 0), counts.get('not ended', 0)))
    return 0 if counts.get('nothing', 0) == 0 and counts.get('not ended', 0) == 0 else 1


if __name__ == '__main__':
    sys.exit(main())
