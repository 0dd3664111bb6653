"""The page in a real browser: headless Chromium against the served build/web folder (and
from file://), its numbers and files against veltrane-cli's, at a phone's size and a
desktop's, with the CPU slowed, and offline through its service worker.

usage: /usr/bin/python3 tests/web/page_test.py SITE_DIR VELTRANE_CLI
"""
import csv
import functools
import http.server
import io
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.parse

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select

SITE = pathlib.Path(sys.argv[1]).resolve()
CLI = pathlib.Path(sys.argv[2]).resolve()

MAIN_FIELDS = ['pivot', 'inner', 'outer', 'correction-x', 'correction-y', 'arm-id']
ARM_INPUTS = ['pivot', 'inner', 'outer', 'arm-id', 'null-inner', 'null-outer']
PHONE = (390, 844)

# Page texts, alignment and arm-by, and the summary's veltrane-cli arguments; unnamed
# fields keep their initial texts.
# pylint: disable=line-too-long
SUMMARY_CASES = [
    ({}, 'lofgren-a', 'pivot', []),
    ({'pivot': '239.3', 'inner': '60.325'}, 'lofgren-b', 'pivot', ['--pivot', '239.3', '--inner', '60.325']),
    ({'pivot': '222,5', 'inner': '63', 'outer': '145'}, 'stevenson-a', 'pivot', ['--pivot', '222.5', '--inner', '63', '--outer', '145']),
    ({'pivot': '2.5e2', 'correction-x': '1,005'}, 'lofgren-a', 'pivot', ['--pivot', '250', '--correction-x', '1.005']),
    ({'arm-id': 'Löfgren’s arm № 7 ✓, forty characters!!!'}, 'lofgren-a', 'pivot', ['--id', 'Löfgren’s arm № 7 ✓, forty characters!!!']),
    ({'null-inner': '66', 'null-outer': '121'}, 'custom', 'pivot', ['--nulls', '66,121']),
    ({'effective-length': '239,3', 'inner': '60.325'}, 'lofgren-a', 'length', ['--effective-length', '239.3', '--inner', '60.325']),
    ({'effective-length': '240', 'null-inner': '120.9', 'null-outer': '65.998'}, 'custom', 'length', ['--effective-length', '240', '--nulls', '120.9,65.998']),
]

ALL_DOWNLOADS = {'download-template', 'download-strobe-60', 'download-strobe-50',
                 'download-strobe-speed', 'download-strobe-custom', 'download-chart-csv'}
SHEETS = ALL_DOWNLOADS - {'download-chart-csv'}
ARM = {'download-template', 'download-chart-csv'}
TO_STDOUT = ['--format', 'pdf', '-o', '-']

# A field's text, the fields then marked invalid, the downloads that stop, and the
# veltrane-cli arguments that refuse the same text: the field's note has the CLI's words.
CHECK_CASES = [
    ('pivot', 'abc', {'pivot'}, ARM, ['summary', '--pivot', 'abc']),
    ('pivot', '222,5,1', {'pivot'}, ARM, ['summary', '--pivot', '222,5,1']),
    ('pivot', '209mm', {'pivot'}, ARM, ['summary', '--pivot', '209mm']),
    ('pivot', '', {'pivot'}, ARM, ['summary', '--pivot', '']),
    ('pivot', '0', {'pivot'}, ARM, ['summary', '--pivot', '0']),
    ('pivot', '1e9999', {'pivot'}, ARM, ['summary', '--pivot', '1e9999']),
    ('inner', '&H10', {'inner'}, ARM, ['summary', '--inner', '&H10']),
    ('outer', '50', {'outer'}, ARM, ['summary', '--outer', '50']),
    ('correction-x', '-3', {'correction-x'}, ALL_DOWNLOADS, ['strobe', '60hz', '--correction-x', '-3', *TO_STDOUT]),
    ('margin', '30', {'margin'}, SHEETS, ['template', '--margin', '30', *TO_STDOUT]),
    ('chart-rpm', 'fast', {'chart-rpm'}, {'download-chart-csv'}, ['analyze', '--rpm', 'fast']),
    ('strobe-hz', 'x', {'strobe-hz'}, {'download-strobe-speed'}, ['strobe', 'speed', '--rpm', '78', '--hz', 'x', *TO_STDOUT]),
    ('strobe-rpm', '0', {'strobe-rpm'}, {'download-strobe-speed'}, ['strobe', 'speed', '--rpm', '0', *TO_STDOUT]),
    ('strobe-outer', '2.5', {'strobe-outer'}, {'download-strobe-custom'}, ['strobe', 'custom', '--outer', '2.5', *TO_STDOUT]),
    ('arm-id', 'W' * 41, {'arm-id'}, ARM, ['summary', '--id', 'W' * 41]),
    ('strobe-caption1', 'C' * 37, {'strobe-caption1'}, {'download-strobe-custom'}, ['strobe', 'custom', '--caption1', 'C' * 37, *TO_STDOUT]),
    ('measured-x', '1e308', {'measured-x'}, set(), ['calibrate', '--measured-x', '1e308', '--measured-y', '200']),
    ('null-inner', 'abc', set(), set(), None),  # read only with custom null radii
]

# The limits and fields typed, and the veltrane-cli optimize arguments for them: the optimum
# shown is the CLI's, unless the CLI refuses it (then the field named has its words).
OPTIMUM_CASES = [
    ({}, None, ['--overhang-range', '10,25', '--offset-range', '15,30']),
    ({'overhang-range': '12', 'offset-range': '18,26', 'criterion': 'rms', 'pivot': '239.3', 'chart-rpm': '45'}, None, ['--overhang-range', '12', '--offset-range', '18,26', '--criterion', 'rms', '--pivot', '239.3', '--rpm', '45']),
    ({'overhang-range': '25,10'}, 'overhang-range', ['--overhang-range', '25,10', '--offset-range', '15,30']),
    ({'offset-range': '22,x'}, 'offset-range', ['--overhang-range', '10,25', '--offset-range', '22,x']),
    ({'overhang-range': '-200'}, 'overhang-range', ['--overhang-range', '-200', '--offset-range', '15,30']),
]

# Downloads and the veltrane-cli arguments that write the same file.
DOWNLOAD_CASES = [
    ('download-template', 'template-239.3mm-lofgren-b-letter.pdf', ['template', '--alignment', 'lofgren-b', '--pivot', '239.3', '--inner', '60.325', '--id', 'Löfgren test', '--correction-x', '1.005']),
    ('download-strobe-60', 'strobe-60hz-letter.pdf', ['strobe', '60hz', '--correction-x', '1.005']),
    ('download-strobe-50', 'strobe-50hz-letter.pdf', ['strobe', '50hz', '--correction-x', '1.005']),
    ('download-strobe-speed', 'strobe-33.333rpm-45rpm-60hz-letter.pdf', ['strobe', 'speed', '--rpm', '33 1/3,45', '--hz', '60', '--correction-x', '1.005']),
    ('download-strobe-custom', 'strobe-216-160-bars-letter.pdf', ['strobe', 'custom', '--outer', '216', '--inner', '160', '--caption1', '33 1/3 RPM - 60 HZ - 216 BARS', '--caption2', 'Über 45', '--correction-x', '1.005']),
]
# pylint: enable=line-too-long


def cli(*args, check=True):
    return subprocess.run([str(CLI), *args], check=check, capture_output=True, text=True)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.js': 'text/javascript',
                      '.webmanifest': 'application/manifest+json'}

    def log_message(self, *args):
        pass


def serve(folder):
    handler = functools.partial(QuietHandler, directory=str(folder))
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, 'http://127.0.0.1:%d/' % server.server_address[1]


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server, cls.url = serve(SITE)
        cls.downloads = tempfile.TemporaryDirectory()
        options = Options()
        for argument in ['--headless=new', '--no-sandbox', '--window-size=1280,1600']:
            options.add_argument(argument)
        options.add_experimental_option('prefs', {
            'download.default_directory': cls.downloads.name,
            'download.prompt_for_download': False})
        options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
        cls.driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.shutdown()
        cls.downloads.cleanup()

    def tearDown(self):
        self.driver.execute_cdp_cmd('Emulation.clearDeviceMetricsOverride', {})
        self.driver.execute_cdp_cmd('Emulation.setCPUThrottlingRate', {'rate': 1})

    def wait_ready(self, started):
        while self.driver.execute_script('return document.body.dataset.ready') != 'true':
            self.assertLess(time.monotonic() - started, 10, 'the page did not start')
            time.sleep(0.02)
        return time.monotonic() - started

    def open(self, url=None, fresh=True):
        """Opens the page; fresh: with nothing kept from before."""
        if fresh:
            self.driver.get(url or self.url)
            self.driver.execute_script('localStorage.clear()')
        started = time.monotonic()
        self.driver.get(url or self.url)
        return self.wait_ready(started)

    def reload(self):
        started = time.monotonic()
        self.driver.refresh()
        return self.wait_ready(started)

    def phone(self, width=PHONE[0], height=PHONE[1]):
        self.driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', {
            'width': width, 'height': height, 'deviceScaleFactor': 2, 'mobile': True})

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def by_id(self, element_id):
        return self.driver.find_element(By.ID, element_id)

    def value(self, element_id):
        return self.by_id(element_id).get_attribute('value')

    def type_text(self, element_id, text):
        # As typing does, but any text (chromedriver types no characters beyond the BMP).
        self.js('const e = document.getElementById(arguments[0]); e.value = arguments[1];'
                'e.dispatchEvent(new Event("input"));', element_id, text)

    def choose(self, name, value):
        self.js('const o = document.querySelector(`input[name="${arguments[0]}"][value="${arguments[1]}"]`);'
                'o.checked = true; o.dispatchEvent(new Event("change"));', name, value)

    def settle(self):
        """Runs what the page shows once typing pauses (the chart, the tables)."""
        time.sleep(0.4)

    def invalid(self):
        return set(self.js('return [...document.querySelectorAll("[aria-invalid=true]")].map((e) => e.id)'))

    def disabled(self):
        return set(self.js('return [...document.querySelectorAll("button:disabled")].map((e) => e.id)'))

    # ---- numbers and checks ----

    def test_summary_equals_the_cli_as_typed(self):
        self.assertLess(self.open(), 1.0)
        initial = {name: self.value(name) for name in MAIN_FIELDS}
        self.assertEqual(initial, {'pivot': '209', 'inner': '57.5', 'outer': '146.05',
                                   'correction-x': '1.0', 'correction-y': '1.0', 'arm-id': ''})
        for texts, alignment, arm_by, args in SUMMARY_CASES:
            with self.subTest(texts=texts, alignment=alignment, arm_by=arm_by):
                for name in MAIN_FIELDS:
                    self.type_text(name, texts.get(name, initial[name]))
                for name in ['effective-length', 'null-inner', 'null-outer']:
                    self.type_text(name, texts.get(name, ''))
                self.choose('alignment', alignment)
                self.choose('arm-by', arm_by)
                if alignment != 'custom':
                    args = ['--alignment', alignment, *args]
                expected = cli('summary', *args).stdout.rstrip('\n')
                self.assertEqual(self.js('return document.getElementById("summary").textContent'), expected)
                self.assertEqual(self.invalid(), set())
                lines = dict(line.split(' = ') for line in expected.splitlines()[1:])
                self.assertEqual(self.by_id('result-overhang').text, lines['Overhang'])
                self.assertEqual(self.by_id('result-offset').text, lines['Offset angle'].rstrip('°'))

    def test_every_problem_is_shown_at_its_field_and_stops_its_downloads(self):
        self.open()
        for field, text, invalid, stopped, cli_args in CHECK_CASES:
            with self.subTest(field=field, text=text):
                before = self.value(field)
                self.type_text(field, text)
                if field == 'measured-x':
                    self.type_text('measured-y', '200')
                self.assertEqual(self.invalid(), invalid)
                if cli_args:
                    refused = cli(*cli_args, check=False)
                    self.assertEqual(refused.returncode, 2, refused.stderr)
                    words = refused.stderr.splitlines()[0].removeprefix('veltrane-cli: ')
                    self.assertEqual(self.by_id(field + '-note').text, words)
                self.assertEqual(self.disabled() - {'apply-calibration', 'use-optimum'}, stopped)
                if stopped:
                    self.assertIn(self.by_id(field + '-note').text, self.by_id('download-message').text)
                if field == 'measured-x':
                    self.assertFalse(self.by_id('apply-calibration').is_enabled())
                self.type_text(field, before)
                self.assertEqual(self.invalid(), set())
                self.assertEqual(self.disabled() & ALL_DOWNLOADS, set())

    def test_optimum_is_the_clis_and_becomes_custom_nulls(self):
        for texts, refused_at, args in OPTIMUM_CASES:
            with self.subTest(texts=texts):
                self.open()
                for name, text in texts.items():
                    if name == 'criterion':
                        Select(self.by_id(name)).select_by_value(text)
                    else:
                        self.type_text(name, text)
                self.settle()
                if refused_at:
                    refused = cli('optimize', *args, check=False)
                    self.assertEqual(refused.returncode, 2, refused.stderr)
                    words = refused.stderr.splitlines()[0].removeprefix('veltrane-cli: ')
                    self.assertEqual(self.by_id(refused_at + '-note').text, words)
                    self.assertEqual(self.invalid(), {refused_at})
                    self.assertFalse(self.by_id('use-optimum').is_enabled())
                    continue
                self.assertEqual(self.value('optimum'), cli('optimize', *args).stdout)
                expected = json.loads(cli('optimize', *args, '--format', 'json').stdout)
                shown = json.loads(self.by_id('optimum').get_attribute('data-json'))
                for arm in ['optimum', 'standard']:
                    for key, value in expected[arm].items():
                        if isinstance(value, str):
                            self.assertEqual(shown[arm][key], value)
                            continue
                        wanted = value if isinstance(value, list) else [value]
                        got = shown[arm][key] if isinstance(value, list) else [shown[arm][key]]
                        self.assertEqual(len(got), len(wanted), (arm, key))
                        for one, want in zip(got, wanted):
                            self.assertAlmostEqual(one, want, delta=1e-9 * abs(want), msg=(arm, key))
                nulls = shown['optimum']['null_radii_mm']
                self.assertEqual(len(nulls), 2)
                self.by_id('use-optimum').click()
                self.assertEqual(self.value('alignment-custom'), 'custom')
                self.assertTrue(self.by_id('alignment-custom').is_selected())
                pivot = repr(expected['inputs']['pivot_to_spindle_mm'])
                summary = cli('summary', '--nulls', f'{nulls[0]!r},{nulls[1]!r}', '--pivot', pivot).stdout
                self.assertEqual(self.js('return document.getElementById("summary").textContent'),
                                 summary.rstrip('\n'))

    def test_paper_note_warns_as_the_cli_does(self):
        self.open()
        self.type_text('pivot', '250')
        with tempfile.TemporaryDirectory() as folder:
            warning = cli('template', '--pivot', '250', '-o', os.path.join(folder, 't.pdf')).stderr.strip()
        self.assertEqual('veltrane-cli: warning: ' + self.by_id('paper-note').text, warning)
        Select(self.by_id('paper')).select_by_value('legal')
        self.assertEqual(self.by_id('paper-note').text, '')

    def test_calibration_refuses_and_confirms_beside_the_factors(self):
        self.open()
        self.type_text('correction-x', '1.005')
        self.type_text('measured-x', '199')
        self.type_text('measured-y', '200,5')
        expected = cli('calibrate', '--measured-x', '199', '--measured-y', '200.5',
                       '--correction-x', '1.005').stdout.splitlines()[:2]
        self.assertEqual(self.by_id('calibration').text.splitlines()[:2], expected)
        self.by_id('apply-calibration').click()
        factors = [line.split(' = ')[1] for line in expected]
        self.assertEqual([self.value('correction-x'), self.value('correction-y')], factors)
        self.assertIn('X = %s and Y = %s' % tuple(factors), self.by_id('calibration-applied').text)
        self.assertEqual(cli('calibrate', '--measured-x', '1e308', '--measured-y', '200',
                             check=False).returncode, 2)

    def test_typing_and_presets(self):
        self.open()
        pivot = self.by_id('pivot')
        pivot.send_keys(Keys.CONTROL, 'a')
        pivot.send_keys('222,5')
        self.assertIn('Pivot to spindle distance = 222.500', self.by_id('summary').text)
        self.assertEqual(self.by_id('pivot-note').text, '')
        self.by_id('preset-iec').click()
        self.assertEqual([self.value('inner'), self.value('outer')], ['60.325', '146.05'])
        self.assertIn('Inner groove radius = 60.325', self.by_id('summary').text)

    def test_chart_tables_and_readout_are_the_analysis(self):
        self.open()
        self.type_text('inner', '60.325')
        self.type_text('pivot', '222.004')
        self.type_text('chart-rpm', '45')
        self.settle()
        rows = list(csv.DictReader(io.StringIO(
            cli('analyze', '--inner', '60.325', '--pivot', '222.004', '--rpm', '45', '--format', 'csv').stdout)))
        # Home puts the readout at the inner groove radius: the CSV's first row of each arm.
        self.by_id('chart').send_keys(Keys.HOME)
        readout = self.by_id('chart-readout').text.splitlines()
        self.assertEqual(readout[0], 'At 60.325 mm:')
        firsts = [row for row in rows if row['radius_mm'] == '60.325']
        for line, row in zip(readout[1:], firsts):
            self.assertIn('%.3f°, distortion %.3f %%' % (float(row['tracking_error_deg']),
                                                       float(row['distortion_percent'])), line)
        # The cost of a mounting error, as analyze --mounting-error reports it.
        text = cli('analyze', '--inner', '60.325', '--pivot', '222.004', '--rpm', '45',
                   '--mounting-error', '0.5,0.5').stdout.splitlines()
        start = next(i for i, line in enumerate(text) if line.startswith('(%) when mounted')) + 1
        expected = [line.split()[-4:] for line in text[start:start + 3]]
        shown = [[cell.text for cell in row.find_elements(By.TAG_NAME, 'td')]
                 for row in self.driver.find_elements(By.CSS_SELECTOR, '#tolerance tbody tr')]
        self.assertEqual(shown, expected)
        self.assertEqual([row.find_element(By.TAG_NAME, 'th').text for row in
                          self.driver.find_elements(By.CSS_SELECTOR, '#peaks tbody tr')],
                         ['Löfgren A (chosen)', 'Löfgren B', 'Stevenson A'])

    def test_recomputing_is_fast_even_on_a_slow_cpu(self):
        for rate, budget_ms in [(1, 30), (4, 50)]:
            with self.subTest(rate=rate):
                self.open()
                self.driver.execute_cdp_cmd('Emulation.setCPUThrottlingRate', {'rate': rate})
                times = self.js(
                    'const e = document.getElementById("pivot"); const times = [];'
                    'for (const text of ["222", "239.3", "250", "1,5", "abc", "209", "231", "24", "240"]) {'
                    '  e.value = text; const t = performance.now(); e.dispatchEvent(new Event("input"));'
                    '  if (!document.getElementById("summary").textContent) throw "no summary";'
                    '  times.push(performance.now() - t); }'
                    'return times.sort((a, b) => a - b);')
                self.assertLess(times[len(times) // 2], budget_ms, times)

    # ---- the page on a phone ----

    def test_phone_result_stays_in_view_and_nothing_scrolls_sideways(self):
        self.phone()
        self.open()
        self.choose('alignment', 'custom')
        for element_id in ARM_INPUTS:
            with self.subTest(field=element_id):
                self.js('document.getElementById(arguments[0]).focus()', element_id)
                card, field = self.js(
                    'return [document.getElementById("result"), document.getElementById(arguments[0])]'
                    '.map((e) => e.getBoundingClientRect().toJSON())', element_id)
                self.assertGreaterEqual(card['top'], 0)
                self.assertLessEqual(card['bottom'], field['top'])
                self.assertLessEqual(field['bottom'], PHONE[1])
        for width in [390, 320]:
            self.phone(width, 700)
            self.settle()
            self.assertLessEqual(self.js('return document.documentElement.scrollWidth'), width)
        # The chart is drawn for the screen, its texts readable.
        self.choose('alignment', 'lofgren-a')
        self.phone()
        self.reload()
        smallest = self.js(
            'const svg = document.querySelector("#chart svg");'
            'const scale = svg.getBoundingClientRect().width / svg.viewBox.baseVal.width;'
            'return Math.min(...[...svg.querySelectorAll("text")].map((t) =>'
            '  parseFloat(getComputedStyle(t).fontSize) * scale));')
        self.assertGreaterEqual(smallest, 11)

    def test_custom_nulls_and_arm_fields_show_only_when_chosen(self):
        self.open()
        shown = lambda element_id: self.by_id(element_id).is_displayed()
        self.assertEqual([shown('null-inner'), shown('effective-length'), shown('pivot')], [False, False, True])
        self.choose('alignment', 'custom')
        self.choose('arm-by', 'length')
        self.assertEqual([shown('null-inner'), shown('effective-length'), shown('pivot')], [True, True, False])

    # ---- keeping, sharing, files ----

    def test_inputs_survive_a_reload_and_travel_in_the_share_link(self):
        self.open()
        texts = {'pivot': '231,5', 'arm-id': 'Arm #1 & 2', 'strobe-outer': '100', 'strobe-caption2': 'Ü',
                 'margin': '3'}
        for name, text in texts.items():
            self.type_text(name, text)
        self.choose('alignment', 'stevenson-a')
        Select(self.by_id('format')).select_by_value('svg')
        self.settle()
        expected = {**{name: self.value(name) for name in texts}, 'format': 'svg'}
        link = self.by_id('share-link').get_attribute('href')
        self.assertEqual(urllib.parse.urlsplit(link).path, '/')
        self.reload()
        self.assertEqual({name: self.value(name) for name in expected}, expected)
        self.assertTrue(self.by_id('alignment-stevenson-a').is_selected())
        self.open(link.replace('#', '?shared#'))
        self.assertEqual({name: self.value(name) for name in expected}, expected)
        self.assertNotIn('#', self.driver.current_url)
        self.open()
        self.assertEqual(self.value('strobe-outer'), '216')  # a first visit: the 60 Hz values

    def download(self, button):
        for name in os.listdir(self.downloads.name):
            os.remove(os.path.join(self.downloads.name, name))
        self.by_id(button).click()
        started = time.monotonic()
        while time.monotonic() - started < 10:
            names = os.listdir(self.downloads.name)
            done = [name for name in names if not name.startswith('.') and not name.endswith('.crdownload')]
            if done and len(done) == len(names):
                return done[0], pathlib.Path(self.downloads.name, done[0]).read_bytes()
            time.sleep(0.05)
        self.fail('nothing was downloaded by ' + button)

    def expected_file(self, args, file_format, margin):
        with tempfile.TemporaryDirectory() as folder:
            path = pathlib.Path(folder, 'expected')
            cli(*args, '--paper', 'letter', '--margin', margin, '--format', file_format, '-o', str(path))
            return path.read_bytes()

    def uncompressed(self, pdf):
        # The browser's build has no zlib, so its content streams are plain: PDFs are
        # compared with their streams uncompressed.
        with tempfile.NamedTemporaryFile(suffix='.pdf') as file:
            file.write(pdf)
            file.flush()
            return subprocess.run(['qpdf', '--qdf', '--object-streams=disable', '--deterministic-id',
                                   file.name, '-'], check=True, capture_output=True).stdout

    def test_downloads_are_the_cli_files(self):
        self.open()
        for name, text in [('pivot', '239,3'), ('inner', '60.325'), ('arm-id', 'Löfgren test'),
                           ('correction-x', '1.005'), ('strobe-rpm', '33 1/3,45'), ('strobe-hz', '60'),
                           ('strobe-caption2', 'Über 45')]:
            self.type_text(name, text)
        self.choose('alignment', 'lofgren-b')
        Select(self.by_id('paper')).select_by_value('letter')
        for file_format, margin in [('pdf', '4'), ('svg', '0')]:
            Select(self.by_id('format')).select_by_value(file_format)
            self.type_text('margin', margin)
            for button, name, args in DOWNLOAD_CASES:
                with self.subTest(button=button, format=file_format):
                    got_name, got = self.download(button)
                    self.assertEqual(got_name, name.replace('.pdf', '.' + file_format))
                    expected = self.expected_file(args, file_format, margin)
                    if file_format == 'pdf':
                        self.assertIn(b'/PrintScaling /None', got)
                        got, expected = self.uncompressed(got), self.uncompressed(expected)
                    self.assertEqual(got, expected)
        self.type_text('chart-rpm', '100/3')
        name, table = self.download('download-chart-csv')
        self.assertEqual(name, 'analysis-239.3mm-33.333rpm.csv')
        expected = cli('analyze', '--alignment', 'lofgren-b', '--pivot', '239.3', '--inner', '60.325',
                       '--id', 'Löfgren test', '--rpm', repr(100 / 3), '--format', 'csv').stdout
        # The browser's sine and arcsine may differ from the C library's in the last bit.
        got, want = [list(csv.reader(io.StringIO(t))) for t in [table.decode(), expected]]
        self.assertEqual(len(got), len(want))
        for got_row, want_row in zip(got[1:], want[1:]):
            self.assertEqual(got_row[:2], want_row[:2])
            for a, b in zip(got_row[2:], want_row[2:]):
                self.assertAlmostEqual(float(a or 'nan'), float(b or 'nan'), delta=1e-12 * abs(float(b or 1)))

    # ---- the page as a whole ----

    def test_keyboard_reaches_every_control(self):
        self.open()
        self.js('document.getElementById("print-help").open = true')
        controls = set(self.js(
            'return [...document.querySelectorAll("input, select, button, a[href], [tabindex]")]'
            '.filter((e) => e.type !== "radio" && e.offsetParent !== null && !e.disabled).map((e) => e.id)'))
        reached = set()
        self.js('document.activeElement.blur()')
        for _ in range(len(controls) + 20):
            # As a key press: a file input takes send_keys as the path of a file to choose.
            ActionChains(self.driver).send_keys(Keys.TAB).perform()
            active = self.driver.switch_to.active_element
            reached.add(active.get_attribute('name') if active.get_attribute('type') == 'radio'
                        else active.get_attribute('id'))
        self.assertEqual((controls | {'alignment', 'arm-by'}) - reached, set())
        self.driver.find_element(By.CSS_SELECTOR, 'input[name=alignment]:checked').send_keys(Keys.ARROW_DOWN)
        self.assertEqual(self.driver.find_element(By.CSS_SELECTOR, 'input[name=alignment]:checked')
                         .get_attribute('value'), 'lofgren-b')

    def test_labels_ids_and_language(self):
        self.open()
        unlabelled = self.js('return [...document.querySelectorAll("input, select")]'
                             '.filter((e) => e.labels.length === 0).map((e) => e.id)')
        self.assertEqual(unlabelled, [])
        self.assertEqual(self.driver.find_element(By.TAG_NAME, 'html').get_attribute('lang'), 'en')
        kept = ('offline-note inputs-heading summary-heading print-heading preview-heading chart-heading '
                'calibration-heading howto-heading summary paper template-preview chart peaks calibration '
                'strobe-rings download-message apply-calibration preset-din preset-iec preset-jis '
                'preset-typical alignment-lofgren-a alignment-lofgren-b alignment-stevenson-a '
                'alignment-custom arm-id download-template download-strobe-60 download-strobe-50 '
                'download-strobe-speed result arm-by-pivot arm-by-length effective-length margin '
                'paper-note format download-chart-csv strobe-outer strobe-inner strobe-caption1 '
                'strobe-caption2 download-strobe-custom chart-readout chart-rpm tolerance share-link '
                'print-help').split()
        missing = [i for i in kept + [f + s for f in ['pivot', 'inner', 'outer', 'null-inner', 'null-outer',
                                                       'correction-x', 'correction-y', 'strobe-hz',
                                                       'measured-x', 'measured-y', 'arm-id',
                                                       'strobe-caption1', 'strobe-caption2']
                                      for s in ['', '-note']]
                   if not self.driver.find_elements(By.ID, i)]
        self.assertEqual(missing, [])

    def test_works_from_file_and_loads_nothing_else(self):
        self.open(SITE.joinpath('index.html').as_uri())
        self.assertIn('Effective length = 226.277', self.by_id('summary').text)
        self.settle()
        errors = [entry for entry in self.driver.get_log('browser') if entry['level'] == 'SEVERE']
        self.assertEqual(errors, [])
        self.assertEqual(self.js('return document.querySelectorAll("link[rel=manifest]").length'), 0)
        self.assertEqual(sorted(p.name for p in SITE.iterdir() if not p.is_file()), [])
        self.assertLess(sum(f.stat().st_size for f in SITE.iterdir()), 2_000_000)

    def test_reloads_offline_and_takes_a_new_version(self):
        with tempfile.TemporaryDirectory() as folder:
            site = pathlib.Path(folder, 'site')
            shutil.copytree(SITE, site)
            server, url = serve(site)
            try:
                self.open(url)
                self.js('return navigator.serviceWorker.ready.then(() => true)')
                self.reload()
                self.assertTrue(self.js('return Boolean(navigator.serviceWorker.controller)'))
                self.driver.execute_cdp_cmd('Network.enable', {})
                self.driver.execute_cdp_cmd('Network.emulateNetworkConditions', {
                    'offline': True, 'latency': 0, 'downloadThroughput': -1, 'uploadThroughput': -1})
                try:
                    self.reload()
                    self.assertIn('Effective length = 226.277', self.by_id('summary').text)
                finally:
                    self.driver.execute_cdp_cmd('Network.emulateNetworkConditions', {
                        'offline': False, 'latency': 0, 'downloadThroughput': -1, 'uploadThroughput': -1})
                # A new version: its worker replaces the old cache, and the page shows it.
                worker = site / 'service-worker.js'
                worker.write_text(worker.read_text().replace("const CACHE = 'veltrane-", "const CACHE = 'veltrane-new-"))
                index = site / 'index.html'
                index.write_text(index.read_text().replace('<h1>Veltrane</h1>', '<h1>Veltrane new</h1>'))
                started = time.monotonic()
                self.driver.refresh()
                while time.monotonic() - started < 15 and 'new' not in self.js(
                        'return document.querySelector("h1")?.textContent ?? ""'):
                    time.sleep(0.1)
                self.assertEqual(self.js('return document.querySelector("h1").textContent'), 'Veltrane new')
                names = self.js('return caches.keys()')
                self.assertEqual(len(names), 1)
                self.assertTrue(names[0].startswith('veltrane-new-'), names)
            finally:
                self.js('return navigator.serviceWorker.getRegistrations()'
                        '.then((rs) => Promise.all(rs.map((r) => r.unregister())))')
                server.shutdown()


if __name__ == '__main__':
    unittest.main(argv=sys.argv[:1], verbosity=2)
