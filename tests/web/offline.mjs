// The page as an app, in a browser with a profile of its own, as a player's:
//  - its manifest, valid, and its icons, PNGs of their stated sizes; and
//    Chromium finds nothing that keeps it from being installed;
//  - kept from the first visit: with the network cut, a reload plays a
//    round, and a recording that was never kept is said not to be fetched;
//  - a new release on the server (the folder rebuilt with another page)
//    runs after at most two reloads.
//
//   node offline.mjs PACKAGE.zip NATIVE_BUILD DATA_DIR WORK_DIR
import { execFileSync } from 'node:child_process';
import { cpSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { fail, gameStatus, launchProfile, serve, step, unzipPackage, waitFor, waitForScreen } from './browser.mjs';

const [zip, native, , work] = process.argv.slice(2);
const check = join(native, 'tests/e2e/xwd_check');
const site = unzipPackage(zip, work);
const server = await serve(site);
const context = await launchProfile(join(work, 'profile'), { viewport: { width: 640, height: 480 } });
const page = context.pages()[0] ?? await context.newPage();
page.lines = [];
page.errors = [];
page.on('console', (message) => (message.type() === 'error' ? page.errors : page.lines).push(message.text()));
const release = (folder) => readFileSync(join(folder, 'sw.js'), 'utf8').match(/'(fusewalker-[0-9a-f]+)'/)[1];
// The release the page's service worker keeps, once it has it all.
const kept = () => page.evaluate(async () => {
    const names = (await caches.keys()).filter((name) => name.startsWith('fusewalker-'));
    return names.length === 1 && (await (await caches.open(names[0])).keys()).length > 10 ? names[0] : null;
});

step('the manifest and its icons');
const manifest = await (await fetch(`${server.url}manifest.webmanifest`)).json();
for (const field of ['name', 'short_name', 'start_url', 'display', 'orientation', 'background_color', 'theme_color'])
    if (!manifest[field]) fail(`the manifest has no ${field}`);
for (const icon of manifest.icons) {
    const png = Buffer.from(await (await fetch(server.url + icon.src)).arrayBuffer());
    const size = `${png.readUInt32BE(16)}x${png.readUInt32BE(20)}`;
    step(`  ${icon.src}: ${size}, said ${icon.sizes}`);
    if (png.toString('latin1', 1, 4) !== 'PNG' || size !== icon.sizes || icon.type !== 'image/png') fail(`${icon.src} is not as said`);
}
if (!['192x192', '512x512'].every((size) => manifest.icons.some((icon) => icon.sizes === size))) fail('no icon of 192 or 512');

step('the first visit keeps the page; Chromium would install it');
await page.goto(server.url);
await waitForScreen(page, check, work, 'title-white', 60);
await waitFor('the page is not kept', 60, kept);
const cdp = await context.newCDPSession(page);
const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
step(`  kept as ${await kept()}; installability errors: ${JSON.stringify(installabilityErrors)}`);
if (installabilityErrors.length) fail('Chromium would not install the page');

step('no network: a reload plays a round, and an unkept recording is not fetched');
await context.setOffline(true);
await page.reload();
await waitForScreen(page, check, work, 'title-white', 60);
await page.mouse.click(320, 187);
await waitForScreen(page, check, work, 'playing', 60);
await page.goto(`${server.url}?play=elsewhere.rec`);
await waitFor('nothing said of the recording', 60, () => page.locator('#notice').isVisible());
const words = await page.locator('#notice').textContent();
await page.mouse.click(320, 187);
await waitFor('the game does not play', 60, () => gameStatus(page).then((s) => s?.state === 1));
step(`  "${words}"`);
if (!words.includes('cannot fetch the recording elsewhere.rec')) fail('the missing recording is not said');
await context.setOffline(false);
await page.goto(server.url);
// What the browser and the game said of the missing recording.
page.errors.length = 0;

step('a new release on the server');
const next = join(work, 'next');
cpSync(site, next, { recursive: true });
const index = readFileSync(join(next, 'index.html'), 'utf8');
writeFileSync(join(next, 'index.html'), index.replace('<title>', '<meta name="release" content="next">\n<title>'));
execFileSync('cmake', [`-DPAGE=${next}`, '-P', join(new URL('.', import.meta.url).pathname, '../../platform/page/release.cmake')]);
if (release(next) === release(site)) fail('the rebuilt page is not another release');
cpSync(next, site, { recursive: true });
const isNext = () => page.evaluate(() => document.querySelector('meta[name="release"]') !== null);
let reloads = 0;
while (!(await isNext()) && reloads < 2) {
    if (reloads === 1) await waitFor('the new release is not taken', 60, async () => (await kept()) === release(next));
    await page.reload();
    ++reloads;
}
if (!(await isNext())) fail('the new release does not run after two reloads');
await waitForScreen(page, check, work, 'title-white', 60);
step(`  the new release runs after ${reloads} reload(s)`);
if (page.errors.length) fail(`errors on the console: ${page.errors}`);
await context.close();
server.close();
step('passed: installable, plays offline, and the next release replaces the kept one');
