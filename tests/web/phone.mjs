// The page on a phone, and on screens of every shape:
//  - phones upright and sideways, 4:3, 16:9 and 21:9, and a phone turned while a link played: a playing
//    frame shows all a 4:3 display shows (the checker's "whole");
//  - a round by touch on a phone held sideways: each finger put down recorded as a move and one click,
//    a drag's moves, nothing of a second finger nor of the full-screen control; it replays natively;
//  - the phone turned 100 times in two seconds: a size message for every resize of the canvas's pixels.
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';
import {
    boxOf, checkScreen, crowdSpots, fail, frames, gameStatus, launch, open, pointAt,
    recordingOf, replayNatively, roundFragment, serve, setUp, shoot, step, waitFor, waitForScreen,
} from './browser.mjs';

const { native, data, work, site, check } = setUp();
// Play starts at the bottom left of a 1024 x 768 display, clear of the score; frame 3 is the second playing frame.
writeFileSync(join(site, 'corner.script'), '0 display 1024 768\n0 click 0 740\n');
const server = await serve(site);
const browser = await launch();
const phone = { deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const upright = { viewport: { width: 390, height: 844 }, ...phone };
const sideways = { viewport: { width: 844, height: 390 }, ...phone };

const shapes = [['portrait phone', upright], ['landscape phone', sideways], ['4:3', { viewport: { width: 800, height: 600 } }],
    ['16:9', { viewport: { width: 960, height: 540 } }], ['21:9', { viewport: { width: 1260, height: 540 } }]];
let whole = true;
for (const [name, options] of shapes) {
    const page = await open(browser, `${server.url}?play=corner.script&pause=3`, options);
    await waitFor(`${name}: not paused after frame 3`, 120, () => page.lines.includes('paused after frame 3'));
    const path = join(work, `${name.replace(/[ :]/g, '-')}.png`);
    await shoot(page, path);
    const { holds, text } = checkScreen(check, path, 'whole');
    whole &&= holds && !page.errors.length;
    step(`${name}: ${text} ${page.errors}`);
    await page.context().close();
}
if (!whole) fail('a shape does not show the whole picture');

step('the phone turned while a link plays: the picture whole after it');
const cornerLink = 'pace 60\n0 display 1024 768\n0 click 0 740\n120 outcome state 1 score 0 explosions 0\n';
const turned = await open(browser, server.url + roundFragment(cornerLink), upright);
await waitFor('the link does not play', 60, () => gameStatus(turned).then((s) => s?.playback === 'playing' && s.frames > 10));
await turned.setViewportSize(sideways.viewport);
await waitFor('the link does not end', 120, () => gameStatus(turned).then((s) => s.playback === 'ended'));
// The turn, heard once the replay has ended, made a new round; a tap plays it.
await waitForScreen(turned, check, work, 'title-red', 60);
await turned.touchscreen.tap(...pointAt(await boxOf(turned), 0.5, 0.5));
await waitForScreen(turned, check, work, 'playing', 60);
await shoot(turned, join(work, 'turned.png'));
const turnedVerdict = checkScreen(check, join(work, 'turned.png'), 'whole');
step(`  ${turnedVerdict.text}`);
if (!turnedVerdict.holds || turned.errors.length) fail(`not whole after the turn: ${turned.errors}`);
await turned.context().close();

step('a round by touch on a phone held sideways');
const page = await open(browser, `${server.url}?record&fps=20`, sideways);
const cdp = await page.context().newCDPSession(page);
const events = () => page.lines.filter((line) => / (move|click) /.test(line));
const sizes = () => page.lines.filter((line) => / size$/.test(line)).length;
await waitForScreen(page, check, work, 'title-white', 60);
const box = await boxOf(page); // once the page has laid the canvas out: before, it is the default 300 x 150
const at = (fx, fy) => pointAt(box, fx, fy);
const pixel = ([x, y]) => `${(x - box.x) * phone.deviceScaleFactor} ${(y - box.y) * phone.deviceScaleFactor}`;
const touch = (type, points) => cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points.map(([x, y], id) => ({ x, y, id })) });

// What the game recorded of the pointer since the last look: exactly `want`, in order.
let seen = 0;
async function expectEvents(what, want) {
    await frames(page, 1);
    const got = events().slice(seen).map((line) => line.split(' ').slice(1).join(' '));
    seen = events().length;
    if (got.join(', ') !== want.join(', ')) fail(`${what}: recorded [${got.join(', ')}], expected [${want.join(', ')}]`);
    step(`  ${what}: ${got.join(', ') || 'nothing'}`);
}

step('full screen and back with taps on the page control, shown for touch');
for (const wanted of [true, false]) {
    await page.touchscreen.tap(...pointAt(await boxOf(page, 'fullscreen'), 0.5, 0.5));
    await waitFor(`full screen ${wanted}`, 10, () => page.evaluate(() => document.fullscreenElement !== null).then((f) => f === wanted));
}
await expectEvents('the control\'s taps', []);

const start = at(0.5, 0.4);
await page.touchscreen.tap(...start);
await expectEvents('the tap on the title', [`move ${pixel(start)}`, `click ${pixel(start)}`]);
await waitForScreen(page, check, work, 'playing', 60);

const first = at(...crowdSpots[0]);
await page.touchscreen.tap(...first);
await expectEvents('a tap on the crowd', [`move ${pixel(first)}`, `click ${pixel(first)}`]);

const second = at(...crowdSpots[1]);
const other = at(0.8, 0.3);
await touch('touchStart', [second]);
await frames(page, 1);
await touch('touchStart', [second, other]);
await touch('touchMove', [second, at(0.99, 0.02)]);
await touch('touchEnd', []);
if (await page.evaluate(() => visualViewport.scale) !== 1) fail('two fingers zoomed the page');
await expectEvents('two fingers at once, the second not heard', [`move ${pixel(second)}`, `click ${pixel(second)}`]);

const third = at(...crowdSpots[2]);
const corner = at(0.99, 0.08);
await touch('touchStart', [third]);
await frames(page, 1);
const path = [0.25, 0.5, 0.75, 1].map((t) => [Math.round(third[0] + t * (corner[0] - third[0])), Math.round(third[1] + t * (corner[1] - third[1]))]);
for (const point of path) {
    await touch('touchMove', [point]);
    await frames(page, 1);
}
await touch('touchEnd', []);
await expectEvents('a drag to the top right, the marker following', [`move ${pixel(third)}`, `click ${pixel(third)}`, ...path.map((p) => `move ${pixel(p)}`)]);

// The fuses and the blasts pass; the score screen lasts until a tap.
step('the score');
await waitForScreen(page, check, work, 'score', 900);
await page.touchscreen.tap(...start);
await expectEvents('the tap that leaves the score', [`move ${pixel(start)}`, `click ${pixel(start)}`]);
await waitForScreen(page, check, work, 'title-red', 60);

step('the phone turned 100 times in two seconds');
const [sizesBefore, linesBefore] = [sizes(), page.lines.length];
// Resizes that change the canvas's pixels, seen after the game's own handler.
await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    let size = `${canvas.width}x${canvas.height}`;
    addEventListener('resize', () => {
        window.resizes = (window.resizes ?? 0) + (size !== `${canvas.width}x${canvas.height}`);
        size = `${canvas.width}x${canvas.height}`;
    });
});
// Each turn sent every 20 ms, without waiting for the page to take the one before.
const turns = [];
const begun = performance.now();
for (let turn = 1; turn <= 100; ++turn) {
    const [width, height] = turn % 2 ? [390, 844] : [844, 390];
    turns.push(cdp.send('Emulation.setDeviceMetricsOverride', { width, height, deviceScaleFactor: 3, mobile: true }));
    await new Promise((resolve) => setTimeout(resolve, Math.max(0, begun + turn * 20 - performance.now())));
}
const spent = (performance.now() - begun) / 1000;
await Promise.all(turns);
// The last shape is the landscape one, its canvas 1560 x 1170: the page takes it in a frame of its own, however late.
const windows = () => page.lines.slice(linesBefore).filter((line) => / window /.test(line)).map((line) => line.split(' ').slice(2).join('x'));
let resized = 0;
await waitFor('a size message for every resize of the canvas, the last for the landscape phone', 60, async () =>
    (resized = await page.evaluate(() => window.resizes ?? 0)) + sizesBefore === sizes() && windows().at(-1) === '1560x1170');
if (windows().some((size) => size !== '1560x1170' && size !== '1170x877')) fail(`the window sizes recorded: ${windows()}`);
const after = await boxOf(page);
if (after.width !== 520 || after.height !== 390) fail(`after the storm the canvas's box is ${JSON.stringify(after)}`);
await waitForScreen(page, check, work, 'title-red', 60);
if (page.errors.length) fail(`errors on the console: ${page.errors}`);
await browser.close();
server.close();

const recording = join(work, 'touch.rec');
writeFileSync(recording, recordingOf(page));
const outcomes = page.lines.filter((line) => / outcome state 2 score [1-9][0-9]* explosions 3$/.test(line));
const summary = await replayNatively(native, data, recording, ['--size', '64x48']);
if (outcomes.length !== 1 || !summary.includes('"outcomesChecked":1')) fail(`the round by touch does not replay natively: ${outcomes} ${summary}`);
step(`passed: every shape whole; ${outcomes[0]} by touch, replayed natively: ${summary}; ${resized} resizes in `
    + `${spent.toFixed(1)} s, each a size message`);
