// A page that lasts:
//  - the WebGL context lost mid-round and given back (WEBGL_lose_context):
//    the picture goes and comes back by itself, measured from screenshots,
//    and the same round goes on to its score screen; a recording played
//    (?play=) through a loss and a restore reaches every outcome; a context
//    never given back leaves the game going on without drawing, said once;
//  - a browser with no WebGL 2: the page says so, with what to try;
//  - a page put behind another (?fps=10): the game runs no frame but on the
//    browser's animation frames, and none to catch up when it is back.
//
//   node lasting.mjs PACKAGE.zip NATIVE_BUILD DATA_DIR WORK_DIR
import { execFileSync } from 'node:child_process';
import { join } from 'node:path';
import {
    animationFrames, fail, frames, gameStatus, launch, open, serve, shoot, step, summaryOf, unzipPackage, waitFor, waitForScreen,
} from './browser.mjs';

const [zip, native, data, work] = process.argv.slice(2);
const check = join(native, 'tests/e2e/xwd_check');
const site = unzipPackage(zip, work);
execFileSync(join(native, 'tools/fusewalker-replay'), ['--data', data, '--size', '256x192', '--frames', '800', '--script',
    join(new URL('.', import.meta.url).pathname, '../replay/round.script'), '--record', join(site, 'round.rec')]);
const server = await serve(site);
const browser = await launch();
const loseContext = (page) => page.evaluate(() => {
    window.losing = document.getElementById('canvas').getContext('webgl2').getExtension('WEBGL_lose_context');
    window.losing.loseContext();
});
const restoreContext = (page) => page.evaluate(() => window.losing.restoreContext());

// The share of the picture that is lit, and whether it is a playing frame.
async function picture(page, name) {
    const path = join(work, `${name}.png`);
    await shoot(page, path, true);
    let verdict;
    try {
        verdict = execFileSync(check, [path, 'playing']).toString();
    } catch (error) {
        verdict = error.stdout.toString();
    }
    const lit = (100 * (1 - Number(verdict.match(/black ([0-9.]+)/)[1]))).toFixed(1);
    step(`  ${name}: ${lit} % lit, ${verdict.startsWith('playing yes') ? 'a playing frame' : 'no playing frame'}`);
    return { lit: Number(lit), playing: verdict.startsWith('playing yes') };
}

step('a round, its context lost and given back after the first fuse');
const page = await open(browser, `${server.url}?record&fps=20`, { viewport: { width: 640, height: 480 } });
await waitForScreen(page, check, work, 'title-white', 60);
await page.mouse.click(320, 187);
await waitForScreen(page, check, work, 'playing', 60);
await page.mouse.click(200, 262);
await frames(page, 1);
const before = await picture(page, 'before-loss');
await loseContext(page);
await waitFor('the game does not hear of the loss', 20, () => page.lines.some((line) => line.includes('context was lost')));
const lostAt = (await gameStatus(page)).frames;
await animationFrames(page, 30);
const during = await picture(page, 'lost');
const waited = (await gameStatus(page)).frames - lostAt;
await restoreContext(page);
await waitFor('the context is not back', 20, () => page.lines.some((line) => line.includes('context is back')));
await frames(page, 2);
const after = await picture(page, 'restored');
if (!before.playing || during.lit > 1 || !after.playing || waited > 1)
    fail(`the picture is not back by itself, or frames ran meanwhile (${waited})`);
for (const spot of [[320, 281], [440, 300]]) {
    await page.mouse.click(...spot);
    await frames(page, 1);
}
await page.mouse.move(637, 37);
await waitForScreen(page, check, work, 'fuses', 30);
await waitForScreen(page, check, work, 'score', 600);
const clicks = page.lines.filter((line) => / click /.test(line)).length;
const outcome = page.lines.find((line) => / outcome state 2 score [1-9][0-9]* explosions 3$/.test(line));
if (clicks !== 4 || !outcome || page.errors.length) fail(`the round did not go on: ${clicks} clicks, ${outcome}, ${page.errors}`);
step(`  the same round went on: ${outcome}`);
await page.context().close();

step('a recording played through a loss and a restore, then a loss that lasts');
const played = await open(browser, `${server.url}?play=round.rec`, { viewport: { width: 256, height: 192 } });
await waitFor('the playback does not start', 60, () => gameStatus(played).then((s) => s?.frames > 100));
await loseContext(played);
await animationFrames(played, 30);
await restoreContext(played);
await waitFor('no summary', 300, () => summaryOf(played));
if (!summaryOf(played).includes('"outcomesChecked":2') || played.errors.length)
    fail(`the playback through the loss: ${summaryOf(played)} ${played.errors}`);
step(`  ${summaryOf(played)}`);
const lastingFrom = (await gameStatus(played)).frames;
await loseContext(played);
await waitFor('nothing said of a context that stays lost', 60, () => played.locator('#notice').isVisible());
await waitFor('no frames without the context', 20, () => gameStatus(played).then((s) => s.frames > lastingFrom + 10));
step(`  "${await played.locator('#notice').textContent()}"`);
if (played.errors.length !== 1) fail(`not said once: ${played.errors}`);
await browser.close();

step('a browser with no WebGL 2');
const plain = await launch(['--disable-webgl2']);
const bare = await open(plain, server.url, { viewport: { width: 640, height: 480 } });
await waitFor('nothing said in the page', 60, () => bare.locator('#notice').isVisible());
const words = await bare.locator('#notice').textContent();
step(`  "${words}"; the console: ${bare.errors}`);
if (!words.includes('no WebGL 2') || !words.includes('Try') || !bare.errors.some((line) => line.includes('cant create hRC')))
    fail('the page does not say why it is black');
await plain.close();

step('a page behind another, at 10 frames a second');
const paced = await launch();
const front = await open(paced, `${server.url}?fps=10`, { viewport: { width: 256, height: 192 } });
await front.evaluate(() => {
    window.animationFrames = 0;
    const count = () => {
        ++window.animationFrames;
        requestAnimationFrame(count);
    };
    requestAnimationFrame(count);
});
await waitFor('the game does not run', 60, () => gameStatus(front).then((s) => s?.frames > 10));
const counts = () => front.evaluate(() => [JSON.parse(Module.ccall('fw_status', 'string', [], [])).frames, window.animationFrames,
    performance.now() / 1000]);
const other = await front.context().newPage();
await other.bringToFront();
const [framesHidden, animationHidden] = await counts();
await new Promise((resolve) => setTimeout(resolve, 3000));
const [framesBack, animationBack, back] = await counts();
await front.bringToFront();
await new Promise((resolve) => setTimeout(resolve, 1000));
const [framesAfter, , after] = await counts();
// At 10 a second, and one as the page comes back.
const most = Math.floor((after - back) * 10) + 2;
step(`  behind: ${framesBack - framesHidden} frames on ${animationBack - animationHidden} animation frames in 3 s; ` +
     `back: ${framesAfter - framesBack} frames in ${(after - back).toFixed(2)} s (at most ${most})`);
if (framesBack - framesHidden > animationBack - animationHidden || framesAfter - framesBack > most)
    fail('frames ran without animation frames, or in a burst on the way back');
await paced.close();
server.close();
step('passed: the context lost and back, no WebGL 2 said, no frames behind another page');
