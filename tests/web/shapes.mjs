// The whole picture on pages of every shape: a phone held upright and
// sideways (pixel ratio 3, touch), and 4:3, 16:9 and 21:9 monitors. On each,
// a playing frame with the pointer at the bottom left must show what a 4:3
// display shows, between black margins: the back wall's top edge, the whole
// crowd and the word "score" (the screen checker's "whole"). Then a phone
// turned back and forth 100 times in two seconds: no error, every resize
// the page saw a size message in its recording, and the title after it in
// the canvas that fits the last shape.
//
//   node shapes.mjs PACKAGE.zip NATIVE_BUILD DATA_DIR WORK_DIR
import { execFileSync } from 'node:child_process';
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { canvasBox, fail, launch, open, serve, shoot, step, unzipPackage, waitFor, waitForScreen } from './browser.mjs';

const [zip, native, , work] = process.argv.slice(2);
const check = join(native, 'tests/e2e/xwd_check');
const site = unzipPackage(zip, work);
// Play starts at the bottom left of a 1024 x 768 display, where the marker
// stays clear of the score; frame 3 is the second playing frame.
writeFileSync(join(site, 'corner.script'), '0 display 1024 768\n0 click 0 740\n');

const server = await serve(site);
const browser = await launch();
const phone = { deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const shapes = [
    ['portrait phone', { viewport: { width: 390, height: 844 }, ...phone }],
    ['landscape phone', { viewport: { width: 844, height: 390 }, ...phone }],
    ['4:3', { viewport: { width: 800, height: 600 } }],
    ['16:9', { viewport: { width: 960, height: 540 } }],
    ['21:9', { viewport: { width: 1260, height: 540 } }],
];
const results = [];
for (const [name, options] of shapes) {
    const page = await open(browser, `${server.url}?play=corner.script&pause=3`, options);
    await waitFor(`${name}: not paused after frame 3`, 120, () => page.lines.includes('paused after frame 3'));
    const path = join(work, `${name.replace(/[ :]/g, '-')}.png`);
    await shoot(page, path);
    let verdict;
    try {
        verdict = execFileSync(check, [path, 'whole']).toString().trim();
    } catch (error) {
        verdict = `FAILED ${error.stdout}`;
    }
    results.push(`${name}: ${verdict}`);
    step(`${name}: ${verdict}`);
    if (page.errors.length) fail(`${name}: errors on the console: ${page.errors}`);
    await page.context().close();
}
if (results.some((line) => line.includes('FAILED'))) fail('a shape does not show the whole picture');

step('a phone turned 100 times in two seconds');
const page = await open(browser, `${server.url}?record`, { viewport: { width: 844, height: 390 }, ...phone });
await page.evaluate(() => {
    window.resizes = [];
    addEventListener('resize', () => window.resizes.push(`${innerWidth}x${innerHeight}`));
});
await waitForScreen(page, check, work, 'title-white', 60);
// Each turn sent every 20 ms, without waiting for the page to take the one before.
const cdp = await page.context().newCDPSession(page);
const turns = [];
const begun = performance.now();
for (let turn = 1; turn <= 100; ++turn) {
    const [width, height] = turn % 2 ? [390, 844] : [844, 390];
    turns.push(cdp.send('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 3, mobile: true }));
    await new Promise((resolve) => setTimeout(resolve, Math.max(0, begun + turn * 20 - performance.now())));
}
const spent = (performance.now() - begun) / 1000;
await Promise.all(turns);
const sizes = () => page.lines.filter((line) => / size$/.test(line)).length;
const seen = await page.evaluate(() => window.resizes.length);
await waitFor('a size message for every resize', 60, () => sizes() === seen);
// The last shape is the landscape one: its canvas is 1560 x 1170.
const windows = page.lines.filter((line) => / window /.test(line)).map((line) => line.split(' ').slice(2).join('x'));
if (windows.at(-1) !== '1560x1170' || windows.some((size) => size !== '1560x1170' && size !== '1170x877'))
    fail(`the window sizes recorded: ${windows.join(', ')}`);
const box = await canvasBox(page);
if (box.width !== 520 || box.height !== 390) fail(`after the storm the canvas's box is ${JSON.stringify(box)}`);
await waitForScreen(page, check, work, 'title-white', 60);
if (page.errors.length) fail(`errors on the console: ${page.errors}`);
await browser.close();
server.close();
step(`passed: every shape shows the whole picture; ${seen} resizes in ${spent.toFixed(1)} s, each a size message`);
