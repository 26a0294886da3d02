// A picture of the page after alice's click, as the README shows it:
// node web/tests/page-picture.mjs FILE (scripts/pictures.sh runs it).
import { writeFileSync } from 'node:fs';
import { clickWidget, launch, openPage, serve, waitForState } from './harness.mjs';

const file = process.argv[2] ?? 'page-after-click.png';
const server = await serve();
const browser = await launch();
try {
  const { page } = await openPage(browser, server.url);
  await clickWidget(page, ['Bruno']);
  await clickWidget(page, ['Bruno', 'Visible to Opponents']);
  await waitForState(page, (s) => s.clients.filter((c) => c.cars.find((car) => car.name === 'Bruno').hidden).length === 2,
    "Bruno's car hidden on alice and dmitri");
  await page.waitForTimeout(500);  // the consoles' text catches up
  writeFileSync(file, await page.screenshot());
  console.log(`saved the page after alice's click as ${file}`);
} finally {
  await browser.close();
  server.close();
}
