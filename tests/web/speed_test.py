"""The page's speed measurement in headless Chromium: a WAV file through the file input and
through the microphone (Chromium's fake capture device plays it), against veltrane-cli.

usage: /usr/bin/python3 tests/web/speed_test.py SITE_DIR VELTRANE_CLI
"""
import functools
import http.server
import math
import pathlib
import re
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

SITE = pathlib.Path(sys.argv[1]).resolve()
CLI = pathlib.Path(sys.argv[2]).resolve()
RATE = 48000
ERROR_PERCENT = 0.3


def write_tone(path, seconds, error_percent, modulation_hz, modulation_percent):
    """A 3150 Hz test tone, 16-bit mono, its speed off and modulated sinusoidally."""
    step = 2 * math.pi * 3150 / RATE
    phase = 0.0
    frames = bytearray()
    for i in range(int(seconds * RATE)):
        frames += struct.pack('<h', round(16000 * math.sin(phase)))
        speed = 1 + (error_percent + modulation_percent *
                     math.sin(2 * math.pi * modulation_hz * i / RATE)) / 100
        phase = (phase + step * speed) % (2 * math.pi)
    header = struct.pack('<4sI4s4sIHHIIHH4sI', b'RIFF', 36 + len(frames), b'WAVE', b'fmt ', 16,
                         1, 1, RATE, RATE * 2, 2, 16, b'data', len(frames))
    path.write_bytes(header + frames)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.js': 'text/javascript'}

    def log_message(self, *args):
        pass


class SpeedTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.wav = pathlib.Path(cls.folder.name, 'tone.wav')
        write_tone(cls.wav, 20, ERROR_PERCENT, 4, 0.1)
        handler = functools.partial(QuietHandler, directory=str(SITE))
        cls.server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
        threading.Thread(target=cls.server.serve_forever, daemon=True).start()
        options = Options()
        for argument in ['--headless=new', '--no-sandbox', '--use-fake-ui-for-media-stream',
                         '--use-fake-device-for-media-stream',
                         '--use-file-for-fake-audio-capture=' + str(cls.wav),
                         '--autoplay-policy=no-user-gesture-required']:
            options.add_argument(argument)
        cls.driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
        cls.driver.get('http://127.0.0.1:%d/' % cls.server.server_address[1])
        started = time.monotonic()
        while cls.driver.execute_script('return document.getElementById("speed-section").dataset.ready') != 'true':
            if time.monotonic() - started > 10:
                raise AssertionError('the speed section did not start')
            time.sleep(0.05)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.shutdown()
        cls.folder.cleanup()

    def result(self):
        return self.driver.find_element(By.ID, 'speed-result').text

    def wait_for(self, pattern, seconds):
        started = time.monotonic()
        while not re.search(pattern, self.result()):
            self.assertLess(time.monotonic() - started, seconds, self.result())
            time.sleep(0.05)
        return re.search(pattern, self.result())

    def test_file_reads_as_the_cli_does(self):
        expected = subprocess.run([str(CLI), 'speed', str(self.wav)], check=True,
                                  capture_output=True, text=True).stdout.rstrip('\n')
        self.driver.find_element(By.ID, 'speed-file').send_keys(str(self.wav))
        self.wait_for('Duration', 20)
        self.assertEqual(self.result(), expected)
        self.assertIn('Speed error: +0.300 %', expected)

    def test_bad_file_is_one_problem(self):
        bad = pathlib.Path(self.folder.name, 'notes.wav')
        bad.write_bytes(b'hello')
        self.driver.find_element(By.ID, 'speed-file').send_keys(str(bad))
        self.wait_for('Problem', 10)
        self.assertEqual(self.result(), "Problem: 'notes.wav': the file is not a WAV file "
                         "(it is too short for one).")

    def test_microphone_live(self):
        self.driver.execute_script('document.getElementById("speed-result").textContent = ""')
        self.driver.find_element(By.ID, 'speed-listen').click()
        self.wait_for('Listening: ', 5)
        self.wait_for('Speed error', 15)
        # Updated at least twice a second, and every sample arrives: the duration measured
        # keeps up with the time listened.
        shown = set()
        first = float(self.wait_for(r'Duration: ([0-9.]+) s', 5).group(1))
        started = time.monotonic()
        while time.monotonic() - started < 2:
            shown.add(self.result())
            time.sleep(0.1)
        last = float(self.wait_for(r'Duration: ([0-9.]+) s', 5).group(1))
        self.assertGreaterEqual(len(shown), 4)
        self.assertGreater(last - first, 0.8 * (time.monotonic() - started) - 0.5)
        error = float(self.wait_for(r'Speed error: ([-+0-9.]+) %', 5).group(1))
        # Chromium's fake capture device drops or repeats a block now and then on a loaded
        # machine, and each such gap is a jump of the tone's phase: the file above holds the
        # figures to the last digit, the microphone to a few hundredths.
        self.assertAlmostEqual(error, ERROR_PERCENT, delta=0.05)
        self.driver.find_element(By.ID, 'speed-listen').click()
        self.assertEqual(self.driver.find_element(By.ID, 'speed-listen').text, 'Listen')


if __name__ == '__main__':
    unittest.main(argv=sys.argv[:1], verbosity=2)
