"""Saves a picture of the page from file:// in a colour scheme and at a width: the whole
page, or with a HEIGHT what a screen of that size shows (a phone's: 390 844).

usage: /usr/bin/python3 tests/web/screenshot.py SITE_DIR OUT.png [light|dark] [WIDTH [HEIGHT]]
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
screen_height = int(sys.argv[5]) if len(sys.argv) > 5 else None
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
    height = screen_height or driver.execute_script('return document.documentElement.scrollHeight')
    driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', {
        'width': width, 'height': height, 'deviceScaleFactor': 1, 'mobile': width < 600})
    time.sleep(0.5)  # the chart is drawn again for the new width once resizing pauses
    driver.save_screenshot(out)
finally:
    driver.quit()
