// The hall as a client meets it: every answer and refusal, and its limits. SANITIZED: a sanitizer build, whose
// replays are ten times slower, so the replay tool's times are left out.
//   node api.mjs HALL REPLAY DATA SOURCE WORK [SANITIZED]
import { deflateRawSync } from 'node:zlib';
import { readFileSync, readdirSync } from 'node:fs';
import { check, hostileRounds, post, raw, recordings, request, startHall, testArgs, until, variant, workerCpu } from './hall.mjs';

const { bin, tool, data, source, work, sanitized } = testArgs();
const hall = await startHall(bin, ['--db', `${work}/hall.db`, '--data', data, '--page', `${source}/platform/page`,
    '--cpu-seconds', '120', '--wall-seconds', '600', '--read-seconds', '3', '--idle-seconds', '2', '--rate', '100000']);
const url = hall.url;
const pageWords = (frame) => `This round does not replay to its score: frame ${frame} differs from the recording.`;
const fragment = (text) => deflateRawSync(Buffer.from(text)).toString('base64url');

// The test recordings: kept at the replay tool's score, once whether sent as text or link.
const recs = recordings(tool, data, source, work, !sanitized);
for (const rec of recs) {
    const kept = await post(url, { name: rec.name, recording: rec.text });
    check(kept.status === 201 && kept.json.score === rec.score, `${rec.name}: ${kept.status} ${kept.text}, replay tool ${rec.score}`);
    const again = await post(url, { name: 'again', round: rec.fragment });
    check(again.status === 200 && again.json.id === kept.json.id, `${rec.name} again as a link: ${again.status} ${again.text}`);
    const one = await request(`${url}/api/rounds/${kept.json.id}`);
    check(one.json.round === rec.fragment && one.json.name === rec.name, `${rec.name}: its link is the replay tool's`);
    const workerSeconds = workerCpu(hall.log).get(kept.json.id);
    console.log(`${rec.name}: score ${rec.score}; CPU for its replay: hall worker ${workerSeconds.toFixed(3)} s` +
        (rec.cpu ? `, replay tool ${rec.cpu.toFixed(3)} s (${(rec.cpu / workerSeconds).toFixed(1)} times the worker's)` : ''));
}

// Each outcome altered, refused at its frame in the page's words.
const round = recs[0].text;
const alterations = [
    ['score', (t) => t.replace(/^794 outcome state 2 score (\d+)/m, (_, s) => `794 outcome state 2 score ${Number(s) + 1}`), 794],
    ['state', (t) => t.replace(/^794 outcome state 2/m, '794 outcome state 1'), 794],
    ['explosions', (t) => t.replace(/^794 (.*) explosions 3$/m, '794 $1 explosions 2'), 794],
    ['last score', (t) => t.replace(/^1499 outcome state 2 score (\d+)/m, (_, s) => `1499 outcome state 2 score ${Number(s) - 1}`), 1499],
    ['a click fewer', (t) => t.replace(/^4 click .*\n/m, ''), 794]];
for (const [what, alter, frame] of alterations) {
    const altered = alter(round);
    check(altered !== round, `${what}: the alteration changes the recording`);
    const r = await post(url, { name: 'cheat', recording: altered });
    check(r.status === 422 && r.json.error === pageWords(frame) && r.json.frame === frame, `${what}: ${r.status} ${r.text}`);
}

// The hostile rounds: each refused at its line, or played within the bound (those that play end on the title
// screen, so they are sent claiming the score screen, which the replay refutes).
const longPlay = `pace 60\n0 click 10 10\n215999 move 1 1\n215999 outcome state 2 score 0 explosions 0\n`;
const noise = Array.from({ length: 20000 }, (_, i) => `${i} move ${(i * 7919) % 8191} ${(i * 104729) % 8191}\n`).join('') +
    '19999 outcome state 2 score 0 explosions 0\n';
const table = hostileRounds(source, `${work}/hostile`)
    .map(({ name, text, expect }) => expect.startsWith('plays')
        ? [name, text.replace(/(\d+) outcome state 0(.*)\n$/, '$1 outcome state 2$2\n'), pageWords(text.match(/(\d+) outcome[^\n]*\n$/)[1])]
        : [name, text, expect])
    .concat([['played, no state 2', longPlay.replace('state 2', 'state 1'), 'the recording does not end with a finished round'],
             ['link not base64url', null, "the link's round is not base64url"],
             ['link not DEFLATE', 'AAAA', "the link's round does not unpack: it is cut short, or not DEFLATE"],
             ['link of 2 MB', fragment('#'.repeat(2 << 20)), "the link's round is larger than 1 MB unpacked"],
             ['text of 1.5 MB', '#'.repeat(3 << 19), 'the recording is larger than a link holds'],
             ['link of noise', fragment(noise), "the round's link is"]]);
for (const [name, text, expect] of table) {
    const body = name.startsWith('link') ? { name, round: text ?? '%%%' } : { name: name.slice(0, 24), recording: text };
    const r = await post(url, body);
    check(r.status === 422 && r.json.error.startsWith(expect), `${name}: ${r.status} ${r.text} in ${r.ms} ms`);
    console.log(`hostile ${name}: 422 in ${r.ms.toFixed(0)} ms: ${r.json.error}`);
}

// A hall of one replay at a time, none waiting, two seconds of CPU each. Two rounds that would play for an hour,
// at once: one is refused at its CPU limit, the other finds no place (503).
const small = await startHall(bin, ['--db', `${work}/small.db`, '--data', data, '--workers', '1', '--queue', '0',
    '--cpu-seconds', '2', '--wall-seconds', '600', '--read-seconds', '60', '--idle-seconds', '60']);
const pair = (await Promise.all([0, 1].map((i) => post(small.url, {
    name: 'long', recording: longPlay.replace('click 10', `click ${i}`) })))).sort((a, b) => a.status - b.status);
check(pair[0].status === 422 && pair[0].json.error === 'the round takes more than 2 seconds of CPU to replay' &&
      pair[1].status === 503 && pair[1].headers.get('retry-after') === '2', `long plays: ${pair.map((r) => r.text)}`);
console.log(`plays for an hour: 422 in ${pair[0].ms.toFixed(0)} ms: ${pair[0].json.error}; the other at once: 503`);

// Names: hostile ones kept as text and escaped on the page, or refused.
const names = [['<img src=x onerror=f()>', 201], ["'; DROP TABLE rounds;--", 201], ['Zoë 🔥', 201], ['a\u0007b', 400]];
for (const [i, [name, status]] of names.entries()) {
    const r = await post(url, { name, recording: variant(round, i) });
    check(r.status === status, `name ${JSON.stringify(name)}: ${r.status} ${r.text}`);
    if (status === 201)
        check((await request(`${url}/api/rounds/${r.json.id}`)).json.name === name, `name ${name} kept as it was sent`);
}
const overlong = Buffer.concat([Buffer.from('{"name":"'), Buffer.from([0xc0, 0xbc]), Buffer.from('b","recording":"x"}')]);
const page = (await request(`${url}/hall`)).text;
check(page.includes('&lt;img src=x onerror=f()&gt;') && !page.includes('<img'), 'the hall page escapes names');
check(page.includes(`href="/#round=${recs[0].fragment}"`), 'the hall page links each round to the game page');

// Bodies: each refused with its code within its bound in time (a paced body cut at the 3 s read deadline) and in
// bytes (4 MB of a 10 MB request sent and the rest held back, answered by the hall that would wait a minute for it).
const head = (length, more = '') => `POST /api/rounds HTTP/1.1\r\nHost: x\r\nConnection: close\r\nContent-Type: application/json\r\n${more}` +
    (length === null ? '' : `Content-Length: ${length}\r\n`) + '\r\n';
const fourMb = Array(64).fill(Buffer.alloc(64 << 10, 'a'));
const bodies = [
    ['10 MB', [head(10 << 20), ...fourMb], 413, { at: small.url }],
    ['10 MB chunked', [head(null, 'Transfer-Encoding: chunked\r\n'), `${(10 << 20).toString(16)}\r\n`, ...fourMb], 413, { at: small.url }],
    ['plain text', [head(2).replace('application/json', 'text/plain'), '{}'], 415],
    ['gzip', [head(2, 'Content-Encoding: gzip\r\n'), '{}'], 415],
    ['overlong UTF-8 name', [head(overlong.length), overlong], 400],
    ['a GET with a body', [head(3).replace('POST /api/rounds', 'GET /api/hall'), 'abc'], 413],
    ['slow body', [head(1000), ...Array(80).fill(' ')], 408, { every: 250 }],
    ['endless header', ['GET / HTTP/1.1\r\nX: ', ...fourMb], 400, { at: small.url }],
    ['header dripped', ['GET / HTTP/1.1\r\n', ...Array(200).fill('X: 1\r\n')], 400, { every: 100 }]];
for (const [what, chunks, status, pace] of bodies) {
    const r = await raw(pace?.at ?? url, chunks, pace);
    const got = Number((r.answer.match(/^HTTP\/1\.1 (\d+)/) || [])[1]) || null;
    check(got === status && r.answeredAt < 10000, `${what}: ${got} (${r.how}) after ${r.answeredAt} ms, ` +
        `${r.upTo} bytes: ${r.answer.slice(0, 200)}`);
    console.log(`${what}: ${got} after ${r.answeredAt.toFixed(0)} ms and ${r.upTo} bytes sent`);
}
await small.stop();

// The lists, best first, and what is not there.
const top = await request(`${url}/api/rounds?top=2`);
check(top.json.length === 2 && top.json[0].score >= top.json[1].score && top.json[0].rank === 1, `top 2: ${top.text}`);
for (const [path, status] of [['/api/rounds?top=0', 400], ['/api/rounds?top=101', 400], ['/api/rounds?top=1e1', 400],
    ['/api/rounds/0', 404], ['/api/rounds/1x', 404], ['/api/nothing', 404], ['/../../etc/passwd', 404], ['/', 200]])
    check((await request(url + path)).status === status, `${path}: ${status}`);

// Nothing left hanging: the server answers, and no replay runs.
const children = readdirSync(`/proc/${hall.proc.pid}/task`)
    .map((t) => readFileSync(`/proc/${hall.proc.pid}/task/${t}/children`, 'utf8').trim()).filter(Boolean);
check(children.length === 0, `replays left running: ${children}`);
check(await hall.stop() === 0, 'the hall stops cleanly on SIGTERM');

// A hall taking one round a minute from an address: the second is refused.
const once = await startHall(bin, ['--db', `${work}/once.db`, '--data', data, '--rate', '1']);
const rate = [await post(once.url, { name: 'x', recording: 'not a round' }), await post(once.url, { name: 'x', recording: '' })];
const wait = Number(rate[1].headers.get('retry-after'));
check(rate[0].status === 422 && rate[1].status === 429 && wait > 0 && wait <= 60, `rate: ${rate[1].text}, wait ${wait}`);
await once.stop();

// Of three connections at once to a hall of one thread, two or more are turned away (503 from the accepting
// thread); one the thread takes ends at its read deadline.
const narrow = await startHall(bin, ['--db', `${work}/narrow.db`, '--data', data, '--threads', '1', '--backlog', '0',
    '--read-seconds', '2']);
const three = await Promise.all(Array(3).fill(['GET /api/hall HTTP/1.1\r\n']).map((chunks) => raw(narrow.url, chunks)));
const turned = three.filter((r) => /^HTTP\/1\.1 503 [^]*Retry-After: 2/.test(r.answer) && r.ms < 1000);
check(turned.length >= 2 && three.every((r) => turned.includes(r) || r.answer.startsWith('HTTP/1.1 400')),
    `three connections to one thread: ${three.map((r) => r.answer.slice(0, 12) + ' ' + r.ms.toFixed(0))}`);
await until('the thread serves again', async () => (await request(`${narrow.url}/api/hall`)).status === 200);
await narrow.stop();
console.log('hall api ok');
