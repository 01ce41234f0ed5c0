// The web page's figures in Chromium, Firefox and WebKitGTK, beside the
// desktop's own measured in the same run: click to last pixel for each
// picture (the click to the worker's "done", after the handler's last
// present), and for the page's first click on it; load to first frame, and
// to the end of the worker's rehearsal, from 127.0.0.1; and the page's
// weight with every file gzip-compressed.
//   make bench-web, or node bench/web_bench.mjs --site=DIR [--engines=chromium,firefox,webkit]
//       [--desktop=TUXING_BENCH] [--query=?...]
import { execFileSync } from 'node:child_process';
import { readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { parseArgs } from 'node:util';
import { gzipSync } from 'node:zlib';
import { kEngines, launch, serve } from '../tests/web/browser.mjs';

const kRuns = 9;
const kPictures = ['CmdGsls', 'CmdJgdd'];
// Clicks on each picture left uncounted, the first of which is reported
// apart: the engines' optimizing compilers take over only after some painting,
// WebKit's last.
const kClicksBeforeCounting = 20;
const kClickRuns = 21;
// How long the page clicks before it hands its times back: a driver gives a
// script 30 s.
const kSecondsPerScript = 5;
const kMaximized = { width: 1280, height: 1024 };
const { values: options } = parseArgs({ options: { site: { type: 'string' }, engines: { type: 'string', default: kEngines.join(',') },
    desktop: { type: 'string' }, query: { type: 'string', default: '' } } });
const { site, query } = options;

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

function pageWeight(directory) {
    let bytes = 0;
    for (const entry of readdirSync(directory, { withFileTypes: true })) {
        const path = join(directory, entry.name);
        bytes += entry.isDirectory() ? pageWeight(path) : gzipSync(readFileSync(path), { level: 9 }).length;
    }
    return bytes;
}

// From the start of navigation to the first frame that shows the form's
// text, which the page shows all at once, and to the end of the worker's
// rehearsal, from which on a click paints at full speed.
async function load(browser, url) {
    const page = await browser.open(url, kMaximized);
    const mark = (name) => page.waitFor((entry) => performance.getEntriesByName(entry)[0]?.startTime, name);
    const milliseconds = { firstFrame: await mark('first-contentful-paint'), rehearsed: await mark('rehearsed') };
    await page.close();
    return milliseconds;
}

// Clicks each picture in turn, each click as soon as the last has ended, as
// the desktop's figure runs its handler over and over, and from within the
// page: a round trip to the driver between clicks would leave the engine idle
// and its caches cold, which the desktop's figure never is. Returns each
// button's times, from the click to the handler's end, after its last present
// has been drawn on the canvas, as the desktop's figure runs to its last
// repaint.
async function clicksToLastPixel(page, buttons, rounds) {
    const times = Object.fromEntries(buttons.map((id) => [id, []]));
    for (let done = 0; done < rounds;) {
        const part = await page.evaluate(async (ids, most, seconds) => {
            const root = document.documentElement;
            const runs = Object.fromEntries(ids.map((id) => [id, []]));
            let handled = Number(root.dataset.handled ?? 0);
            const until = performance.now() + seconds * 1000;
            for (let round = 0; round < most && (round === 0 || performance.now() < until); ++round) {
                for (const id of ids) {
                    const target = String(++handled);
                    runs[id].push(await new Promise((resolve) => {
                        const start = performance.now();
                        new MutationObserver((changes, observer) => {
                            if (root.dataset.handled !== target)
                                return;
                            observer.disconnect();
                            resolve(performance.now() - start);
                        }).observe(root, { attributes: true, attributeFilter: ['data-handled'] });
                        document.getElementById(id).click();
                    }));
                }
            }
            return runs;
        }, buttons, rounds - done, kSecondsPerScript);
        for (const id of buttons)
            times[id].push(...part[id]);
        done += part[buttons[0]].length;
    }
    return times;
}

async function measure(engine, url) {
    // First visits, each in a fresh private context, and then visits of a
    // returning visitor, whose browser and service worker keep the site.
    const browser = await launch(engine, 1);
    const returning = await launch(engine, 1, { isolated: false });
    const loads = { first: [], returning: [] };
    for (let run = 0; run < kRuns; ++run) {
        loads.first.push(await load(browser, url));
        loads.returning.push(await load(returning, url));
    }
    await returning.close();
    const page = await browser.open(url + query, kMaximized);
    // Once the core has rehearsed: a click before that would time the core's
    // loading and rehearsal too.
    await page.waitFor(() => performance.getEntriesByName('rehearsed').length > 0);
    const clicks = await clicksToLastPixel(page, kPictures, kClicksBeforeCounting + kClickRuns);
    await browser.close();
    const medians = (runs) => ({ firstFrame: median(runs.map((run) => run.firstFrame)),
        rehearsed: median(runs.map((run) => run.rehearsed)) });
    return { load: { first: medians(loads.first), returning: medians(loads.returning) },
        clicks: Object.fromEntries(kPictures.map(
            (b) => [b, { median: median(clicks[b].slice(kClicksBeforeCounting)), first: clicks[b][0] }])) };
}

function desktopFigures(bench) {
    const report = JSON.parse(execFileSync(bench, ['--benchmark_filter=_Click/window/',
        `--benchmark_repetitions=${kRuns}`, '--benchmark_format=json'], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] }));
    return Object.fromEntries(report.benchmarks.filter((b) => b.aggregate_name === 'median')
        .map((run) => [run.run_name.split('_Click')[0], run.real_time]));
}

const server = await serve(site);
console.log(`page weight, gzip-compressed: ${(pageWeight(site) / 1024).toFixed(1)} KiB`);
const desktopBench = options.desktop;
for (const engine of options.engines.split(',')) {
    // The desktop just before each engine: the machine's load changes over
    // a run of minutes.
    const desktop = desktopBench ? desktopFigures(desktopBench) : {};
    const { load, clicks } = await measure(engine, server.url);
    const times = Object.entries(clicks).map(([button, drawn]) => `${button} ${drawn.median.toFixed(1)} ms` +
        (desktop[button] ? ` (desktop ${desktop[button].toFixed(1)} ms, ${(drawn.median / desktop[button]).toFixed(2)}x)` : '') +
        `, its first ${drawn.first.toFixed(1)} ms`);
    console.log(`${engine}: load to first frame ${load.first.firstFrame.toFixed(1)} ms on a first visit, ` +
        `${load.returning.firstFrame.toFixed(1)} ms returning; to full speed ${load.first.rehearsed.toFixed(1)} ms ` +
        `and ${load.returning.rehearsed.toFixed(1)} ms, medians of ${kRuns}; click to last pixel ${times.join(', ')}, ` +
        `medians of ${kClickRuns}`);
}
server.close();
