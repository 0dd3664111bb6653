"""The page in a real browser: headless Chromium against the served build/web folder (and
once from file://), its numbers and files against veltrane-cli's.

usage: /usr/bin/python3 tests/web/page_test.py SITE_DIR VELTRANE_CLI
"""
import functools
import http.server
import os
import pathlib
import subprocess
import sys
import tempfile
import threading
import time
import unittest

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
CLI_OPTION = {'pivot': '--pivot', 'inner': '--inner', 'outer': '--outer',
              'correction-x': '--correction-x', 'correction-y': '--correction-y',
              'arm-id': '--id'}

# Field texts (odd ones included) and the alignment; unnamed fields keep their initial texts.
SUMMARY_CASES = [
    ({}, 'lofgren-a'),
    ({'pivot': '239.3', 'inner': '60.325'}, 'lofgren-b'),
    ({'pivot': '222', 'inner': '63', 'outer': '145'}, 'stevenson-a'),
    ({'pivot': '1.5', 'inner': 'abc', 'outer': ''}, 'lofgren-a'),
    ({'pivot': '  209mm', 'inner': '&H10', 'outer': '2.5e1'}, 'lofgren-b'),
    ({'pivot': '1e9999', 'correction-x': '-3', 'correction-y': '.5'}, 'stevenson-a'),
    ({'pivot': '0', 'inner': '0', 'outer': '0'}, 'lofgren-a'),
    ({'arm-id': 'Löfgren’s arm № 7 ✓ with a very long name beyond forty characters'}, 'lofgren-a'),
    ({'pivot': '-209', 'inner': '146.05', 'outer': '57.5', 'arm-id': 'tab\there'}, 'lofgren-b'),
    ({'null-inner': '66', 'null-outer': '121'}, 'custom'),
    ({'pivot': '239.3', 'null-inner': '120.9', 'null-outer': '65.998'}, 'custom'),
]


def cli(*args):
    """veltrane-cli's standard output, or for a refused request its problem's words."""
    run = subprocess.run([str(CLI), *args], capture_output=True, text=True)
    if run.returncode == 2 and run.stderr.startswith('veltrane-cli: '):
        return run.stderr.splitlines()[0][len('veltrane-cli: '):]
    run.check_returncode()
    return run.stdout


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.js': 'text/javascript'}

    def log_message(self, *args):
        pass


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        handler = functools.partial(QuietHandler, directory=str(SITE))
        cls.server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
        threading.Thread(target=cls.server.serve_forever, daemon=True).start()
        cls.url = 'http://127.0.0.1:%d/' % cls.server.server_address[1]
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

    def open(self, url=None):
        started = time.monotonic()
        self.driver.get(url or self.url)
        while self.driver.execute_script('return document.body.dataset.ready') != 'true':
            self.assertLess(time.monotonic() - started, 10, 'the page did not start')
            time.sleep(0.02)
        return time.monotonic() - started

    def by_id(self, element_id):
        return self.driver.find_element(By.ID, element_id)

    def type_text(self, element_id, text):
        # As typing does, but any text (chromedriver types no characters beyond the BMP).
        self.driver.execute_script(
            'const e = document.getElementById(arguments[0]); e.value = arguments[1];'
            'e.dispatchEvent(new Event("input"));', element_id, text)

    def choose(self, alignment):
        self.driver.find_element(By.CSS_SELECTOR, 'input[name=alignment][value="%s"]' % alignment).click()

    def test_summary_equals_the_cli_as_typed(self):
        self.assertLess(self.open(), 1.0)
        initial = {name: self.by_id(name).get_attribute('value') for name in MAIN_FIELDS}
        self.assertEqual(initial, {'pivot': '209', 'inner': '57.5', 'outer': '146.05',
                                   'correction-x': '1.0', 'correction-y': '1.0', 'arm-id': ''})
        for texts, alignment in SUMMARY_CASES:
            with self.subTest(texts=texts, alignment=alignment):
                self.open()
                fields = {**initial, **texts}
                for name, text in texts.items():
                    self.type_text(name, text)
                self.choose(alignment)
                if alignment == 'custom':
                    args = ['summary', '--nulls', texts['null-inner'] + ',' + texts['null-outer']]
                else:
                    args = ['summary', '--alignment', alignment]
                for name in MAIN_FIELDS:
                    args.append(CLI_OPTION[name] + '=' + fields[name])
                expected = cli(*args).rstrip('\n')
                shown = self.driver.execute_script('return document.getElementById("summary").textContent')
                self.assertEqual(shown, expected)

    def test_typing_presets_and_notes(self):
        self.open()
        pivot = self.by_id('pivot')
        pivot.send_keys(Keys.CONTROL, 'a')
        pivot.send_keys('222,5')
        # A single decimal comma is the decimal point; what is no number is named.
        self.assertIn('Pivot to spindle distance = 222.500', self.by_id('summary').text)
        self.assertEqual(self.by_id('pivot-note').text, '')
        pivot.send_keys('x')
        self.assertEqual(self.by_id('pivot-note').text,
                         "pivot distance must be a number of mm, such as 222.5, not '222,5x'")
        pivot.send_keys(Keys.BACKSPACE)
        pivot.send_keys(Keys.BACKSPACE, Keys.BACKSPACE)
        self.assertEqual(self.by_id('pivot-note').text, '')
        self.by_id('preset-iec').click()
        self.assertEqual(self.by_id('inner').get_attribute('value'), '60.325')
        self.assertEqual(self.by_id('outer').get_attribute('value'), '146.05')
        self.assertIn('Inner groove radius = 60.325', self.by_id('summary').text)
        self.by_id('preset-jis').click()
        self.assertEqual(self.by_id('inner').get_attribute('value'), '57.6')
        self.assertEqual(self.by_id('outer').get_attribute('value'), '146.5')

    def test_recomputing_is_fast(self):
        # The median of several recomputes (summary, notes, preview, chart, peaks): on a
        # machine busy with other work a single one can take longer.
        self.open()
        times = self.driver.execute_script(
            'const e = document.getElementById("pivot"); const times = [];'
            'for (const text of ["222", "239.3", "250", "1,5", "abc", "209", "231"]) {'
            '  e.value = text; const t = performance.now(); e.dispatchEvent(new Event("input"));'
            '  times.push(performance.now() - t); }'
            'return times.sort((a, b) => a - b);')
        self.assertLess(times[len(times) // 2], 50, times)

    def test_calibration_fills_the_correction_fields(self):
        self.open()
        self.type_text('correction-x', '1.005')
        self.type_text('measured-x', '199')
        self.type_text('measured-y', '200.5')
        expected = cli('calibrate', '--measured-x', '199', '--measured-y', '200.5',
                       '--correction-x', '1.005').splitlines()[:2]
        self.assertEqual(self.by_id('calibration').text.splitlines()[:2], expected)
        self.by_id('apply-calibration').click()
        self.assertEqual(self.by_id('correction-x').get_attribute('value'), expected[0].split(' = ')[1])
        self.assertEqual(self.by_id('correction-y').get_attribute('value'), expected[1].split(' = ')[1])

    def test_keyboard_reaches_every_control(self):
        self.open()
        controls = set(self.driver.execute_script(
            'return [...document.querySelectorAll("input, select, button")]'
            '.filter((e) => e.type !== "radio").map((e) => e.id)'))
        self.assertTrue(controls)
        reached = set()
        body = self.driver.find_element(By.TAG_NAME, 'body')
        body.click()
        for _ in range(len(controls) + 10):
            # As a key press: a file input takes send_keys as the path of a file to choose.
            ActionChains(self.driver).send_keys(Keys.TAB).perform()
            active = self.driver.switch_to.active_element
            reached.add(active.get_attribute('name') if active.get_attribute('type') == 'radio'
                        else active.get_attribute('id'))
        self.assertEqual((controls | {'alignment'}) - reached, set())
        # The arrow keys move between the options, and the summary follows.
        self.driver.find_element(By.CSS_SELECTOR, 'input[name=alignment]:checked').send_keys(Keys.ARROW_DOWN)
        self.assertEqual(self.driver.find_element(By.CSS_SELECTOR, 'input[name=alignment]:checked')
                         .get_attribute('value'), 'lofgren-b')

    def download(self, button):
        before = set(os.listdir(self.downloads.name))
        self.by_id(button).click()
        started = time.monotonic()
        while time.monotonic() - started < 10:
            new = [name for name in set(os.listdir(self.downloads.name)) - before
                   if not name.endswith('.crdownload')]
            if new:
                return pathlib.Path(self.downloads.name, new[0]).read_bytes()
            if self.by_id('download-message').text == 'This build writes no PDF.':
                self.skipTest('this build writes no PDF')
            time.sleep(0.05)
        self.fail('nothing was downloaded by ' + button)

    def check_pdf(self, pdf, *cli_args):
        # The browser's build has no zlib, so its content streams are plain: the PDFs are
        # compared with their streams uncompressed.
        def uncompressed(path):
            return subprocess.run(['qpdf', '--qdf', '--object-streams=disable', '--deterministic-id',
                                   str(path), '-'],
                                  check=True, capture_output=True).stdout
        with tempfile.TemporaryDirectory() as folder:
            downloaded = pathlib.Path(folder, 'page.pdf')
            downloaded.write_bytes(pdf)
            subprocess.run(['qpdf', '--check', str(downloaded)], check=True, capture_output=True)
            self.assertIn(b'/PrintScaling /None', pdf)
            expected = pathlib.Path(folder, 'expected.pdf')
            cli(*cli_args, '--format', 'pdf', '-o', str(expected))
            self.assertEqual(uncompressed(downloaded), uncompressed(expected))

    def test_downloads_are_the_cli_pdfs(self):
        self.open()
        self.type_text('pivot', '239,3')
        self.type_text('inner', '60.325')
        self.type_text('arm-id', 'Löfgren test')
        self.type_text('correction-x', '1.005')
        self.choose('lofgren-b')
        Select(self.by_id('paper')).select_by_value('letter')
        fields = ['--pivot', '239.3', '--inner', '60.325', '--id', 'Löfgren test',
                  '--correction-x', '1.005', '--paper', 'letter']
        self.check_pdf(self.download('download-template'), 'template', '--alignment', 'lofgren-b', *fields)
        self.check_pdf(self.download('download-strobe-60'), 'strobe', '60hz', *fields[6:])
        self.check_pdf(self.download('download-strobe-50'), 'strobe', '50hz', *fields[6:])
        self.type_text('strobe-rpm', '33 1/3,45')
        self.type_text('strobe-hz', '60')
        self.check_pdf(self.download('download-strobe-speed'), 'strobe', 'speed', '--rpm', '33 1/3,45',
                       '--hz', '60', *fields[6:])

    def test_preview_and_chart_are_svg_pages(self):
        self.open()
        for element_id in ['template-preview', 'chart']:
            svg = self.driver.execute_script(
                'return document.querySelector("#%s svg")?.outerHTML ?? ""' % element_id)
            if not svg:
                self.skipTest('this build draws no SVG')
            self.assertIn('<svg', svg)
        # One curve per alignment in each plot, and a row of figures per alignment.
        rows = self.driver.find_elements(By.CSS_SELECTOR, '#peaks tbody tr')
        self.assertEqual([row.find_element(By.TAG_NAME, 'th').text for row in rows],
                         ['Löfgren A (chosen)', 'Löfgren B', 'Stevenson A'])

    def test_every_input_has_a_label_and_the_page_its_language(self):
        self.open()
        unlabelled = self.driver.execute_script(
            'return [...document.querySelectorAll("input, select")]'
            '.filter((e) => e.labels.length === 0).map((e) => e.id)')
        self.assertEqual(unlabelled, [])
        self.assertEqual(self.driver.find_element(By.TAG_NAME, 'html').get_attribute('lang'), 'en')
        self.assertTrue(self.driver.title)

    def test_works_from_file_and_loads_nothing_else(self):
        self.open(SITE.joinpath('index.html').as_uri())
        self.assertIn('Effective length = 226.277', self.by_id('summary').text)
        errors = [entry for entry in self.driver.get_log('browser') if entry['level'] == 'SEVERE']
        self.assertEqual(errors, [])
        size = sum(f.stat().st_size for f in SITE.iterdir() if f.is_file())
        self.assertLess(size, 2_000_000)


if __name__ == '__main__':
    unittest.main(argv=sys.argv[:1], verbosity=2)
