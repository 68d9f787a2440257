// Rounds shared as links, on small pages:
//  - the third round of a session (a native recording of three, played in
//    the page) shared and opened alone replays to its score, the viewer not
//    sitting through the rounds before it; natively too;
//  - the same link with its outcome altered in the score, the screen or the
//    blasts alone: the page names the frame, and so does the native replay;
//  - hostile links: each says why in the page and on the console, runs
//    nothing, and leaves the game to play;
//  - a native recording dropped on the page, chosen with its file control,
//    and turned into a link by fusewalker-replay --link: every outcome checked.
//
//   node share.mjs PACKAGE.zip NATIVE_BUILD DATA_DIR WORK_DIR
import { execFileSync } from 'node:child_process';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { deflateRawSync } from 'node:zlib';
import {
    fail, gameStatus, launch, linkedRecording, open, replayNatively, serve, step, summaryOf, unzipPackage, waitFor,
} from './browser.mjs';

const [zip, native, data, work] = process.argv.slice(2);
const site = unzipPackage(zip, work);
const here = new URL('.', import.meta.url).pathname;
const replay = join(native, 'tools/fusewalker-replay');
const small = { viewport: { width: 256, height: 192 } };
const linkOf = (base, text) => `${base}#round=${deflateRawSync(Buffer.from(text)).toString('base64url')}`;

step('three rounds recorded natively, played in the page');
execFileSync(replay, ['--data', data, '--frames', '2700', '--script', join(here, 'three_rounds.script'), '--record', join(site, 'three.rec')]);
execFileSync(replay, ['--data', data, '--size', '256x192', '--frames', '800', '--script', join(here, '../replay/round.script'),
    '--record', join(site, 'round.rec')]);
const third = readFileSync(join(site, 'three.rec'), 'utf8').match(/^[0-9]+ outcome state 2 score [0-9]+ explosions 3$/gm)[2];
const server = await serve(site);
const browser = await launch();
const session = await open(browser, `${server.url}?play=three.rec`, small);
await waitFor('no summary of the three rounds', 300, () => summaryOf(session));
await session.locator('#share-round').click();
await waitFor('no link shown', 20, () => session.locator('#link').isVisible());
const link = await session.locator('#link').inputValue();
const shared = linkedRecording(link);
const start = Number(shared.match(/^from ([0-9]+)$/m)[1]);
if (!shared.endsWith(`${third}\n`) || start < 1600) fail(`the link does not hold the third round alone: ${shared}`);

step(`the third round, from frame ${start}, opened alone`);
const viewer = await open(browser, link, small);
const first = await waitFor('the game never started', 60, () => gameStatus(viewer).then((s) => s?.frames > 0 && s.frames));
await waitFor('no summary of the shared round', 300, () => summaryOf(viewer));
const score = third.split(' ')[5];
if (first <= start || !summaryOf(viewer).includes('"outcomesChecked":1') || !summaryOf(viewer).includes(`"score":${score},`))
    fail(`the viewer's first frame was ${first}, the summary ${summaryOf(viewer)}`);
step(`  first frame shown: ${first}; ${summaryOf(viewer)}`);
writeFileSync(join(work, 'third.rec'), shared);
const natively = replayNatively(native, data, join(work, 'third.rec'), ['--size', '64x48']);
if (!natively.includes(`"score":${score},`) || !natively.includes('"outcomesChecked":1')) fail(`natively: ${natively}`);

step('the link altered in one field of its outcome');
const [frame] = third.split(' ');
for (const [field, altered] of [['score', third.replace(` score ${score} `, ` score ${Number(score) + 1} `)],
    ['screen', third.replace(' state 2 ', ' state 1 ')], ['blasts', third.replace(' explosions 3', ' explosions 2')]]) {
    const text = shared.replace(third, altered);
    writeFileSync(join(work, `altered-${field}.rec`), text);
    const nativeVerdict = replayNatively(native, data, join(work, `altered-${field}.rec`), ['--size', '64x48']);
    const page = await open(browser, linkOf(server.url, text), small);
    await waitFor(`no verdict on the altered ${field}`, 300, () => page.errors.length);
    await waitFor(`no words on the altered ${field}`, 20, () => page.locator('#replay').textContent().then((t) => t.includes('does not')));
    const words = await page.locator('#replay').textContent();
    step(`  ${field}: "${words}"; natively: ${nativeVerdict.split('\n')[0]}`);
    if (!words.includes(`frame ${frame} differs`) || !page.errors[0].includes(`frame ${frame} differs from the recording`) ||
        !nativeVerdict.startsWith('exit 3') || !nativeVerdict.includes(`frame ${frame} differs`))
        fail(`the altered ${field} is not named: ${page.errors}`);
    await page.context().close();
}

step('hostile links');
const bomb = deflateRawSync(Buffer.alloc(64 << 20, 'a')).toString('base64url');
const hostile = [
    ['not base64url', '#round=%3Cscript%3E', 'not base64url'],
    ['empty', '#round=', 'holds no round'],
    ['not DEFLATE', `#round=${Buffer.from('not deflate at all').toString('base64url')}`, 'does not unpack'],
    ['cut short', `#round=${link.split('#round=')[1].slice(0, 40)}`, 'does not unpack'],
    ['a bomb of 64 MB', `#round=${bomb}`, 'larger than 1 MB'],
    ['not a recording', linkOf('', '<img src=x onerror="window.ran=1">\n'), 'cannot be played'],
];
for (const [what, fragment, words] of hostile) {
    const page = await open(browser, server.url + fragment, small);
    await waitFor(`${what}: nothing said`, 60, () => page.locator('#notice').isVisible());
    const notice = await page.locator('#notice').textContent();
    const uncaught = page.errors.filter((line) => !line.includes('fusewalker'));
    // Below the page's words, which a click would put away.
    await page.mouse.click(200, 160);
    await waitFor(`${what}: the game does not play after`, 60, () => gameStatus(page).then((s) => s?.state === 1));
    const ran = await page.evaluate(() => window.ran);
    step(`  ${what}: "${notice}"; console: ${page.errors.length} line(s)`);
    if (!notice.includes(words) || page.errors.length === 0 || uncaught.length || ran) fail(`${what}: ${page.errors}`);
    await page.context().close();
}

step('a native recording dropped on the page, and chosen with its control');
const dropped = await open(browser, server.url, small);
await dropped.evaluate((text) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([text], 'round.rec'));
    document.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
}, readFileSync(join(site, 'round.rec'), 'utf8'));
const chosen = await open(browser, server.url, small);
await chosen.setInputFiles('#file', join(site, 'round.rec'));
step('the replay tool\'s link for the native recording');
const toolLink = execFileSync(replay, ['--script', join(site, 'round.rec'), '--link', `${server.url}?ignored`]).toString().trim();
const linked = await open(browser, toolLink, small);
for (const [what, page] of [['dropped', dropped], ['chosen', chosen], ['linked', linked]]) {
    await waitFor(`${what}: no summary`, 300, () => summaryOf(page));
    step(`  ${what}: ${summaryOf(page)}`);
    if (!summaryOf(page).includes('"outcomesChecked":2') || page.errors.length) fail(`${what}: ${page.errors}`);
}
if (!toolLink.startsWith(`${server.url}#round=`)) fail(`the tool's link is not on the page's address: ${toolLink}`);
await browser.close();
server.close();
step('passed: the third round replays alone, altered outcomes are named, hostile links refused, recordings played');
