// A page that lasts: a recording played through a lost WebGL context, its picture back by itself; a context
// never given back, said once; no WebGL 2, said; words where the game cannot play; a page behind another, with
// no frames but on animation frames and no burst back. Then as an app in a profile of its own: Chromium's
// installability check (the manifest, its icons), a round with the network cut, a new release within two reloads.
import { execFileSync } from 'node:child_process';
import { cpSync, readdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import {
    animationFrames, fail, frames, gameStatus, here, launch, launchProfile, listen, loseContext, open, picture, recordRound,
    restoreContext, serve, setUp, step, summaryOf, waitFor, waitForScreen,
} from './browser.mjs';

const { native, data, work, site, check } = setUp();
recordRound({ native, data, site });
const server = await serve(site);
const browser = await launch();
const small = { viewport: { width: 256, height: 192 } };

step('a recording played through a loss and a restore, then a loss that lasts');
const played = await open(browser, `${server.url}?play=round.rec`, small);
await waitFor('the playback does not start', 60, () => gameStatus(played).then((s) => s?.frames > 100));
await loseContext(played);
await waitFor('the game does not hear of the loss', 20, () => played.lines.some((line) => line.includes('context was lost')));
const lostAt = (await gameStatus(played)).frames;
await animationFrames(played, 30);
const [lost, waited] = [await picture(played, check, work, 'lost'), (await gameStatus(played)).frames - lostAt];
await restoreContext(played);
await waitFor('the context is not back', 20, () => played.lines.some((line) => line.includes('context is back')));
await frames(played, 1);
const restored = await picture(played, check, work, 'restored');
await waitFor('no summary', 600, () => summaryOf(played));
if (lost.lit > 1 || !restored.playing || waited > 0 || !summaryOf(played).includes('"outcomesChecked":2') || played.errors.length)
    fail(`through the loss: ${waited} frames without the context; ${summaryOf(played)} ${played.errors}`);
step(`  ${summaryOf(played)}`);
const lastingFrom = (await gameStatus(played)).frames;
await loseContext(played);
await waitFor('nothing said of a context that stays lost', 60, () => played.locator('#notice').isVisible());
await waitFor('no frames without the context', 20, () => gameStatus(played).then((s) => s.frames > lastingFrom + 10));
step(`  "${await played.locator('#notice').textContent()}"`);
if (played.errors.length !== 1) fail(`not said once: ${played.errors}`);

step('a browser with no WebGL 2');
const plain = await launch(['--disable-webgl2']);
const bare = await open(plain, server.url, { viewport: { width: 640, height: 480 } });
await waitFor('nothing said in the page', 60, () => bare.locator('#notice').isVisible());
const words = await bare.locator('#notice').textContent();
step(`  "${words}"; the console: ${bare.errors}`);
if (!words.includes('no WebGL 2') || !words.includes('Try') || !bare.errors.some((line) => line.includes('cant create hRC')))
    fail('the page does not say why it is black');
await plain.close();

step('words, not a black page, where the game cannot play');
// Copies of the page whose .wasm is gone, or is not WebAssembly.
for (const [name, bytes] of [['unfetchable'], ['corrupt', 'not WebAssembly']]) {
    const folder = join(work, 'copies', name);
    cpSync(site, folder, { recursive: true });
    const wasm = join(folder, readdirSync(folder).find((file) => /^fusewalker-.*\.wasm$/.test(file)));
    if (bytes) writeFileSync(wasm, bytes);
    else rmSync(wasm);
}
const copies = await serve(join(work, 'copies'));
for (const [what, url, wanted, then] of [
    ['the .wasm not found', `${copies.url}unfetchable/`, 'could not be loaded'],
    ['the .wasm corrupt', `${copies.url}corrupt/`, 'could not be loaded'],
    ['opened as a file', `file://${site}/index.html`, 'Opened as a file'],
    ['?fps=abc', `${server.url}?fps=abc`, 'is not a pace'],
    ['an error inside the game', server.url, 'stopped on an error of its own',
        (page) => waitFor('the game does not run', 60, () => gameStatus(page)).then(() => page.evaluate(() =>
            requestAnimationFrame(() => Module.abort('a test'))))],
]) {
    const page = await open(browser, url, small);
    await then?.(page);
    await waitFor(`${what}: nothing said`, 60, () => page.locator('#notice').textContent().then((text) => text.includes(wanted)));
    step(`  ${what}: "${await page.locator('#notice').textContent()}"`);
    await page.context().close();
}
copies.close();

step('a page behind another, at 10 frames a second');
const front = await open(browser, `${server.url}?fps=10`, small);
await front.evaluate(() => (function count(n) {
    window.animationFrames = n;
    requestAnimationFrame(() => count(n + 1));
})(0));
await waitFor('the game does not run', 60, () => gameStatus(front).then((s) => s?.frames > 10));
const counts = () => front.evaluate(() => [JSON.parse(Module.ccall('fw_status', 'string', [], [])).frames, window.animationFrames,
    performance.now() / 1000]);
await (await front.context().newPage()).bringToFront();
const [framesHidden, animationHidden] = await counts();
await new Promise((resolve) => setTimeout(resolve, 3000));
const [framesBack, animationBack, back] = await counts();
await front.bringToFront();
await new Promise((resolve) => setTimeout(resolve, 1000));
const [framesAfter, , after] = await counts();
const most = Math.floor((after - back) * 10) + 2;
step(`  behind: ${framesBack - framesHidden} frames on ${animationBack - animationHidden} animation frames in 3 s; back: `
    + `${framesAfter - framesBack} frames in ${(after - back).toFixed(2)} s (at most ${most}: 10 a second, and one on return)`);
if (framesBack - framesHidden > animationBack - animationHidden || framesAfter - framesBack > most)
    fail('frames ran without animation frames, or in a burst on the way back');
await browser.close();

const context = await launchProfile(join(work, 'profile'), { viewport: { width: 640, height: 480 } });
const page = listen(context.pages()[0] ?? await context.newPage());
const release = () => readFileSync(join(site, 'sw.js'), 'utf8').match(/Release = Kept \+ '([0-9a-f]+)'/)[1];
// The release the page's service worker keeps, once it has it all; `names`, the caches it last saw.
let names;
const kept = () => page.evaluate(async () => {
    const names = (await caches.keys()).filter((name) => name.startsWith(`fusewalker ${location.origin}/ `));
    return [names, names.length === 1 && (await (await caches.open(names[0])).keys()).length > 10 ? names[0].split(' ').pop() : null];
}).then(([all, one]) => ((names = all), one));

step('the first visit keeps the page; Chromium would install it (its manifest and icons)');
await page.goto(server.url);
await waitForScreen(page, check, work, 'title-white', 60);
await waitFor('the page is not kept', 60, kept);
const { installabilityErrors } = await (await context.newCDPSession(page)).send('Page.getInstallabilityErrors');
step(`  kept as ${await kept()}; installability errors: ${JSON.stringify(installabilityErrors)}`);
if (installabilityErrors.length) fail('Chromium would not install the page');

step('a file gone from the cache kept again; no network: a reload plays a round');
await page.evaluate(async () => (await caches.open((await caches.keys())[0])).delete(new URL('start.js', location).href));
await page.reload();
await waitForScreen(page, check, work, 'title-white', 60);
await context.setOffline(true);
await page.reload();
await waitForScreen(page, check, work, 'title-white', 60);
await page.mouse.click(320, 187);
await waitForScreen(page, check, work, 'playing', 60);
await context.setOffline(false);

step('a new release on the server: the page rebuilt, another release');
const index = readFileSync(join(site, 'index.html'), 'utf8');
writeFileSync(join(site, 'index.html'), index.replace('<title>', '<meta name="release" content="next">\n<title>'));
execFileSync('cmake', [`-DPAGE=${site}`, '-P', join(here, '../../platform/page/release.cmake')]);
const isNext = () => page.evaluate(() => document.querySelector('meta[name="release"]') !== null);
let reloads = 0;
while (!(await isNext()) && reloads < 2) {
    if (reloads === 1) await waitFor(() => `the new release is not taken: ${names}`, 60, async () => (await kept()) === release());
    await page.reload();
    ++reloads;
}
if (!(await isNext())) fail('the new release does not run after two reloads');
await waitForScreen(page, check, work, 'title-white', 60);
step(`  the new release runs after ${reloads} reload(s)`);
if (page.errors.length) fail(`errors on the console: ${page.errors}`);
await context.close();
server.close();
step('passed: the context lost and back, no WebGL 2 said, no frames behind another page; installable, plays offline, '
    + 'and the next release replaces the kept one');
