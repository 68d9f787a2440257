// The game in Firefox or WebKit, as in Chromium: a round played with the mouse, shared from the score
// screen, its recording replayed natively to the same outcome; the shared link and a native recording
// each "Replay verified" with the native replay's score; frame 60 of docs/playing.script matching the
// native replay's picture, which tells frame 50 apart.
//
//   node engines.mjs firefox|webkit PACKAGE.zip NATIVE_BUILD DATA_DIR WORK_DIR
import { copyFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import {
    boxOf, crowdSpots, fail, frames, gameStatus, here, launchEngine, linkedRecording, pointAt, recordingOf, recordRound,
    matchPictures, replayNatively, serve, setUp, shoot, step, titleSpot, waitFor, waitForScreen,
} from './browser.mjs';

const engine = process.argv[2];
const { native, data, work, site, check } = setUp(process.argv.slice(3));
// No narrower than MiniBrowser's window, nor bigger than a canvas of 256 x 192 needs: llvmpipe fills pixels on the shared CPU.
const small = { width: 480, height: 192 };

recordRound({ native, data, site });
copyFileSync(join(here, '../../docs/playing.script'), join(site, 'playing.script'));
const pictures = replayNatively(native, data, join(site, 'playing.script'),
    ['--frames', '61', '--png-at', '50,60', '--out', join(work, 'native')]);
const browser = await launchEngine(engine, work);
const server = await serve(site, browser.head);

// The page's words once its playback has ended: the native replay's score for the same recording, verified.
async function verdict(page, recording) {
    const natively = replayNatively(native, data, recording);
    const words = await waitFor('no verdict in the page', 600, () => page.evaluate(() => {
        const replay = document.getElementById('replay');
        return !replay.hidden && !replay.textContent.startsWith('Replay:') && replay.textContent;
    }));
    const score = (await natively).match(/"score":([0-9]+),.*"outcomesChecked":[1-9]/)?.[1];
    step(`  the page reads "${words}"; natively: ${await natively}`);
    if (words !== `Replay verified: score ${score}.` || page.errors.length) fail(`not verified as natively: ${page.errors}`);
}

step(`${engine}: a round played with the mouse on a page of 480 x 360`);
const page = await browser.open(`${server.url}?record`, { width: 480, height: 360 });
await waitForScreen(page, check, work, 'title-white', 120);
const box = await boxOf(page);
await page.mouse.click(...pointAt(box, ...titleSpot));
await waitForScreen(page, check, work, 'playing', 60);
// Each click taken by a frame of its own: two presses before one frame would be one click.
for (const spot of crowdSpots) {
    await page.mouse.click(...pointAt(box, ...spot));
    await frames(page, 1);
}
await waitForScreen(page, check, work, 'score', 600);
const ending = page.lines.find((line) => / outcome state 2 score [1-9][0-9]* explosions 3$/.test(line));
if (!ending) fail(`no round ended on a score above 0 after three blasts: ${page.lines.filter((l) => / outcome /.test(l))}`);
const score = ending.split(' ')[5];
writeFileSync(join(work, 'round.rec'), recordingOf(page));
const replayed = await replayNatively(native, data, join(work, 'round.rec'), ['--size', '64x48']);
step(`  ${ending}; replayed natively: ${replayed}`);
if (!replayed.includes(`"score":${score},`) || !replayed.includes('"outcomesChecked":1')) fail('the round does not replay natively');

step('the round shared from the page\'s control, a click back to the title');
await waitFor('no share control on the score screen', 20, () => page.evaluate(() => !document.getElementById('share').hidden));
await page.mouse.click(...pointAt(await boxOf(page, 'share-round'), 0.5, 0.5));
const link = await waitFor('no link shown', 20, () => page.evaluate(() => document.getElementById('link').value));
await page.mouse.click(...pointAt(box, 0.5, 0.3));
await waitForScreen(page, check, work, 'title-red', 60);
if (!link.startsWith(`${server.url}#round=`) || page.errors.length) fail(`the link is ${link}; errors: ${page.errors}`);
writeFileSync(join(work, 'shared.rec'), linkedRecording(link));

step('the shared link opened');
await verdict(await browser.open(link, small), join(work, 'shared.rec'));

step('a native recording played from ?play=');
await verdict(await browser.open(`${server.url}?play=round.rec`, small), join(site, 'round.rec'));

step('frame 60 of docs/playing.script against the native replay\'s frames 60 and 50');
const shot = await browser.open(`${server.url}?play=playing.script&pause=60`, { width: 1024, height: 768 });
await waitFor('not paused after frame 60', 120,
    async () => (await gameStatus(shot))?.frames === 61 && shot.lines.includes('paused after frame 60'));
await shoot(shot, join(work, 'frame-60.png'));
await pictures;
for (const [frame, same] of [[60, true], [50, false]]) {
    const result = matchPictures(native, join(work, 'frame-60.png'), join(work, `native/frame-${frame}.png`));
    step(`  against frame ${frame}: ${result.text}`);
    if (result.holds !== same) fail(`the page's frame 60 ${same ? 'does not match' : 'matches'} the native frame ${frame}`);
}
if (shot.errors.length) fail(`errors on the console: ${shot.errors}`);
await browser.close();
server.close();
step(`passed in ${engine}: a round by mouse replayed natively, its link and a recording verified, frame 60 as natively`);
