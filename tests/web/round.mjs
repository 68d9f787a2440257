// One round in the browser as a player plays it, from the unzipped web
// package: the title, the page's full-screen control there and back (its
// clicks never reach the game), a resize, a click to start, three fuses lit,
// the blasts, the score screen with a score above 0, a click back to the
// title, and no error on the console. The page records the session to the
// console (?record): every click must pick the floor point of the place
// clicked on the page, at any pixel ratio, and the recording must replay
// natively to the same outcome lines.
//
//   node round.mjs PACKAGE.zip NATIVE_BUILD DATA_DIR WORK_DIR SCALE WIDTHxHEIGHT
//
// The canvas is WIDTH x HEIGHT pixels, so the page WIDTH / SCALE by
// HEIGHT / SCALE CSS pixels; the screenshots are taken in canvas pixels.
import { execFileSync } from 'node:child_process';
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { fail, frames, launch, open, serve, step, unzipPackage, waitFor, waitForScreen } from './browser.mjs';

const [zip, native, data, work, scaleText, size] = process.argv.slice(2);
const scale = Number(scaleText);
const [width, height] = size.split('x').map(Number);
const check = join(native, 'tests/e2e/xwd_check');
const css = { width: width / scale, height: height / scale };
const at = (fx, fy) => [Math.round(fx * css.width), Math.round(fy * css.height)];

const server = await serve(unzipPackage(zip, work));
const browser = await launch();
const page = await open(browser, `${server.url}?record`, { viewport: css, deviceScaleFactor: scale });
const recorded = (pattern) => page.lines.filter((line) => pattern.test(line));

step(`the title at a pixel ratio of ${scale}`);
await waitForScreen(page, check, work, 'title-white', 60);
const canvas = await page.evaluate(() => {
    const c = document.querySelector('canvas');
    return { width: c.width, height: c.height, css: c.clientWidth };
});
if (canvas.width !== width || canvas.height !== height || canvas.css !== css.width)
    fail(`the canvas is ${canvas.width} x ${canvas.height} pixels over ${canvas.css} CSS pixels`);

step('full screen and back with the page control');
const control = page.getByRole('button');
for (const wanted of [true, false]) {
    // It shows once the mouse moves.
    await page.mouse.move(css.width - 24, 24);
    await control.click();
    await waitFor(`full screen ${wanted}`, 10, () => page.evaluate(() => document.fullscreenElement !== null).then((f) => f === wanted));
}
await frames(page, 2);
if (recorded(/ click /).length) fail(`the control's clicks reached the game: ${recorded(/ click /)}`);

step('a resize is a new round, and the mouse maps against the new canvas');
const sizes = recorded(/ size$/).length;
await page.setViewportSize({ width: css.width * 3 / 4, height: css.height * 3 / 4 });
await waitFor('no size message for the smaller page', 10, () => recorded(/ size$/).length > sizes);
await page.mouse.move(css.width * 3 / 8, css.height * 3 / 8);
await waitFor('no move recorded', 10, () => recorded(new RegExp(` move ${width * 3 / 8} ${height * 3 / 8}$`)).length);
if (!recorded(new RegExp(` display ${width * 3 / 4} ${height * 3 / 4}$`)).length)
    fail(`the mouse is not mapped against the smaller canvas: ${page.lines}`);
await page.setViewportSize(css);
await waitFor('no size message for the page made whole again', 10, () => recorded(/ size$/).length > sizes + 1);

step('click to start');
await page.mouse.click(...at(0.5, 0.39));
await waitForScreen(page, check, work, 'playing', 60);
// Three people in the crowd, each click taken by a frame of its own: two
// presses before one frame would be one click.
const spots = [[0.3125, 0.547], [0.5, 0.586], [0.6875, 0.625]];
for (const [fx, fy] of spots) {
    step(`click on the crowd at ${at(fx, fy)}`);
    await page.mouse.click(...at(fx, fy));
    await frames(page, 1);
}
// Up to the right, so the marker's lines cross no label.
await page.mouse.move(...at(0.996, 0.078));
await frames(page, 1);
step('three fuses burning');
await waitForScreen(page, check, work, 'fuses', 30);
step('waiting for the blasts');
await waitForScreen(page, check, work, 'blasts', 120);
step('waiting for the falls to end and the score');
await waitForScreen(page, check, work, 'score', 600);
step('click to leave the score screen');
await page.mouse.click(...at(0.5, 0.39));
await waitForScreen(page, check, work, 'title-red', 60);
await frames(page, 1);

step('what the game recorded');
for (const [k, [fx, fy]] of spots.entries()) {
    const [x, y] = at(fx, fy).map((v) => v * scale);
    if (recorded(new RegExp(` click ${x} ${y}$`)).length === 0)
        fail(`click ${k + 1} is not recorded at canvas pixel ${x} ${y}: ${recorded(/ click /)}`);
}
if (!recorded(new RegExp(` display ${width} ${height}$`)).length) fail('the clicks are not mapped against the whole canvas');
const outcomes = recorded(/ outcome /);
if (!outcomes.some((line) => / outcome state 2 score [1-9][0-9]* explosions 3$/.test(line)))
    fail(`no round ended on a score above 0 after three blasts: ${outcomes}`);
if (page.errors.length) fail(`errors on the console: ${page.errors}`);
await browser.close();
server.close();

// The page's recording, as a file the native replay plays to the same outcome.
const recording = join(work, 'round.rec');
writeFileSync(recording, page.lines.filter((line) => /^(pace|window|[0-9]+ )/.test(line)).join('\n') + '\n');
const summary = execFileSync(join(native, 'tools/fusewalker-replay'), ['--data', data, '--script', recording, '--size', '64x48'])
    .toString();
if (!summary.includes(`"outcomesChecked":${outcomes.length}`)) fail(`the page's recording does not replay natively: ${summary}`);
step(`passed: ${outcomes.join(', ')}; the recording replays natively: ${summary.trim()}`);
