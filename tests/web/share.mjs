// Rounds shared as links:
//  - a round played with the mouse, the pointer wandering, on a page wider than 4:3 served by a hall:
//    each click recorded at the pixel clicked, shared from the score screen (the link on the clipboard)
//    and sent to the hall, whose page lists it with a "watch" link that replays verified, then plays;
//  - the third of three rounds recorded natively, shared from the page, replays alone to its score,
//    unseen before its start and natively frame for frame but for the clock it inherits; its score
//    altered is named; a native recording made a link by --link plays checked.
import { execFileSync } from 'node:child_process';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import {
    boxOf, crowdSpots, fail, frames, gameStatus, here, launch, linkedRecording, open, pointAt, recordRound,
    replayNatively, roundFragment, serve, setUp, step, summaryOf, titleSpot, waitFor, waitForScreen,
} from './browser.mjs';
import { startHall } from '../hall/hall.mjs';

const { native, data, work, site, check } = setUp();
const replay = join(native, 'tools/fusewalker-replay');
const small = { viewport: { width: 256, height: 192 } };
execFileSync(replay, ['--data', data, '--frames', '1900', '--script', join(here, 'three_rounds.script'), '--record', join(site, 'three.rec')]);
recordRound({ native, data, site });
const server = await serve(site);
// The live round's page served by a hall, which keeps rounds in a file of the test's.
const hall = await startHall(join(native, 'hall/fusewalker-hall'), ['--page', site, '--data', data, '--db', join(work, 'hall.db')]);
const live = `${hall.url}/`;
const browser = await launch();

// The link from the page's control; its replay in a fresh browser, its score checked.
async function share(page) {
    await waitFor('the share control on the score screen', 10, () => page.locator('#share-round').isVisible());
    await page.locator('#share-round').click();
    await waitFor('no link shown', 20, () => page.locator('#link').isVisible());
    return page.locator('#link').inputValue();
}
async function view(link, options, score) {
    const viewer = await open(browser, link, options);
    await waitFor('no summary of the shared round', 600, () => summaryOf(viewer));
    // The page's words follow in its next animation frame.
    await waitFor('no verdict in the page', 20, () => viewer.locator('#replay').textContent().then((t) => !t.startsWith('Replay:')));
    if (!summaryOf(viewer).includes(`"score":${score},`) || !summaryOf(viewer).includes('"outcomesChecked":1') || viewer.errors.length)
        fail(`the shared round does not replay to its score ${score}: ${summaryOf(viewer)} ${viewer.errors}`);
    return viewer;
}

// The two run side by side: a round at 20 frames a second leaves time to spare.
async function liveRound() {
    const [width, height] = [720, 360];
    const page = await open(browser, `${live}?record&fps=20`, { viewport: { width, height }, permissions: ['clipboard-read', 'clipboard-write'] });
    const recorded = (pattern) => page.lines.filter((line) => pattern.test(line));
    // The canvas pixel the game must be given for a point on the page.
    const pixel = ([x, y]) => [Math.floor((x - box.x) * canvas[0] / box.width), Math.floor((y - box.y) * canvas[1] / box.height)];

    step(`a round played with the mouse on a page of ${width} x ${height}`);
    await waitForScreen(page, check, work, 'title-white', 60);
    const box = await boxOf(page);
    const canvas = await page.evaluate(() => [document.getElementById('canvas').width, document.getElementById('canvas').height]);

    await page.mouse.click(...pointAt(box, ...titleSpot));
    await waitForScreen(page, check, work, 'playing', 60);
    // Three people in the crowd, each click taken by a frame of its own: two presses before one frame would be one click.
    const spots = crowdSpots.map((spot) => pointAt(box, ...spot));
    for (const spot of spots) {
        await page.mouse.move(...spot, { steps: 10 });
        await page.mouse.click(...spot);
        await frames(page, 1);
    }
    // Round the crowd for 15 s, moving in every frame; the blasts are read from the recording's outcome,
    // as the score screen, unlike them, lasts until a click.
    for (let t = 0, end = performance.now() + 15000; performance.now() < end; t += 0.15) {
        await page.mouse.move(...pointAt(box, 0.5 + 0.3 * Math.cos(t), 0.45 + 0.2 * Math.sin(t)));
        await new Promise((resolve) => setTimeout(resolve, 30));
    }
    await waitForScreen(page, check, work, 'score', 600);
    const ending = recorded(/ outcome state 2 score [1-9][0-9]* explosions 3$/)[0];
    if (!ending) fail(`no round ended on a score above 0 after three blasts: ${recorded(/ outcome /)}`);
    const score = ending.split(' ')[5];

    step('the round shared, and sent to the hall that serves the page');
    if (await page.locator('#best').textContent() !== `Best: ${score}`) fail(`no "Best: ${score}" after a first round of ${score}`);
    const link = await share(page);
    const copied = await page.evaluate(() => navigator.clipboard.readText());
    if (copied !== link || !link.startsWith(`${live}#round=`)) fail(`the clipboard holds "${copied}", the link is ${link}`);
    step(`  the link is ${link.length} characters long`);
    if (link.length > 8192) fail('the link is longer than 8 KB');
    if (recorded(/ click /).length !== 4) fail(`the share control's click reached the game: ${recorded(/ click /)}`);
    await page.locator('#hall-name').fill('<b>Tester</b>');
    await page.locator('#send-hall').click();
    const said = await waitFor('no answer from the hall', 120, () => page.locator('#hall-said').textContent().then((t) => !/^(Sent|$)/.test(t) && t));
    await page.screenshot({ path: join(work, 'sent-to-the-hall.png') });
    if (said !== 'In the hall at rank 1.') fail(`the hall says "${said}"`);

    step(`  "${said}"; the hall's page lists the round, and its "watch" link plays it`);
    const listing = await open(browser, `${live}hall`, { viewport: { width, height: 2 * height } });
    const row = listing.locator('tr', { hasText: '<b>Tester</b>' });
    await listing.screenshot({ path: join(work, 'hall.png') });
    const watch = new URL(await row.locator('a').getAttribute('href'), live).href;
    if (!(await row.textContent()).includes(score) || linkedRecording(watch) !== linkedRecording(link))
        fail(`the hall lists "${await row.textContent()}", with another round than the link's`);
    const viewer = await view(watch, { viewport: { width, height } }, score);
    const verdict = await viewer.locator('#replay').textContent();
    if (verdict !== `Replay verified: score ${score}.`) fail(`the viewer reads "${verdict}"`);
    step(`  the viewer reads "${verdict}"; a click there goes to the title, another plays`);
    for (const screen of ['title-red', 'playing']) {
        await viewer.mouse.click(width / 2, height / 2);
        await waitForScreen(viewer, check, work, screen, 60);
    }
    const unmapped = spots.filter((spot) => !recorded(new RegExp(` click ${pixel(spot).join(' ')}$`)).length);
    if (unmapped.length || !recorded(new RegExp(` display ${canvas.join(' ')}$`)).length || page.errors.length)
        fail(`clicks not recorded at their canvas pixels (${unmapped}): ${recorded(/ (click|display) /)} ${page.errors}`);
    await page.context().close();
    await viewer.context().close();
}

async function sharedSession() {
    step('three rounds recorded natively, played in the page');
    const third = readFileSync(join(site, 'three.rec'), 'utf8').match(/^[0-9]+ outcome state 2 score [0-9]+ explosions 3$/gm)[1];
    const session = await open(browser, `${server.url}?play=three.rec`, small);
    let reached; // a loaded machine plays it slower than its pace: the guard is long, and says how far it got
    await waitFor(() => `no summary of the three rounds (the game at frame ${reached})`, 900,
        async () => summaryOf(session) || void (reached = (await gameStatus(session))?.frames));
    const thirdLink = await share(session);
    if (await session.locator('#hall').isVisible()) fail('a page served as a plain folder offers the hall');
    const shared = linkedRecording(thirdLink);
    const start = Number(shared.match(/^from ([0-9]+)$/m)[1]);
    if (!shared.endsWith(`${third}\n`) || start !== 951) fail(`the link does not hold the third round alone: ${shared}`);

    step(`the third round, from frame ${start}, opened alone`);
    const thirdScore = third.split(' ')[5];
    const alone = await view(thirdLink, small, thirdScore);
    const first = Number(alone.lines.map((line) => line.match(/frames shown from ([0-9]+)$/)).find(Boolean)?.[1]);
    if (first !== start) fail(`the viewer was shown frames from ${first}`);
    step(`  frames shown from ${first}; ${summaryOf(alone)}`);
    // Natively as in the session: the round's first title frame (in the colour the rounds before left), its
    // first playing frame, a frame of its falls. The same lines from frame 0, with another clock for the crowd's sway, end otherwise.
    writeFileSync(join(work, 'third.rec'), shared);
    const shown = [start, start + 10, start + 300];
    const pictures = (recording, out) => replayNatively(native, data, recording, ['--png-at', shown.join(','), '--out', join(work, out)]);
    await pictures(join(site, 'three.rec'), 'session');
    const natively = await pictures(join(work, 'third.rec'), 'alone');
    const differing = shown.filter((f) => !readFileSync(join(work, `session/frame-${f}.png`)).equals(readFileSync(join(work, `alone/frame-${f}.png`))));
    if (!natively.includes(`"score":${thirdScore},`) || !natively.includes('"outcomesChecked":1') || differing.length)
        fail(`natively: ${natively}; frames that differ from the session's: ${differing}`);
    writeFileSync(join(work, 'moved.rec'), shared.replace(/^from .*\n/m, '').replace(/^([0-9]+) (.*)$/gm,
        (line, frame, rest) => (frame >= start ? `${frame - start} ${rest}` : '# before')));
    const moved = await replayNatively(native, data, join(work, 'moved.rec'), ['--size', '64x48']);
    step(`  natively: frames ${shown} as in the session; from frame 0: ${moved.split('\n')[0]}`);
    if (!moved.startsWith('exit 3')) fail('the clock the round inherits made no difference');

    step('the link with its score altered');
    const [frame] = third.split(' ');
    const text = shared.replace(third, third.replace(` score ${thirdScore} `, ` score ${Number(thirdScore) + 1} `));
    writeFileSync(join(work, 'altered.rec'), text);
    const nativeVerdict = await replayNatively(native, data, join(work, 'altered.rec'), ['--size', '64x48']);
    const altered = await open(browser, server.url + roundFragment(text), small);
    await waitFor('no verdict on the altered score', 600, () => altered.errors.length);
    await waitFor('no words on the altered score', 20, () => altered.locator('#replay').textContent().then((t) => t.includes('does not')));
    const words = await altered.locator('#replay').textContent();
    step(`  "${words}"; natively: ${nativeVerdict.split('\n')[0]}`);
    if (!words.includes(`frame ${frame} differs`) || !altered.errors[0].includes(`frame ${frame} differs from the recording`) ||
        !nativeVerdict.startsWith('exit 3') || !nativeVerdict.includes(`frame ${frame} differs`))
        fail(`the altered score is not named: ${altered.errors}`);
    await altered.context().close();

    step('the replay tool\'s link for a native recording');
    const toolLink = execFileSync(replay, ['--script', join(site, 'round.rec'), '--link', `${server.url}?ignored`]).toString().trim();
    const linked = await open(browser, toolLink, small);
    await waitFor('the tool\'s link: no summary', 600, () => summaryOf(linked));
    step(`  ${summaryOf(linked)}`);
    if (!summaryOf(linked).includes('"outcomesChecked":2') || linked.errors.length || !toolLink.startsWith(`${server.url}#round=`))
        fail(`the tool's link ${toolLink}: ${linked.errors}`);
}

await Promise.all([liveRound(), sharedSession()]);
await hall.stop();
await browser.close();
server.close();
step('passed: a round shared and sent to the hall, the third round replays alone, an altered score is named, recordings played');
