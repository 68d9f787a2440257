// A whole round played by touch on a phone held sideways (844 x 390 CSS
// pixels at a pixel ratio of 3): the full-screen control tapped there and
// back, the title tapped, a tap, a two-finger touch and a drag on the
// crowd, the score screen tapped. The page records the session (?record):
// each tap is exactly one click at the canvas pixel under the finger, a
// finger put down is a move there first, a drag's moves are recorded, a
// second finger is never heard, and the recording replays natively to the
// same outcome.
//
//   node touch.mjs PACKAGE.zip NATIVE_BUILD DATA_DIR WORK_DIR
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';
import {
    canvasBox, fail, frames, launch, open, recordingOf, replayNatively, serve, step, unzipPackage, waitFor,
    waitForScreen,
} from './browser.mjs';

const [zip, native, data, work] = process.argv.slice(2);
const check = join(native, 'tests/e2e/xwd_check');
const ratio = 3;

const server = await serve(unzipPackage(zip, work));
const browser = await launch();
const page = await open(browser, `${server.url}?record&fps=20`, {
    viewport: { width: 844, height: 390 }, deviceScaleFactor: ratio, isMobile: true, hasTouch: true,
});
const cdp = await page.context().newCDPSession(page);
const events = () => page.lines.filter((line) => / (move|click) /.test(line));
const box = await canvasBox(page);
const at = (fx, fy) => [Math.round(box.x + fx * box.width), Math.round(box.y + fy * box.height)];
const pixel = ([x, y]) => `${(x - box.x) * ratio} ${(y - box.y) * ratio}`;
const touch = (type, points) => cdp.send('Input.dispatchTouchEvent', {
    type, touchPoints: points.map(([x, y], id) => ({ x, y, id })),
});

// What the game recorded since `before` events: exactly `want`, in order.
async function expectEvents(what, before, want) {
    await frames(page, 1);
    const got = events().slice(before).map((line) => line.split(' ').slice(1).join(' '));
    if (got.join(', ') !== want.join(', ')) fail(`${what}: recorded [${got.join(', ')}], expected [${want.join(', ')}]`);
    step(`  ${what}: ${got.join(', ') || 'nothing'}`);
}

step('the title, the canvas between black margins');
await waitForScreen(page, check, work, 'title-white', 60);
if (box.width !== 520 || box.height !== 390 || box.x !== 162) fail(`the canvas's box is ${JSON.stringify(box)}`);

step('full screen and back with taps on the page control, shown for touch');
for (const wanted of [true, false]) {
    const control = await page.locator('#fullscreen').boundingBox();
    await page.touchscreen.tap(control.x + control.width / 2, control.y + control.height / 2);
    await waitFor(`full screen ${wanted}`, 10, () => page.evaluate(() => document.fullscreenElement !== null).then((f) => f === wanted));
}
await expectEvents('the control\'s taps', 0, []);

step('a tap on the title starts play');
const start = at(0.5, 0.4);
await page.touchscreen.tap(...start);
await expectEvents('the tap', 0, [`move ${pixel(start)}`, `click ${pixel(start)}`]);
await waitForScreen(page, check, work, 'playing', 60);

step('a tap on the crowd');
const first = at(0.3125, 0.547);
let seen = events().length;
await page.touchscreen.tap(...first);
await expectEvents('the tap', seen, [`move ${pixel(first)}`, `click ${pixel(first)}`]);

step('two fingers at once: the second is not heard');
const second = at(0.5, 0.586);
const other = at(0.8, 0.3);
seen = events().length;
await touch('touchStart', [second]);
await frames(page, 1);
await touch('touchStart', [second, other]);
await touch('touchMove', [second, at(0.75, 0.25)]);
await touch('touchEnd', []);
await expectEvents('the two fingers', seen, [`move ${pixel(second)}`, `click ${pixel(second)}`]);

step('a drag from the crowd to the top right: the marker follows the finger');
const third = at(0.6875, 0.625);
const corner = at(0.99, 0.08);
seen = events().length;
await touch('touchStart', [third]);
await frames(page, 1);
const path = [0.25, 0.5, 0.75, 1].map((t) => [Math.round(third[0] + t * (corner[0] - third[0])), Math.round(third[1] + t * (corner[1] - third[1]))]);
for (const point of path) {
    await touch('touchMove', [point]);
    await frames(page, 1);
}
await touch('touchEnd', []);
await expectEvents('the drag', seen, [`move ${pixel(third)}`, `click ${pixel(third)}`, ...path.map((p) => `move ${pixel(p)}`)]);

step('three fuses burning, the blasts, the score');
await waitForScreen(page, check, work, 'fuses', 60);
await waitForScreen(page, check, work, 'blasts', 180);
await waitForScreen(page, check, work, 'score', 900);
step('a tap leaves the score screen');
seen = events().length;
await page.touchscreen.tap(...start);
await expectEvents('the tap', seen, [`move ${pixel(start)}`, `click ${pixel(start)}`]);
await waitForScreen(page, check, work, 'title-red', 60);
if (page.errors.length) fail(`errors on the console: ${page.errors}`);
await browser.close();
server.close();

const recording = join(work, 'touch.rec');
writeFileSync(recording, recordingOf(page));
const outcomes = page.lines.filter((line) => / outcome state 2 score [1-9][0-9]* explosions 3$/.test(line));
const summary = replayNatively(native, data, recording, ['--size', '64x48']);
if (outcomes.length !== 1 || !summary.includes('"outcomesChecked":1')) fail(`the round by touch does not replay natively: ${outcomes} ${summary}`);
const clicks = page.lines.filter((line) => / click /.test(line)).length;
const moves = page.lines.filter((line) => / move /.test(line)).length;
step(`passed: five taps, ${clicks} clicks and ${moves} moves recorded; ${outcomes[0]}; it replays natively: ${summary}`);
