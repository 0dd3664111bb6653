"""Saves a picture of the page from file://, whole, in a colour scheme and at a width.

usage: /usr/bin/python3 tests/web/screenshot.py SITE_DIR OUT.png [light|dark] [WIDTH]
"""
import pathlib
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service

site, out = pathlib.Path(sys.argv[1]).resolve(), sys.argv[2]
scheme = sys.argv[3] if len(sys.argv) > 3 else 'light'
width = int(sys.argv[4]) if len(sys.argv) > 4 else 1100
options = Options()
for argument in ['--headless=new', '--no-sandbox', '--hide-scrollbars',
                 '--window-size=%d,1000' % width]:
    options.add_argument(argument)
driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
try:
    driver.execute_cdp_cmd('Emulation.setEmulatedMedia', {
        'features': [{'name': 'prefers-color-scheme', 'value': scheme}]})
    driver.get(site.joinpath('index.html').as_uri())
    started = time.monotonic()
    while driver.execute_script('return document.body.dataset.ready') != 'true':
        if time.monotonic() - started > 10:
            sys.exit('the page did not start')
        time.sleep(0.05)
    height = driver.execute_script('return document.documentElement.scrollHeight')
    driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', {
        'width': width, 'height': height, 'deviceScaleFactor': 1, 'mobile': width < 600})
    driver.save_screenshot(out)
finally:
    driver.quit()
