// The page in headless Chromium, each test a whole road through it: the
// page drawn, alice's click carried to every view, a typed line, and the
// first picture against the kept one.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { existsSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import {
  canvasPixels, clickWidget, framesDrawn, launch, openPage, root, serve, state, waitForState, wasmSimTool,
} from './harness.mjs';

const VIEWS = ['#view-0', '#view-1', '#view-2'];
const TEAM_1 = [245, 166, 35];
const REFERENCE = join(root, 'tests/page/reference/first-picture.png');

let server;
let browser;
before(async () => {
  server = await serve();
  browser = await launch();
});
after(async () => {
  await browser?.close();
  server?.close();
});

const carOf = (client, name) => client.cars.find((car) => car.name === name);

// Pixels of a car's body in the team-1 colour, of all its pixels.
async function team1Share(page, view, car) {
  const pixels = await canvasPixels(page, view, car);
  let hits = 0;
  for (let i = 0; i < pixels.length; i += 4) {
    if (TEAM_1.every((value, c) => Math.abs(pixels[i + c] - value) < 30)) hits += 1;
  }
  return hits / (pixels.length / 4);
}

test('the page loads with no console error and draws three views', async () => {
  const { page, errors } = await openPage(browser, server.url);
  const now = await state(page);
  assert.deepEqual(now.clients.map((client) => client.name), ['alice', 'bruno', 'dmitri']);
  for (const [index, client] of now.clients.entries()) {
    assert.deepEqual(client.cars.map((car) => [car.name, car.hidden]),
      [['Alice', false], ['Dmitri', false], ['Bruno', false], ['Carmen', false]]);
    assert.ok(await team1Share(page, VIEWS[index], carOf(client, 'Bruno')) > 0.5, `Bruno's car drawn on ${client.name}`);
  }
  assert.deepEqual(errors, []);
  await page.close();
});

test('"Visible to Opponents" under Bruno on alice\'s page hides his car on alice and dmitri, not on bruno', async () => {
  const { page, errors } = await openPage(browser, server.url);
  await clickWidget(page, ['Bruno']);
  await clickWidget(page, ['Bruno', 'Visible to Opponents']);
  const hiddenWhereExpected = (s) => s.clients.every(
    (client) => carOf(client, 'Bruno').hidden === (client.name !== 'bruno'));
  const now = await waitForState(page, hiddenWhereExpected, "Bruno's car hidden on alice and dmitri only");
  await framesDrawn(page, 2);  // the views drawn after the state
  for (const [index, client] of now.clients.entries()) {
    const share = await team1Share(page, VIEWS[index], carOf(client, 'Bruno'));
    if (client.name === 'bruno') assert.ok(share > 0.5, `Bruno's car still drawn on bruno (${share})`);
    else assert.ok(share < 0.05, `Bruno's car no longer drawn on ${client.name} (${share})`);
  }
  const aliceConsole = await page.locator('.client .console').first().textContent();
  assert.match(aliceConsole, /Sending netcode message 0:1,1,1;1:1,1,1;2:1,1,1;3:1,0,1;/);
  assert.deepEqual(errors, []);
  await page.close();
});

// Each line typed on the page prints what it prints in corvane-sim (the
// WebAssembly build, which prints what the Linux build prints), run after
// the same set-up with nothing ticking in between.
test('a typed line does what it does in corvane-sim; a bad line shows its error and the page goes on', async () => {
  const table = JSON.stringify({ invisDeque: Array.from({ length: 9 }, (_, row) => [true, row !== 4, true]) });
  const lines = [`invis_json ${table}`, 'sim player add final Eve team=1 shortcut=5', 'sim frobnicate', 'sim players final'];
  const { page, errors } = await openPage(browser, server.url);
  await page.evaluate(() => window.glimmer.pause());
  const typed = [];
  for (const line of lines) {
    const before = await page.locator('#transcript').textContent();
    await page.locator('#line').fill(line);
    await page.locator('#line').press('Enter');
    typed.push((await page.locator('#transcript').textContent()).slice(before.length).replace(/^.*\n/, ''));
  }
  assert.deepEqual(typed, corvaneSimPrints(lines));
  assert.match(typed[2], /^error: unknown sim command "frobnicate"/);
  // The page goes on: it draws, and the table reaches bruno, whose view has Eve too.
  const framesBefore = await page.evaluate(() => window.glimmer.frames);
  await page.evaluate(() => window.glimmer.play());
  await page.waitForFunction((frames) => window.glimmer.frames > frames + 3, framesBefore);
  await waitForState(page, (s) => s.clients.every((c) => carOf(c, 'Eve')), 'Eve on every view');
  // With a fifth node and Bruno's open, alice's page is higher than its canvas
  // was made: the canvas grows to hold the last line.
  const canvas = page.locator('#settings');
  const made = await canvas.evaluate((element) => element.height);
  await page.evaluate(() => Module.ccall('page_run_line', 'string', ['string'], ['sim open Bruno']));
  const grown = await waitForState(page, (s) => s.settingsNeededHeight > made, 'a page higher than its canvas');
  await page.waitForFunction((made) => document.querySelector('#settings').height > made, made);
  assert.ok(await canvas.evaluate((element) => element.height) >= Math.ceil(grown.settingsNeededHeight));
  await page.evaluate(() => Module.ccall('page_run_line', 'string', ['string'], ['sim use bruno']));
  await page.waitForFunction((row) => Module.ccall('page_run_line', 'string', ['string'], ['invis_json']).includes(row),
    '[true,true,true],[true,false,true]');
  assert.deepEqual(errors, []);
  await page.close();
});

// corvane-sim's output for each line after the page's set-up: what the line
// printed, then the console lines it made any client write.
function corvaneSimPrints(lines) {
  const setUp = execFileSync('node', ['--no-experimental-fetch', wasmSimTool, '--print-default'], { encoding: 'utf8' });
  const script = setUp.slice(0, setUp.indexOf('\n# Before:')) + '\nsim tick\nsim use alice\nsim echo @@\n' +
    lines.map((line) => `${line}\nsim echo @@\n`).join('');
  // The bad line makes corvane-sim end with status 1.
  const { stdout: output } = spawnSync('node', ['--no-experimental-fetch', wasmSimTool, '-'], { input: script, encoding: 'utf8' });
  return output.split('\n== @@ ==\n').slice(1, lines.length + 1)
    .map((part) => part.replace(/^\n/, '').replace(/^error: line \d+: /gm, 'error: '));
}

// The canvases of the page's first picture, side by side as on the page,
// against the kept one: a channel may differ by TOLERANCE, and at most
// MAX_SHARE of the pixels may differ more. GLIMMERFADE_RENEW_REFERENCE=1
// keeps the picture of this run instead.
test('the first picture matches the kept reference', async () => {
  const TOLERANCE = 24;
  const MAX_SHARE = 0.002;
  const { page, errors } = await openPage(browser, server.url);
  const picture = await page.evaluate(() => {
    const parts = ['#view-0', '#view-1', '#view-2', '#settings'].map((id) => document.querySelector(id));
    const whole = document.createElement('canvas');
    whole.width = parts[0].width * 3;
    whole.height = parts[0].height + parts[3].height;
    const context = whole.getContext('2d');
    context.fillStyle = '#101217';
    context.fillRect(0, 0, whole.width, whole.height);
    parts.slice(0, 3).forEach((part, index) => context.drawImage(part, part.width * index, 0));
    context.drawImage(parts[3], 0, parts[0].height);
    return whole.toDataURL('image/png');
  });
  if (process.env.GLIMMERFADE_RENEW_REFERENCE === '1' || !existsSync(REFERENCE)) {
    writeFileSync(REFERENCE, Buffer.from(picture.split(',')[1], 'base64'));
    if (process.env.GLIMMERFADE_RENEW_REFERENCE !== '1') assert.fail(`no reference yet; kept this run's as ${REFERENCE}`);
  }
  const reference = 'data:image/png;base64,' + readFileSync(REFERENCE).toString('base64');
  const difference = await page.evaluate(async ({ picture, reference, tolerance }) => {
    const pixelsOf = async (url) => {
      const image = new Image();
      image.src = url;
      await image.decode();
      const canvas = document.createElement('canvas');
      canvas.width = image.width;
      canvas.height = image.height;
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      return context.getImageData(0, 0, image.width, image.height);
    };
    const [got, want] = [await pixelsOf(picture), await pixelsOf(reference)];
    if (got.width !== want.width || got.height !== want.height)
      return { size: `${got.width} x ${got.height} instead of ${want.width} x ${want.height}` };
    let differing = 0;
    let first = null;
    for (let i = 0; i < got.data.length; i += 4) {
      const far = [0, 1, 2].some((c) => Math.abs(got.data[i + c] - want.data[i + c]) > tolerance);
      if (!far) continue;
      differing += 1;
      first ??= { x: (i / 4) % got.width, y: Math.floor(i / 4 / got.width),
        got: Array.from(got.data.slice(i, i + 3)), want: Array.from(want.data.slice(i, i + 3)) };
    }
    return { differing, share: differing / (got.width * got.height), first };
  }, { picture, reference, tolerance: TOLERANCE });
  assert.equal(difference.size, undefined, `the picture is ${difference.size}`);
  assert.ok(difference.share <= MAX_SHARE,
    `${difference.differing} pixels differ from ${REFERENCE}; the first at ` +
    `(${difference.first?.x}, ${difference.first?.y}): ${difference.first?.got} instead of ${difference.first?.want} ` +
    '(GLIMMERFADE_RENEW_REFERENCE=1 keeps the new picture)');
  assert.deepEqual(errors, []);
  await page.close();
});
