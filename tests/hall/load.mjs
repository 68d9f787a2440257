// 20 clients send 500 rounds of every kind to a hall on SQLite, on PostgreSQL, and to two halls on one PostgreSQL:
// each new round kept once, every other refused with its code, no 5xx but 503 with Retry-After (a full line of
// replays: the client sends it again). The rates and times are printed, never held to anything.
//   with_postgres.sh node load.mjs HALL REPLAY DATA SOURCE WORK
import { check, hostileRounds, percentiles, post, postgresDb, recordings, request, sleep, startHall, testArgs, variant }
    from './hall.mjs';

const { bin, tool, data, source, work } = testArgs();
const maxBody = 256 << 10;
const recs = recordings(tool, data, source, work);
const hostile = hostileRounds(source, `${work}/hostile`).filter(({ expect }) => expect.startsWith('line')).map(({ text }) => text);

// The 500 requests, in a fixed shuffled order, each with the codes it may get.
function requests() {
    const valid = recs.map((r) => r.text).concat(Array.from({ length: 12 }, (_, i) => variant(recs[0].text, i)));
    const jobs = valid.flatMap((text, i) => ['new', 'again'].map((kind) => ({ kind, recording: text, codes: [201, 200] })));
    const add = (count, job) => jobs.push(...Array.from({ length: count }, (_, i) => job(i)));
    add(12, (i) => ({ kind: 'tampered', codes: [422], recording: variant(recs[0].text, 100 + i)
        .replace(/^794 outcome state 2 score (\d+)/m, '794 outcome state 2 score 1') }));
    add(120, (i) => ({ kind: 'hostile', codes: [422], recording: hostile[i % hostile.length] }));
    add(40, () => ({ kind: 'oversized', codes: [413], recording: '#'.repeat(maxBody) }));
    add(40, (i) => ({ kind: 'bad name', codes: [400], recording: recs[0].text, name: i % 2 ? '\u0000' : 'x'.repeat(25) }));
    add(500 - jobs.length, (i) => ({ kind: 'again', codes: [201, 200], recording: recs[i % 3].text }));
    for (let i = jobs.length - 1, seed = 7; i > 0; --i) {
        seed = (seed * 1103515245 + 12345) % 2147483648;
        const j = seed % (i + 1);
        [jobs[i], jobs[j]] = [jobs[j], jobs[i]];
    }
    return jobs;
}

async function load(label, halls) {
    const jobs = requests();
    const times = {}, codes = {};
    const ids = new Map(); // recording -> id
    const created = new Map(); // recording -> count of 201
    let retried = 0, next = 0;
    const start = performance.now();
    const client = async (c) => {
        for (let n = 0; next < jobs.length; ++n) {
            const job = jobs[next++];
            const url = halls[(c + n) % halls.length].url;
            for (;;) {
                const r = await post(url, { name: job.name ?? job.kind, recording: job.recording });
                codes[r.status] = (codes[r.status] ?? 0) + 1;
                (times[job.kind] ??= []).push(r.ms);
                if (r.status === 503) {
                    const wait = Number(r.headers.get('retry-after'));
                    check(wait > 0, '503 without Retry-After');
                    ++retried;
                    await sleep(wait * 1000);
                    continue;
                }
                check(job.codes.includes(r.status), `${label} ${job.kind}: ${r.status} ${r.text}`);
                if (job.kind === 'tampered')
                    check(r.json.frame === 794, `${label}: tampered round refused at ${r.text}`);
                if (r.status === 201 || r.status === 200) {
                    const text = job.recording;
                    check(!ids.has(text) || ids.get(text) === r.json.id, `${label}: one recording, two ids`);
                    ids.set(text, r.json.id);
                    created.set(text, (created.get(text) ?? 0) + (r.status === 201));
                }
                break;
            }
        }
    };
    await Promise.all(Array.from({ length: 20 }, (_, c) => client(c)));
    const seconds = (performance.now() - start) / 1000;
    for (const [text, count] of created)
        check(count === 1, `${label}: a recording answered 201 ${count} times: ${text.slice(-60)}`);
    for (const hall of halls) {
        const list = (await request(`${hall.url}/api/rounds?top=100`)).json;
        check(list.length === ids.size && new Set(list.map((r) => r.id)).size === ids.size &&
              list.every((r) => [...ids.values()].includes(r.id)), `${label}: the list holds each kept round once`);
    }
    const all = Object.values(times).flat();
    console.log(`${label}: ${jobs.length} rounds (and ${retried} sent again after a 503) in ${seconds.toFixed(1)} s, ` +
        `${(all.length / seconds).toFixed(1)} requests/s; ${percentiles(all)}; answers ${JSON.stringify(codes)}; ` +
        `${ids.size} rounds kept`);
    for (const [kind, list] of Object.entries(times))
        console.log(`  ${kind}: ${list.length} requests, ${percentiles(list)}`);
}

const common = ['--data', data, '--rate', '1000000', '--max-body', String(maxBody)];
for (const [label, dbs] of [['SQLite', [`${work}/load.db`]], ['PostgreSQL', [postgresDb('load_one')]],
                            ['two halls on one PostgreSQL', Array(2).fill(postgresDb('load_two'))]]) {
    const halls = [];
    for (const db of dbs)
        halls.push(await startHall(bin, ['--db', db, ...common]));
    await load(label, halls);
    for (const hall of halls)
        check(await hall.stop() === 0, `${label}: the hall stops cleanly`);
}
console.log('hall load ok');
