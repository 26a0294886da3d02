// The page's budgets, measured in headless Chromium and printed (run by
// scripts/web-budget.sh; the tests time nothing): the bytes it downloads, the
// time to its first drawn frame (median of 5 loads) and the time of a frame
// (median of 300). Fails when the page downloads more than WEIGHT_LIMIT_KB
// compressed.
//
//   node budget.mjs [--weight] [--against FOLDER]
// --weight: weighs the page and does nothing else (a test of the web build).
// --against FOLDER: measures another build of the page (a copy of an earlier
// site folder) in the same run, its loads taking turns with this one's.
import { existsSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { launch, openPage, root, serve, siteDir } from './harness.mjs';

const LOADS = 5;
const FRAMES = 300;
const WEIGHT_LIMIT_KB = 650;  // gzip -9 of every file the page loads

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

// Prints each file and the total, gzipped as a server with gzip -9 would send them.
async function weigh(browser, site) {
  let raw = 0;
  let gzipped = 0;
  console.log(`${site.name}: the bytes the page downloads (gzipped as a server with gzip -9 would send them):`);
  for (const [url, body] of await downloads(browser, site.url)) {
    const packed = gzipSync(body, { level: 9 }).length;
    raw += body.length;
    gzipped += packed;
    console.log(`  ${new URL(url).pathname.padEnd(20)} ${kb(body.length).padStart(8)} ${kb(packed).padStart(8)} gzipped`);
  }
  console.log(`  ${'total'.padEnd(20)} ${kb(raw).padStart(8)} ${kb(gzipped).padStart(8)} gzipped` +
    ` (at most ${WEIGHT_LIMIT_KB} KB)`);
  return gzipped;
}

async function firstFrame(browser, site) {
  const { page } = await openPage(browser, site.url);
  const at = await page.evaluate(() => window.glimmer.firstFrameAt);
  await page.close();
  return at;
}

async function frameTimes(browser, site) {
  const { page } = await openPage(browser, site.url);
  await page.waitForTimeout(1000);
  await page.evaluate(() => { window.glimmer.frameTimes.length = 0; });
  await page.waitForFunction((frames) => window.glimmer.frameTimes.length >= frames, FRAMES, { timeout: 60000 });
  const times = await page.evaluate((frames) => window.glimmer.frameTimes.slice(0, frames), FRAMES);
  await page.close();
  return times;
}

const against = process.argv.indexOf('--against');
const folders = [['this build', siteDir]];
if (against > 0) folders.push(['against', process.argv[against + 1]]);
const sites = await Promise.all(folders.map(async ([name, folder]) => ({ name, ...(await serve(folder)) })));
const browser = await launch();
try {
  for (const site of sites) {
    const gzipped = await weigh(browser, site);
    if (site === sites[0] && gzipped > WEIGHT_LIMIT_KB * 1024) {
      console.error(`The page downloads ${kb(gzipped)} gzipped, more than ${WEIGHT_LIMIT_KB} KB`);
      process.exitCode = 1;
    }
  }
  if (process.argv.includes('--weight')) process.exit();
  const first = sites.map(() => []);
  for (let load = 0; load < LOADS; load++)
    for (const [i, site] of sites.entries()) first[i].push(await firstFrame(browser, site));
  for (const [i, site] of sites.entries()) {
    console.log(`${site.name}: from navigation to the first drawn frame: ${median(first[i]).toFixed(0)} ms median ` +
      `of ${LOADS} loads (${Math.min(...first[i]).toFixed(0)} to ${Math.max(...first[i]).toFixed(0)} ms)`);
    const frames = await frameTimes(browser, site);
    console.log(`${site.name}: a frame with three clients (clock running, alice's page and three views drawn): ` +
      `${median(frames).toFixed(2)} ms median of ${frames.length}, ${quantile(frames, 0.95).toFixed(2)} ms ` +
      'at the 95th percentile');
  }
  const leg = join(root, 'build-web/web-leg-seconds');
  console.log(`The web leg (the web workflow in scripts/test.sh) last took: ${existsSync(leg) ? readFileSync(leg, 'utf8').trim() + ' s' : 'not run yet'}`);
} finally {
  await browser.close();
  for (const site of sites) site.close();
}
