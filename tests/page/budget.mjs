// The page's budgets, measured in headless Chromium and printed (run by
// scripts/web-budget.sh; the tests time nothing).
import { existsSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { launch, openPage, root, serve } from './harness.mjs';

const LOADS = 5;
const FRAME_SECONDS = 5;

const median = (values) => quantile(values, 0.5);
function quantile(values, q) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
}
const kb = (bytes) => `${(bytes / 1024).toFixed(0)} KB`;

async function downloads(browser, url) {
  const page = await browser.newPage();
  const bodies = [];
  page.on('response', (response) => bodies.push(response.body().then((body) => [response.url(), body])));
  await page.goto(url);
  await page.waitForFunction(() => window.glimmer?.frames > 3);
  await page.close();
  return Promise.all(bodies);
}

async function firstFrames(browser, url) {
  const times = [];
  for (let i = 0; i < LOADS; i++) {
    const { page } = await openPage(browser, url);
    times.push(await page.evaluate(() => window.glimmer.firstFrameAt));
    await page.close();
  }
  return times;
}

async function frameTimes(browser, url) {
  const { page } = await openPage(browser, url);
  await page.waitForTimeout(1000);
  await page.evaluate(() => { window.glimmer.frameTimes.length = 0; });
  await page.waitForTimeout(FRAME_SECONDS * 1000);
  const times = await page.evaluate(() => window.glimmer.frameTimes.slice());
  await page.close();
  return times;
}

const server = await serve();
const browser = await launch();
try {
  const files = await downloads(browser, server.url);
  let raw = 0;
  let gzipped = 0;
  console.log('Bytes the page downloads (gzipped as a server with gzip -9 would send them):');
  for (const [url, body] of files) {
    const packed = gzipSync(body, { level: 9 }).length;
    raw += body.length;
    gzipped += packed;
    console.log(`  ${new URL(url).pathname.padEnd(20)} ${kb(body.length).padStart(8)} ${kb(packed).padStart(8)} gzipped`);
  }
  console.log(`  ${'total'.padEnd(20)} ${kb(raw).padStart(8)} ${kb(gzipped).padStart(8)} gzipped`);
  const first = await firstFrames(browser, server.url);
  console.log(`From navigation to the first drawn frame: ${median(first).toFixed(0)} ms median of ${LOADS} loads ` +
    `(${Math.min(...first).toFixed(0)} to ${Math.max(...first).toFixed(0)} ms)`);
  const frames = await frameTimes(browser, server.url);
  console.log(`A frame with three clients (clock running, alice's page and three views drawn): ` +
    `${median(frames).toFixed(2)} ms median, ${quantile(frames, 0.95).toFixed(2)} ms at the 95th percentile ` +
    `(${frames.length} frames in ${FRAME_SECONDS} s)`);
  const leg = join(root, 'build-web/web-leg-seconds');
  console.log(`The web leg (the web workflow in scripts/test.sh) last took: ${existsSync(leg) ? readFileSync(leg, 'utf8').trim() + ' s' : 'not run yet'}`);
} finally {
  await browser.close();
  server.close();
}
