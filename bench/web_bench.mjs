// The web page's figures in headless Chromium, beside the desktop's own:
// click to last pixel shown for each picture, the page's weight with every
// file gzip-compressed, and load to first frame from 127.0.0.1.
//   make bench-web, or node bench/web_bench.mjs --site=DIR [--chromium=BROWSER] [--desktop=TUXING_BENCH]
import { execFileSync } from 'node:child_process';
import { readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { openBrowser, option, serve } from '../tests/web/browser.mjs';

const kRuns = 9;
const kMaximized = { width: 1280, height: 1024 };
const site = option('site');

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];

function pageWeight(directory) {
    let bytes = 0;
    for (const entry of readdirSync(directory, { withFileTypes: true })) {
        const path = join(directory, entry.name);
        bytes += entry.isDirectory() ? pageWeight(path) : gzipSync(readFileSync(path), { level: 9 }).length;
    }
    return bytes;
}

// From the start of navigation to the frame that first shows the form.
async function loadToFirstFrame(browser, url) {
    const page = await browser.newPage();
    await page.setViewport(kMaximized);
    await page.evaluateOnNewDocument(() => {
        new MutationObserver((changes, observer) => {
            if (!document.getElementById('form1'))
                return;
            observer.disconnect();
            requestAnimationFrame(() => (window.firstFrame = performance.now()));
        }).observe(document, { childList: true, subtree: true });
    });
    await page.goto(url);
    await page.waitForFunction(() => window.firstFrame !== undefined);
    const milliseconds = await page.evaluate(() => window.firstFrame);
    await page.close();
    return milliseconds;
}

// From the click to the handler's last present drawn on the canvas, as the
// desktop's figure runs to its last repaint, and on to the frame that shows
// it, which waits for the display's next refresh.
async function clickToLastPixel(page, button, count) {
    return page.evaluate(
        (id, n) =>
            new Promise((resolve) => {
                const root = document.documentElement;
                const start = performance.now();
                new MutationObserver((changes, observer) => {
                    if (root.dataset.handled !== String(n))
                        return;
                    observer.disconnect();
                    const drawn = performance.now() - start;
                    requestAnimationFrame(() => resolve({ drawn, shown: performance.now() - start }));
                }).observe(root, { attributes: true, attributeFilter: ['data-handled'] });
                document.getElementById(id).click();
            }),
        button, count);
}

const server = await serve(site);
const browser = await openBrowser(option('chromium', '/usr/bin/chromium'));
const loads = [];
for (let run = 0; run < kRuns; ++run)
    loads.push(await loadToFirstFrame(browser, server.url));

const page = await browser.newPage();
await page.setViewport(kMaximized);
await page.goto(server.url);
await page.waitForSelector('#form1 button');
const clicks = { CmdGsls: [], CmdJgdd: [] };
let handled = 0;
for (let run = 0; run < kRuns; ++run) {
    for (const button of Object.keys(clicks))
        clicks[button].push(await clickToLastPixel(page, button, ++handled));
}
await browser.close();
server.close();

const desktop = {};
const desktopBench = option('desktop');
if (desktopBench) {
    const report = JSON.parse(execFileSync(desktopBench, ['--benchmark_filter=_Click/window/',
        `--benchmark_repetitions=${kRuns}`, '--benchmark_format=json'], { encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore'] }));
    for (const run of report.benchmarks.filter((b) => b.aggregate_name === 'median'))
        desktop[run.run_name.split('_Click')[0]] = run.real_time;
}

console.log(`page weight, gzip-compressed: ${(pageWeight(site) / 1024).toFixed(1)} KiB`);
console.log(`load to first frame: median ${median(loads).toFixed(1)} ms of ${kRuns}`);
for (const [button, times] of Object.entries(clicks)) {
    const drawn = median(times.map((time) => time.drawn));
    const shown = median(times.map((time) => time.shown));
    const native = desktop[button];
    console.log(`${button}_Click, click to last pixel: drawn ${drawn.toFixed(1)} ms` +
        (native ? ` (desktop ${native.toFixed(1)} ms, ${(drawn / native).toFixed(2)}x)` : '') +
        `, in the next frame ${shown.toFixed(1)} ms`);
}
