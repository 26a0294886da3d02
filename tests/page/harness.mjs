// What the page's tests share: the built page served on 127.0.0.1, Debian's
// chromium-headless-shell driven by Playwright, and the page's own reports.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, resolve } from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';

const here = fileURLToPath(new URL('.', import.meta.url));
export const root = resolve(here, '../..');
// Playwright's driver, which npm ci installs into the build folder (the
// fixture Page.PlaywrightDriverInstalled), never into the source tree.
const driverDir = resolve(process.env.GLIMMERFADE_PLAYWRIGHT_DIR ?? join(root, 'build-web/tests/page/playwright'));
const { chromium } = createRequire(join(driverDir, 'package.json'))('playwright-core');
export const siteDir = resolve(process.env.GLIMMERFADE_PAGE_DIR ?? join(root, 'build-web/simulator/web/site'));
export const wasmSimTool = resolve(
  process.env.GLIMMERFADE_WASM_SIM_TOOL ?? join(root, 'build-web/simulator/tools/corvane-sim.js'));
const browserPath = process.env.GLIMMERFADE_CHROMIUM ?? '/usr/bin/chromium-headless-shell';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
};

// A static server of the page's folder, as python3's http.server serves it.
export async function serve(folder = siteDir) {
  const server = createServer(async (request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    const file = join(folder, path.endsWith('/') ? path + 'index.html' : path);
    try {
      const body = await readFile(file);
      response.writeHead(200, { 'Content-Type': types[extname(file)] ?? 'application/octet-stream' });
      response.end(body);
    } catch {
      response.writeHead(404);
      response.end();
    }
  });
  await new Promise((done) => server.listen(0, '127.0.0.1', done));
  return { url: `http://127.0.0.1:${server.address().port}/`, close: () => server.close() };
}

export async function launch() {
  return chromium.launch({
    executablePath: browserPath,
    args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
  });
}

// Opens the page at 1280 x 800 and waits until it has drawn a few frames.
// `errors` collects what the page writes to the browser's console as errors
// and what it throws.
export async function openPage(browser, url) {
  const page = await browser.newPage({ viewport: { width: 1280, height: 800 } });
  const errors = [];
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  page.on('pageerror', (error) => errors.push(String(error)));
  await page.goto(url);
  await page.waitForFunction(() => window.glimmer?.started && window.glimmer.frames > 3, null, { timeout: 20000 });
  return { page, errors };
}

export const state = (page) => page.evaluate(() => window.glimmer.state());

export async function waitForState(page, test, what, timeout = 10000) {
  const start = Date.now();
  for (;;) {
    const now = await state(page);
    if (test(now)) return now;
    if (Date.now() - start > timeout) throw new Error(`the page never showed ${what}: ${JSON.stringify(now)}`);
    await page.waitForTimeout(50);
  }
}

// Waits until the page has drawn count frames more than it had.
export async function framesDrawn(page, count) {
  const now = await page.evaluate(() => window.glimmer.frames);
  await page.waitForFunction((until) => window.glimmer.frames >= until, now + count);
}

// Clicks the widget of alice's settings page at the label path, where the
// program says it is, as a person would: press, and release once frames have
// been drawn with the button down.
export async function clickWidget(page, path) {
  const now = await waitForState(
    page, (s) => s.widgets.some((w) => same(w.path, path) && w.x !== undefined), `"${path.join(' / ')}"`);
  const widget = now.widgets.find((w) => same(w.path, path));
  const canvas = page.locator('#settings');
  const box = await canvas.boundingBox();
  const size = await canvas.evaluate((c) => ({ width: c.width, height: c.height }));
  await page.mouse.move(box.x + (widget.x * box.width) / size.width, box.y + (widget.y * box.height) / size.height);
  await page.mouse.down();
  await framesDrawn(page, 2);
  await page.mouse.up();
}

const same = (a, b) => a.length === b.length && a.every((label, i) => label === b[i]);

// The RGBA pixels of a canvas's rectangle, read in the page.
export function canvasPixels(page, selector, { x, y, w, h }) {
  return page.evaluate(
    ({ selector, x, y, w, h }) => {
      const source = document.querySelector(selector);
      const copy = document.createElement('canvas');
      copy.width = source.width;
      copy.height = source.height;
      const context = copy.getContext('2d');
      context.drawImage(source, 0, 0);
      return Array.from(context.getImageData(Math.floor(x), Math.floor(y), Math.ceil(w), Math.ceil(h)).data);
    },
    { selector, x, y, w, h });
}
