// One round in the browser as a player plays it with the mouse, from the
// unzipped web package, on a page wider than 4:3, so the canvas sits
// between black margins: the title, the page's full-screen control there
// and back (its clicks never reach the game), a resize, a click to start,
// three fuses lit, the blasts, the score screen with a score above 0. There
// the round is shared: the link, from the page's control, opened in a fresh
// browser replays it with its outcome verified, and a click there plays a
// new round. Then a click back to the title, and no error on the console.
// The page records the session to the console (?record): every click must
// pick the floor point of the place clicked, and the recording, like the
// link's, must replay natively to the same outcome.
//
//   node round.mjs PACKAGE.zip NATIVE_BUILD DATA_DIR WORK_DIR WIDTHxHEIGHT
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';
import {
    canvasBox, fail, frames, launch, linkedRecording, open, recordingOf, replayNatively, serve, step, summaryOf,
    unzipPackage, waitFor, waitForScreen,
} from './browser.mjs';

const [zip, native, data, work, size] = process.argv.slice(2);
const [width, height] = size.split('x').map(Number);
const check = join(native, 'tests/e2e/xwd_check');

const server = await serve(unzipPackage(zip, work));
const browser = await launch();
const page = await open(browser, `${server.url}?record&fps=20`, {
    viewport: { width, height }, permissions: ['clipboard-read', 'clipboard-write'],
});
const recorded = (pattern) => page.lines.filter((line) => pattern.test(line));
// A place on the canvas, by its share of the canvas's width and height: the
// page's point, and the canvas pixel the game must be given.
let box = null;
let canvas = null;
const at = (fx, fy) => [Math.round(box.x + fx * box.width), Math.round(box.y + fy * box.height)];
const pixel = ([x, y]) => [Math.floor((x - box.x) * canvas.width / box.width), Math.floor((y - box.y) * canvas.height / box.height)];
async function measure() {
    box = await canvasBox(page);
    canvas = await page.evaluate(() => ({ width: document.getElementById('canvas').width, height: document.getElementById('canvas').height }));
}

step(`the title on a page of ${size}`);
await waitForScreen(page, check, work, 'title-white', 60);
await measure();
const fit = Math.min(width, Math.floor(height * 4 / 3));
if (canvas.width !== fit || canvas.height !== Math.floor(fit * 3 / 4) || box.x !== (width - fit) / 2)
    fail(`the canvas is ${canvas.width} x ${canvas.height} pixels at ${box.x}, not the page's 4:3 box, centred`);

step('full screen and back with the page control');
for (const wanted of [true, false]) {
    // It shows once the mouse moves.
    await page.mouse.move(width - 24, 24);
    await page.locator('#fullscreen').click();
    await waitFor(`full screen ${wanted}`, 10, () => page.evaluate(() => document.fullscreenElement !== null).then((f) => f === wanted));
}
await frames(page, 2);
if (recorded(/ click /).length) fail(`the control's clicks reached the game: ${recorded(/ click /)}`);

step('a resize is a new round, and the mouse maps against the new canvas');
const sizes = recorded(/ size$/).length;
await page.setViewportSize({ width: width * 3 / 4, height: height * 3 / 4 });
await waitFor('no size message for the smaller page', 10, () => recorded(/ size$/).length > sizes);
await measure();
const middle = pixel(at(0.5, 0.5));
await page.mouse.move(...at(0.5, 0.5));
await waitFor('no move recorded', 10, () => recorded(new RegExp(` move ${middle.join(' ')}$`)).length);
if (!recorded(new RegExp(` display ${canvas.width} ${canvas.height}$`)).length)
    fail(`the mouse is not mapped against the smaller canvas: ${page.lines}`);
await page.setViewportSize({ width, height });
await waitFor('no size message for the page made whole again', 10, () => recorded(/ size$/).length > sizes + 1);
await measure();

// The pointer going round the crowd as a player's does, moving in every frame.
async function wander(seconds) {
    const end = performance.now() + seconds * 1000;
    for (let t = 0; performance.now() < end; t += 0.15) {
        await page.mouse.move(...at(0.5 + 0.3 * Math.cos(t), 0.45 + 0.2 * Math.sin(t)));
        await new Promise((resolve) => setTimeout(resolve, 30));
    }
}

step('click to start');
await page.mouse.click(...at(0.5, 0.39));
await waitForScreen(page, check, work, 'playing', 60);
// Three people in the crowd, each click taken by a frame of its own: two
// presses before one frame would be one click.
const spots = [[0.3125, 0.547], [0.5, 0.586], [0.6875, 0.625]].map(([fx, fy]) => at(fx, fy));
for (const spot of spots) {
    step(`click on the crowd at ${spot}`);
    await page.mouse.move(...spot, { steps: 10 });
    await page.mouse.click(...spot);
    await frames(page, 1);
}
// Up to the right, so the marker's lines cross no label.
await page.mouse.move(...at(0.996, 0.078));
await frames(page, 1);
step('three fuses burning');
await waitForScreen(page, check, work, 'fuses', 30);
step('the pointer going round while the fuses burn down and the bodies fly, then at rest');
await wander(15);
await page.mouse.move(...at(0.996, 0.078));
step('waiting for the blasts');
await waitForScreen(page, check, work, 'blasts', 120);
step('waiting for the falls to end and the score');
await waitForScreen(page, check, work, 'score', 600);
const ending = recorded(/ outcome state 2 score [1-9][0-9]* explosions 3$/)[0];
if (!ending) fail(`no round ended on a score above 0 after three blasts: ${recorded(/ outcome /)}`);
const score = ending.split(' ')[5];

step('the round shared');
await waitFor('the share control on the score screen', 10, () => page.locator('#share-round').isVisible());
const best = await page.locator('#best').textContent();
if (best !== `Best: ${score}`) fail(`the best score shown is "${best}", after a first round of ${score}`);
await page.locator('#share-round').click();
await waitFor('no link shown', 20, () => page.locator('#link').isVisible());
const link = await page.locator('#link').inputValue();
const copied = await page.evaluate(() => navigator.clipboard.readText());
if (copied !== link) fail(`the clipboard holds "${copied}", not the link`);
if (!link.startsWith(`${server.url}#round=`)) fail(`the link is not on the page's own address: ${link}`);
step(`the link is ${link.length} characters long`);
if (link.length > 8192) fail('the link is longer than 8 KB');
if (recorded(/ click /).length !== 4) fail(`the share control's click reached the game: ${recorded(/ click /)}`);

step('the link opened in a fresh browser');
const viewer = await open(browser, link, { viewport: { width, height } });
await waitFor('no summary from the shared round', 300, () => summaryOf(viewer));
if (!summaryOf(viewer).includes(`"score":${score},`) || !summaryOf(viewer).includes('"outcomesChecked":1'))
    fail(`the shared round does not replay to its score ${score}: ${summaryOf(viewer)}`);
const verdict = await viewer.locator('#replay').textContent();
if (verdict !== `Replay verified: score ${score}.`) fail(`the viewer reads "${verdict}"`);
step(`the viewer reads "${verdict}"; a click there goes to the title, another plays`);
for (const screen of ['title-red', 'playing']) {
    await viewer.mouse.click(width / 2, height / 2);
    await waitForScreen(viewer, check, work, screen, 60);
}
if (viewer.errors.length) fail(`errors on the viewer's console: ${viewer.errors}`);
writeFileSync(join(work, 'link.rec'), linkedRecording(link));
const linkReplay = replayNatively(native, data, join(work, 'link.rec'), ['--size', '64x48']);
if (!linkReplay.includes('"outcomesChecked":1') || !linkReplay.includes(`"score":${score},`))
    fail(`the link's recording does not replay natively: ${linkReplay}`);

step('click to leave the score screen');
await page.mouse.click(...at(0.5, 0.39));
await waitForScreen(page, check, work, 'title-red', 60);
await frames(page, 1);

step('what the game recorded');
for (const [k, spot] of spots.entries())
    if (recorded(new RegExp(` click ${pixel(spot).join(' ')}$`)).length === 0)
        fail(`click ${k + 1} is not recorded at canvas pixel ${pixel(spot)}: ${recorded(/ click /)}`);
if (!recorded(new RegExp(` display ${canvas.width} ${canvas.height}$`)).length) fail('the clicks are not mapped against the whole canvas');
if (page.errors.length) fail(`errors on the console: ${page.errors}`);
const outcomes = recorded(/ outcome /);
await browser.close();
server.close();

// The page's recording, as a file the native replay plays to the same outcome.
const recording = join(work, 'round.rec');
writeFileSync(recording, recordingOf(page));
const summary = replayNatively(native, data, recording, ['--size', '64x48']);
if (!summary.includes(`"outcomesChecked":${outcomes.length}`)) fail(`the page's recording does not replay natively: ${summary}`);
step(`passed: ${outcomes.join(', ')}; shared in ${link.length} characters; the recording replays natively: ${summary}`);
