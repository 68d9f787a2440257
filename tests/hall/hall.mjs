// Shared by the hall's end-to-end tests: halls started and stopped, recordings made, requests timed.
import { execFileSync, spawn, spawnSync } from 'node:child_process';
import { mkdirSync, readFileSync, rmSync } from 'node:fs';
import net from 'node:net';

export function check(ok, what) {
    if (!ok)
        throw new Error('FAIL: ' + what);
}

export const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// The tests' command line, HALL REPLAY DATA SOURCE WORK [SANITIZED], WORK made afresh.
export function testArgs() {
    const [bin, tool, data, source, work, sanitized] = process.argv.slice(2);
    rmSync(work, { recursive: true, force: true });
    mkdirSync(work, { recursive: true });
    return { bin, tool, data, source, work, sanitized };
}

// A database of its own on the PostgreSQL with_postgres.sh runs.
export function postgresDb(name) {
    execFileSync('psql', [process.env.FW_HALL_POSTGRES, '-qc', `CREATE DATABASE ${name}`]);
    return process.env.FW_HALL_POSTGRES.replace(/\/[^/]*$/, `/${name}`);
}

// tests/replay/hostile_rounds.sh's rounds: name, text and what a player is told.
export const hostileRounds = (source, dir) =>
    execFileSync('bash', [`${source}/tests/replay/hostile_rounds.sh`, dir], { encoding: 'utf8' }).trim().split('\n')
        .map((line) => line.split('\t'))
        .map(([name, expect]) => ({ name, text: readFileSync(`${dir}/${name}.rec`, 'utf8'), expect }));

// Waits for what lasts, a minute at most.
export async function until(what, ok) {
    for (const start = performance.now(); !(await ok()); await sleep(50))
        check(performance.now() - start < 60000, `never ${what}`);
}

// Every hall started is killed when the test ends, failed or not.
const running = new Set();
process.on('exit', () => running.forEach((proc) => proc.kill('SIGKILL')));

// Starts fusewalker-hall on a free port, which it prints, and waits until it answers on a connection closed
// after the answer (which would hold a thread otherwise).
export async function startHall(bin, args) {
    const proc = spawn(bin, ['--port', '0', ...args], { stdio: ['ignore', 'pipe', 'pipe'] });
    running.add(proc);
    const log = [];
    proc.stderr.on('data', (d) => log.push(...d.toString().split('\n').filter(Boolean)));
    const exited = new Promise((done) => proc.on('exit', (code, signal) => done(signal || code)));
    exited.then(() => running.delete(proc));
    let out = '';
    const url = await new Promise((done, fail) => {
        proc.stdout.on('data', (d) => (out += d).match(/:(\d+)\//) && done('http://127.0.0.1:' + out.match(/:(\d+)\//)[1]));
        exited.then((end) => fail(new Error(`the hall ended (${end}): ${log.join('\n')}`)));
    });
    await until(`an answer from ${url}`, async () =>
        (await raw(url, ['GET /api/hall HTTP/1.1\r\nConnection: close\r\n\r\n'])).answer.includes('"hall":true'));
    const stop = async (signal = 'SIGTERM') => {
        proc.kill(signal);
        let timer;
        const end = await Promise.race([exited, new Promise((done) => (timer = setTimeout(done, 30000, 'still running')))]);
        // A pending timer would hold the test's process for the rest of the 30 s.
        clearTimeout(timer);
        check(end !== 'still running', 'the hall did not stop on ' + signal);
        return end;
    };
    return { url, proc, log, exited, stop };
}

// One request: its status, headers, JSON and time taken.
export async function request(url, options = {}) {
    const start = performance.now();
    const res = await fetch(url, options);
    const text = await res.text();
    let json = null;
    try { json = JSON.parse(text); } catch { json = null; }
    return { status: res.status, headers: res.headers, text, json, ms: performance.now() - start };
}

export const post = (url, body) => request(url + '/api/rounds',
    { method: 'POST', headers: { 'Content-Type': 'application/json' }, body: JSON.stringify(body) });

// Bytes sent on a connection of its own, `every` ms apart, and what comes back until the server closes it;
// when it began to come, and how many bytes had been sent by then.
export function raw(url, chunks, { every = 0 } = {}) {
    const socket = net.connect(Number(new URL(url).port), '127.0.0.1');
    const start = performance.now();
    let answer = '', sent = 0, answeredAt = null, upTo = null;
    return new Promise((done) => {
        const finish = (how) => { socket.destroy(); done({ answer, how, answeredAt, upTo, ms: performance.now() - start }); };
        socket.on('data', (d) => {
            answer += d;
            answeredAt ??= performance.now() - start;
            upTo ??= sent;
        });
        socket.on('end', () => finish('closed'));
        socket.on('error', (e) => finish(e.code));
        socket.setTimeout(60000, () => finish('timeout'));
        socket.on('connect', async () => {
            for (const chunk of chunks) {
                if (socket.destroyed)
                    return;
                socket.write(chunk);
                sent += chunk.length;
                await sleep(every);
            }
        });
    });
}

// The replay tool: its one-line summary, and its CPU time.
function replay(tool, args) {
    const run = spawnSync('bash', ['-c', 'TIMEFORMAT="%3U %3S"; time "$0" "$@"', tool, ...args], { encoding: 'utf8' });
    check(run.status === 0, 'the replay tool failed: ' + run.stderr);
    const [user, system] = run.stderr.trim().split('\n').pop().split(' ').map(Number);
    return { summary: JSON.parse(run.stdout.trim().split('\n').pop()), cpu: user + system };
}

// The test recordings as the replay tool plays each script, its score and its link; with `measure`, the tool's
// CPU time to replay each recording, as a player runs it.
export function recordings(tool, data, source, work, measure = false) {
    const scripts = [['round', 'tests/replay/round.script', '256x192', '1500'],
                     ['three', 'tests/web/three_rounds.script', '64x48', '3000'], ['playing', 'docs/playing.script', '64x48', '1200']];
    return scripts.map(([name, script, size, frames]) => {
        const file = `${work}/${name}.rec`;
        const made = replay(tool, ['--data', data, '--script', `${source}/${script}`, '--record', file, '--size', size,
            '--frames', frames]);
        const cpu = measure ? replay(tool, ['--data', data, '--script', file]).cpu : null;
        const link = spawnSync(tool, ['--script', file, '--link', 'http://x/'], { encoding: 'utf8' }).stdout.trim();
        return { name, text: readFileSync(file, 'utf8'), score: made.summary.score, cpu, fragment: link.split('#round=')[1] };
    });
}

// The same round made a new recording: a move on its score screen, which the replay does not check.
export function variant(text, n) {
    const lines = text.trimEnd().split('\n');
    const last = lines.pop();
    return [...lines, `${Number(last.split(' ')[0]) - 1 - n} move ${n % 256} ${n >> 8}`, last].join('\n') + '\n';
}

// The worker's CPU time for each round kept, from the hall's log.
export const workerCpu = (log) =>
    new Map(log.map((line) => line.match(/round (\d+) kept: .* replayed in ([\d.]+) s of CPU/)).filter(Boolean)
        .map(([, id, cpu]) => [Number(id), Number(cpu)]));

export function percentiles(times) {
    const sorted = [...times].sort((a, b) => a - b);
    const at = (p) => sorted[Math.min(sorted.length - 1, Math.floor(p * sorted.length))];
    return `p50 ${at(0.5).toFixed(1)} ms, p99 ${at(0.99).toFixed(1)} ms`;
}
