// A recording made natively plays in the page (?play=) to the same outcome
// lines: the page writes the replay's one-line summary to the console with
// every outcome checked, and a copy with one outcome's score altered makes it
// name the frame that differs.
//
//   node playback.mjs PACKAGE.zip NATIVE_BUILD DATA_DIR WORK_DIR
import { execFileSync } from 'node:child_process';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { fail, launch, open, serve, step, unzipPackage, waitFor } from './browser.mjs';

const [zip, native, data, work] = process.argv.slice(2);
const site = unzipPackage(zip, work);
const here = new URL('.', import.meta.url).pathname;

step('the replay tests\' round, recorded natively');
execFileSync(join(native, 'tools/fusewalker-replay'), ['--data', data, '--size', '256x192', '--frames', '800', '--script',
    join(here, '../replay/round.script'), '--record', join(site, 'round.rec')]);
const recording = readFileSync(join(site, 'round.rec'), 'utf8');
const ending = recording.match(/^([0-9]+) outcome state 2 score ([0-9]+) explosions 3$/m);
if (!ending) fail(`the native recording has no round ending: ${recording}`);
writeFileSync(join(site, 'tampered.rec'), recording.replace(ending[0], ending[0].replace(` score ${ending[2]} `, ` score 1${ending[2]} `)));

const server = await serve(site);
const browser = await launch();
const summary = (page) => page.lines.find((line) => line.includes('"outcomesChecked":'));
const [played, tampered] = await Promise.all(['round.rec', 'tampered.rec'].map(async (name) => {
    const page = await open(browser, `${server.url}?play=${name}`, { viewport: { width: 256, height: 192 } });
    await waitFor(`no summary for ${name}`, 240, () => summary(page));
    return page;
}));
step(`played: ${summary(played)}`);
if (!summary(played).includes('"outcomesChecked":2') || played.errors.length)
    fail(`the recording does not play to its outcomes: ${summary(played)} ${played.errors}`);
step(`tampered: ${tampered.errors}`);
if (!tampered.errors.some((line) => line.includes(`frame ${ending[1]} differs from the recording`)))
    fail(`the altered outcome is not named: ${tampered.errors}`);
await browser.close();
server.close();
step('passed: every outcome checked in the page, and the altered one named');
