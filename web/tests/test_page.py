"""The page in headless Chromium against tkvweb-sim: a block's registers with
their values, a change made by tkvtool appearing without a reload, and a
field edited in place."""
import os
import shutil
import subprocess
import tempfile

import pytest

webdriver = pytest.importorskip("selenium.webdriver")
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.support.ui import WebDriverWait  # noqa: E402

BIN = os.environ.get("TKV_BIN", "")
CHROMIUM, DRIVER = shutil.which("chromium"), shutil.which("chromedriver")


@pytest.fixture
def board(tmp_path):
    env = dict(os.environ, TKVSIM_STATE=str(tmp_path / "state"))
    server = subprocess.Popen([os.path.join(BIN, "tkvweb-sim"), "--listen", "127.0.0.1:0"], env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    try:
        url = server.stdout.readline().strip()
        assert url.startswith("http://127.0.0.1:"), server.stderr.read()
        yield url, lambda *words: subprocess.run([os.path.join(BIN, "tkvtool-sim"), *words], env=env,
                                                 check=True, capture_output=True, text=True).stdout
    finally:
        server.terminate()
        server.wait(timeout=5)


@pytest.fixture
def browser():
    if not CHROMIUM or not DRIVER:
        pytest.fail("chromium and chromium-driver are needed (debian/control lists them)")
    profile = tempfile.mkdtemp(prefix="tkvweb-chromium-")
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--no-first-run", f"--user-data-dir={profile}"):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service(DRIVER), options=options)
    try:
        yield driver
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)


def value_cell(browser, name):
    return browser.find_element(By.CSS_SELECTOR, f'tr[data-name="{name}"] td.value input')


def test_a_block_lives_and_takes_edits(board, browser):
    url, tool = board
    base = url.split("/?")[0]
    browser.get(url)  # the token becomes a cookie
    browser.get(base + "/block/ZV0")
    wait = WebDriverWait(browser, 5)
    wait.until(lambda b: b.find_elements(By.CSS_SELECTOR, 'tr[data-name="ZV0.PORT_CTRL"] td.value input'))
    control = value_cell(browser, "ZV0.PORT_CTRL")
    assert control.get_attribute("value") == "0x00000000"
    for name in ("ZV0.BUF0", "ZV0.BUF1", "ZV0.SIZE"):
        assert browser.find_elements(By.CSS_SELECTOR, f'tr[data-name="{name}"]')

    tool("write", "ZV0.PORT_CTRL", "layer3=1")  # another program changes the board
    wait.until(lambda b: value_cell(b, "ZV0.PORT_CTRL").get_attribute("value") == "0x00000200")

    field = browser.find_element(By.CSS_SELECTOR, 'input[data-name="ZV0.PORT_CTRL.layer1"]')
    field.clear()
    field.send_keys("1")
    browser.execute_script("arguments[0].dispatchEvent(new Event('change'))", field)
    wait.until(lambda b: tool("read", "ZV0.PORT_CTRL") == "0x00000300\n")
    wait.until(lambda b: value_cell(b, "ZV0.PORT_CTRL").get_attribute("value") == "0x00000300")

    field.clear()
    field.send_keys("2")  # does not fit in one bit: the server's message shows
    browser.execute_script("arguments[0].dispatchEvent(new Event('change'))", field)
    wait.until(lambda b: "does not fit" in b.find_element(By.CSS_SELECTOR, 'tr[data-name="ZV0.PORT_CTRL"] .error').text)
