// The web build's zip of the page (GLIMMERFADE_WEB_ZIP) is a static site as
// it is: unpacked, served by python3's http.server, it loads in headless
// Chromium with no console error and draws its frames.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { spawn, execFileSync } from 'node:child_process';
import { mkdtempSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { launch, openPage } from './harness.mjs';

const FILES = ['LICENSE', 'README.txt', 'glimmerfade.data', 'glimmerfade.js', 'glimmerfade.wasm', 'index.html',
  'page.css', 'page.js'];

// python3's server on a free port; resolves with its address once it listens.
function servePython(folder) {
  const server = spawn('python3', ['-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', folder],
    { stdio: ['ignore', 'pipe', 'pipe'] });
  return new Promise((resolve, reject) => {
    server.once('exit', (code) => reject(new Error(`python3's server ended (${code})`)));
    server.stdout.on('data', (text) => {
      const port = /port (\d+)/.exec(String(text))?.[1];
      if (port) resolve({ url: `http://127.0.0.1:${port}/`, close: () => server.kill() });
    });
  });
}

test('the zip of the page, served by python3, loads with no console error', async () => {
  const folder = mkdtempSync(join(tmpdir(), 'glimmerfade-web-zip-'));
  const browser = await launch();
  let server;
  try {
    execFileSync('cmake', ['-E', 'tar', 'xf', process.env.GLIMMERFADE_WEB_ZIP], { cwd: folder });
    assert.deepEqual(readdirSync(folder).sort(), FILES);
    server = await servePython(folder);
    const { page, errors } = await openPage(browser, server.url);
    assert.deepEqual(errors, []);
    await page.close();
  } finally {
    server?.close();
    await browser.close();
    rmSync(folder, { recursive: true, force: true });
  }
});
