// The page served from 127.0.0.1 and the three browser engines to open it
// in, behind one small interface, so that one test runs in all of them:
//   const browser = await launch(engine, ratio, {isolated}) (isolated: each page in a private context, as by default)
//   const page = await browser.open(url, {width, height})
//   page.evaluate(fn, ...args)  page.waitFor(fn, ...args)  page.click(selector)
//   page.press('Tab' | 'Space' | 'Enter')  page.screenshot()  page.reload()
//   page.resize({width, height})  page.zoom(factor) (null where the driver cannot)  page.close()
//   page.tap(selector) (null where the driver cannot)  page.violations()
//   page.puppeteer: the puppeteer page beneath, for what only one engine's driver does; null in WebKitGTK
// Through puppeteer a viewport may also ask for an emulated screen:
// deviceScaleFactor, isMobile, hasTouch, isLandscape.
// Each engine is given its device pixel ratio as a screen of that density
// gives it, not by emulation: Chromium and Firefox snap borders differently
// under an emulated ratio than on a real screen.
import { spawn } from 'node:child_process';
import { mkdtempSync, readFile, rmSync } from 'node:fs';
import { createServer } from 'node:http';
import { createServer as createNetServer } from 'node:net';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';
import { inflateSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';

export const kEngines = ['chromium', 'firefox', 'webkit'];
// How long any of the tests' waits lasts before it fails.
export const kWait = 60_000;
const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.json': 'application/json',
    '.wasm': 'application/wasm', '.svg': 'image/svg+xml', '.woff': 'font/woff', '.webmanifest': 'application/manifest+json',
    '.png': 'image/png' };

// A static server that can hold back the next request for a file until the
// test lets it go, so that a test can act while the page still loads it. On
// a port of its own, unless given one: a page its service worker keeps is
// found again at the same address.
export function serve(site, port = 0) {
    const held = new Map();
    const server = createServer((request, response) => {
        const path = normalize(decodeURIComponent(new URL(request.url, 'http://host').pathname)).replace(/^\/+/, '');
        const answer = () => readFile(join(site, path.endsWith('/') || !path ? `${path}index.html` : path), (error, body) => {
            if (error) {
                response.writeHead(404).end();
                return;
            }
            response.writeHead(200, { 'Content-Type': kTypes[extname(path) || '.html'] ?? 'application/octet-stream',
                'Cache-Control': 'no-store' }).end(body);
        });
        const hold = held.get(path);
        if (hold) {
            held.delete(path);
            hold.requested();
            hold.released.then(answer);
        } else {
            answer();
        }
    });
    return new Promise((resolve) => server.listen(port, '127.0.0.1', () => resolve({
        url: `http://127.0.0.1:${server.address().port}/`,
        port: server.address().port,
        // Resolves once the file is asked for, with the function that sends it.
        // Fails if the file is not asked for in time: a page kept by its
        // service worker, say, asks it of the cache instead.
        hold(path) {
            let release;
            const released = new Promise((resolve) => (release = resolve));
            return new Promise((requested, fail) => {
                const late = setTimeout(() => {
                    held.delete(path);
                    fail(new Error(`${path} was never asked of the server`));
                }, kWait);
                held.set(path, { released, requested: () => {
                    clearTimeout(late);
                    requested(release);
                } });
            });
        },
        close: () => new Promise((resolve) => {
            server.close(resolve);
            server.closeAllConnections();
        }),
    })));
}

// A PNG as the engines' screenshots come: 8 bits per channel, RGB or RGBA,
// not interlaced. Returns RGBA bytes.
export function decodePng(png) {
    let width, height, channels;
    const data = [];
    for (let at = 8; at < png.length; at += 12 + png.readUInt32BE(at)) {
        const type = png.toString('latin1', at + 4, at + 8);
        const body = png.subarray(at + 8, at + 8 + png.readUInt32BE(at));
        if (type === 'IHDR') {
            [width, height, channels] = [body.readUInt32BE(0), body.readUInt32BE(4), { 2: 3, 6: 4 }[body[9]]];
            if (body[8] !== 8 || !channels || body[12] !== 0)
                throw new Error('a screenshot in a kind of PNG the engines do not send');
        } else if (type === 'IDAT') {
            data.push(body);
        }
    }
    const raw = inflateSync(Buffer.concat(data));
    const stride = width * channels;
    const rows = Buffer.alloc(stride * height);
    // Row by row, a filter's loop of its own: choosing the filter for each
    // byte made a screenshot at ratio 2 take a second to read.
    const zero = Buffer.alloc(stride);
    for (let y = 0; y < height; ++y) {
        const [filter, line] = [raw[y * (stride + 1)], raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1))];
        const row = rows.subarray(y * stride, (y + 1) * stride);
        const up = y ? rows.subarray((y - 1) * stride, y * stride) : zero;
        const left = (i) => (i >= channels ? row[i - channels] : 0);
        const upLeft = (i) => (i >= channels ? up[i - channels] : 0);
        if (filter === 0) {
            line.copy(row);
        } else if (filter === 1) {
            for (let i = 0; i < stride; ++i)
                row[i] = line[i] + left(i);
        } else if (filter === 2) {
            for (let i = 0; i < stride; ++i)
                row[i] = line[i] + up[i];
        } else if (filter === 3) {
            for (let i = 0; i < stride; ++i)
                row[i] = line[i] + ((left(i) + up[i]) >> 1);
        } else if (filter === 4) {
            for (let i = 0; i < stride; ++i) {
                const [a, b, c] = [left(i), up[i], upLeft(i)];
                const [pa, pb, pc] = [Math.abs(b - c), Math.abs(a - c), Math.abs(a + b - 2 * c)];
                row[i] = line[i] + (pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
            }
        } else {
            throw new Error(`a screenshot's row with filter ${filter}, which PNG does not have`);
        }
    }
    if (channels === 4)
        return { width, height, rgba: rows };
    const rgba = Buffer.alloc(width * height * 4, 255);
    for (let i = 0; i < width * height; ++i)
        [rgba[i * 4], rgba[i * 4 + 1], rgba[i * 4 + 2]] = [rows[i * 3], rows[i * 3 + 1], rows[i * 3 + 2]];
    return { width, height, rgba };
}

const call = (fn, args) => `return (${fn}).apply(null, ${JSON.stringify(args)})`;

// Every breach of the page's content security policy, as "directive: what",
// from as early in each document as the driver can listen.
function watchPolicy() {
    globalThis.policyViolations = [];
    document.addEventListener('securitypolicyviolation', (event) =>
        globalThis.policyViolations.push(`${event.effectiveDirective}: ${event.blockedURI || event.sample}`));
}
const policyViolations = () => globalThis.policyViolations ?? ['none watched'];

// A page that navigates meanwhile, as one does when a new build takes over,
// has no answer for a moment; the last such failure is told at the deadline.
async function poll(evaluate, fn, args) {
    const deadline = Date.now() + kWait;
    let failure = '';
    for (;;) {
        const value = await evaluate(fn, ...args).catch((error) => void (failure = `; last: ${error.message}`));
        if (value)
            return value;
        if (Date.now() > deadline)
            throw new Error(`waited ${kWait / 1000} s in vain for ${fn}${failure}`);
        await new Promise((resolve) => setTimeout(resolve, 20));
    }
}

// Chromium and Firefox through puppeteer: the DevTools protocol and
// WebDriver BiDi.
async function launchPuppeteer(engine, ratio, { isolated }) {
    const profile = mkdtempSync(join(tmpdir(), `tuxing-${engine}-`));
    const browser = await puppeteer.launch(engine === 'chromium'
        ? { executablePath: '/usr/bin/chromium', headless: true, userDataDir: profile,
            // Without the background-networking switches Chromium keeps trying
            // hosts that this closed network refuses. Without the omnibox
            // switches each new context loads two pages of the browser's own,
            // which took a core from the page for its first second.
            args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
                '--disable-component-update', '--disable-sync', '--disable-quic', `--force-device-scale-factor=${ratio}`,
                '--disable-features=WebUIOmniboxPopup,WebUIOmniboxAimPopup'] }
        // A plain fresh profile, whose canvas reads back exactly, and whose
        // clock reads finer than its default whole milliseconds, which would
        // leave the benchmark's clicks of a few milliseconds unmeasured.
        : { browser: 'firefox', protocol: 'webDriverBiDi', executablePath: '/usr/bin/firefox-esr', headless: true,
            userDataDir: profile, extraPrefsFirefox: { 'layout.css.devPixelsPerPx': String(ratio),
                'privacy.reduceTimerPrecision': false } });
    return {
        async open(url, { width, height, ...emulated }) {
            // Each page in a context of its own, unless asked otherwise, so
            // that none is kept by the service worker an earlier one left.
            const context = isolated ? await browser.createBrowserContext() : browser.defaultBrowserContext();
            const page = await context.newPage();
            const errors = [];
            page.on('pageerror', (error) => errors.push(error.message));
            // A ratio of 0 leaves the screen's own.
            const viewport = (size) => page.setViewport({ deviceScaleFactor: 0, ...size });
            await viewport({ width, height, ...emulated });
            await page.evaluateOnNewDocument(watchPolicy);
            await page.goto(url);
            const evaluate = (fn, ...args) => page.evaluate(new Function(call(fn, args)));
            return {
                puppeteer: page,
                errors,
                evaluate,
                waitFor: (fn, ...args) => poll(evaluate, fn, args),
                click: (selector) => page.click(selector),
                press: (key) => page.keyboard.press(key === 'Space' ? ' ' : key),
                screenshot: async () => decodePng(Buffer.from(await page.screenshot())),
                reload: () => page.reload(),
                resize: viewport,
                // As the browser zooms: fewer CSS pixels, each of more device pixels.
                zoom: (factor) => page.setViewport({ width: width / factor, height: height / factor,
                    deviceScaleFactor: ratio * factor }),
                // Only Chromium lists a page's workers; elsewhere null.
                workers: () => (engine === 'chromium' ? page.workers() : null),
                // A finger at the middle of the element.
                async tap(selector) {
                    const { x, y, width, height } = await (await page.$(selector)).boundingBox();
                    await page.touchscreen.tap(x + width / 2, y + height / 2);
                },
                violations: () => evaluate(policyViolations),
                close: () => (isolated ? context.close() : page.close()),
            };
        },
        close: async () => {
            await browser.close();
            rmSync(profile, { recursive: true, force: true });
        },
    };
}

// WebKitGTK through its WebDriver (the classic HTTP protocol), which starts
// MiniBrowser on the tests' private desktop at the density GDK_SCALE gives.
// The desktop's window manager gives each new window the keyboard focus, on
// which the engine shows the focus at all.
const kKeys = { Tab: '\uE004', Space: ' ', Enter: '\uE007' };

async function launchWebKit(ratio) {
    const port = await new Promise((resolve) => {
        const probe = createNetServer().listen(0, '127.0.0.1', () => { const { port } = probe.address(); probe.close(() => resolve(port)); });
    });
    const desktop = new URL('../../scripts/private-desktop.sh', import.meta.url).pathname;
    const driver = spawn(desktop, ['--screen', '2800x2400', '/usr/bin/WebKitWebDriver', `--port=${port}`], {
        env: { ...process.env, GDK_SCALE: String(ratio) }, detached: true, stdio: 'ignore' });
    const ended = new Promise((resolve) => driver.on('exit', resolve));
    // The driver, its browsers and their display go with this process, however it ends.
    const stop = () => {
        try {
            process.kill(-driver.pid);
        } catch {}
    };
    process.on('exit', stop);
    const base = `http://127.0.0.1:${port}`;
    const request = async (method, path, body) => {
        const response = await fetch(base + path, { method, headers: { 'Content-Type': 'application/json' },
            body: body && JSON.stringify(body) });
        const { value } = await response.json();
        if (value?.error)
            throw new Error(`WebKitWebDriver: ${value.error}: ${value.message}`);
        return value;
    };
    const deadline = Date.now() + kWait;
    while (!(await request('GET', '/status').catch(() => null))?.ready) {
        if (Date.now() > deadline) {
            stop();
            throw new Error('WebKitWebDriver did not start');
        }
        await new Promise((resolve) => setTimeout(resolve, 50));
    }
    const sessions = [];
    return {
        // One session, and with it one MiniBrowser window, for each page.
        async open(url, { width, height }) {
            const { sessionId } = await request('POST', '/session', { capabilities: { alwaysMatch: {
                'webkitgtk:browserOptions': { binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
                    args: ['--automation'] } } } });
            sessions.push(sessionId);
            const session = (method, path, body) => request(method, `/session/${sessionId}${path}`, body);
            const evaluate = (fn, ...args) => session('POST', '/execute/sync', { script: call(fn, args), args: [] });
            // The window holds a toolbar above the page.
            await session('POST', '/window/rect', { width, height });
            const [innerWidth, innerHeight] = await evaluate(() => [innerWidth, innerHeight]);
            const resize = (size) => session('POST', '/window/rect',
                { width: size.width + width - innerWidth, height: size.height + height - innerHeight });
            await resize({ width, height });
            await session('POST', '/url', { url });
            // The window manager gives a new window the keyboard focus soon
            // after it maps it, and until then the engine draws no focus
            // indicator at all.
            await poll(evaluate, () => document.hasFocus(), []);
            // Only once the page is there: what a policy refused while it
            // loaded, the other checks see as a page that does not work.
            await evaluate(watchPolicy);
            const key = (value) => session('POST', '/actions', { actions: [{ type: 'key', id: 'keyboard',
                actions: [{ type: 'keyDown', value }, { type: 'keyUp', value }] }] });
            return {
                puppeteer: null,
                errors: [],
                evaluate,
                waitFor: (fn, ...args) => poll(evaluate, fn, args),
                // A click may wait for its element to come into view, as the
                // protocol allows and this driver does not: on a busy machine
                // it once found a button out of view just after the page had
                // loaded. A click so refused has not been made.
                async click(selector) {
                    const element = await session('POST', '/element', { using: 'css selector', value: selector });
                    const deadline = Date.now() + kWait;
                    for (;;) {
                        const refused = await session('POST', `/element/${Object.values(element)[0]}/click`, {})
                            .then(() => null, (error) => error);
                        if (!refused)
                            return;
                        if (!refused.message.includes('element not interactable') || Date.now() > deadline)
                            throw refused;
                        await new Promise((resolve) => setTimeout(resolve, 20));
                    }
                },
                press: (name) => key(kKeys[name]),
                screenshot: async () => decodePng(Buffer.from(await session('GET', '/screenshot'), 'base64')),
                async reload() {
                    await session('POST', '/refresh', {});
                    await evaluate(watchPolicy);
                },
                resize,
                zoom: null,
                workers: () => null,
                tap: null,
                violations: () => evaluate(policyViolations),
                close: async () => {
                    sessions.splice(sessions.indexOf(sessionId), 1);
                    await session('DELETE', '');
                },
            };
        },
        async close() {
            for (const sessionId of sessions.splice(0))
                await request('DELETE', `/session/${sessionId}`).catch(() => null);
            stop();
            await ended;
        },
    };
}

export const launch = (engine, ratio, { isolated = true } = {}) =>
    (engine === 'webkit' ? launchWebKit(ratio) : launchPuppeteer(engine, ratio, { isolated }));

export function option(name, fallback) {
    const given = process.argv.find((argument) => argument.startsWith(`--${name}=`));
    return given ? given.slice(name.length + 3) : fallback;
}
