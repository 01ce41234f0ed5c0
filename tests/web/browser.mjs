// The page served from 127.0.0.1 and the three browser engines to open it
// in, behind one small interface, so that one test runs in all of them:
//   const browser = await launch(engine, ratio, {isolated}) (isolated: each page in a private context, as by default)
//   const page = await browser.open(url, {width, height})
//   page.evaluate(fn, ...args)  page.waitFor(fn, ...args)  page.click(selector)
//   page.press('Tab' | 'Space' | 'Enter')  page.screenshot(part) (at least the part {width, height} at the top left)  page.reload()
//   page.resize({width, height})  page.close()  page.violations()
//   page.zoom(factor)  page.density(ratio)  page.tap(selector)  page.workers(): null where the driver cannot
//   page.warnings: the console's, where the driver passes them on
//   page.puppeteer: the puppeteer page beneath, for what only one engine's driver does; null in WebKitGTK
// kAbilities tells beforehand which engine's driver does what beyond that.
// Through puppeteer a viewport may also ask for an emulated screen:
// deviceScaleFactor, isMobile, hasTouch, isLandscape.
// Each engine is given its device pixel ratio as a screen of that density
// gives it, not by emulation: Chromium and Firefox snap borders differently
// under an emulated ratio than on a real screen.
import { spawn } from 'node:child_process';
import { mkdtempSync, readFile, rmSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize } from 'node:path';
import { PNG } from 'pngjs';
import puppeteer from 'puppeteer-core';
import { Builder, Key, error as webDriverError } from 'selenium-webdriver';
import { waitForServer } from 'selenium-webdriver/http/util.js';
import { findFreePort } from 'selenium-webdriver/net/portprober.js';

export const kEngines = ['chromium', 'firefox', 'webkit'];
// What an engine's driver does beyond the common interface: pass on the
// console; zoom (fewer CSS pixels, each of more device pixels); change the
// density alone, at the same size in CSS pixels, as a move to another screen
// does (Chromium's emulation changes the ratio but tells the page nothing);
// list the page's workers; touch.
export const kAbilities = {
    chromium: new Set(['console', 'zoom', 'workers', 'touch']),
    firefox: new Set(['console', 'zoom', 'density']),
    webkit: new Set(),
};
// How long any wait lasts before it fails. The first that fails leaves every
// later one failing at once: a page or a browser that does not answer then
// fails the whole run in about the time a passing one takes.
export const kWait = 30_000;
let inVain = null;
export const waitedInVain = () => inVain;
export function giveUp(error) {
    inVain ??= error;
    return error;
}

const kTypes = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.json': 'application/json',
    '.wasm': 'application/wasm', '.svg': 'image/svg+xml', '.woff': 'font/woff', '.webmanifest': 'application/manifest+json',
    '.png': 'image/png' };

// Asks `attempt` until it gives something, within kWait.
export async function until(attempt, what) {
    for (const deadline = Date.now() + kWait; ;) {
        if (inVain)
            throw new Error(`gave up on ${what} after a wait in vain: ${inVain.message}`);
        const value = await attempt();
        if (value)
            return value;
        if (Date.now() > deadline)
            throw giveUp(new Error(`waited ${kWait / 1000} s in vain for ${what}`));
        await new Promise((resolve) => setTimeout(resolve, 20));
    }
}

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
        async hold(path) {
            let release, requested = false;
            const released = new Promise((resolve) => (release = resolve));
            held.set(path, { released, requested: () => (requested = true) });
            await until(() => requested, `${path} to be asked of the server`).finally(() => held.delete(path));
            return release;
        },
        close: () => new Promise((resolve) => {
            server.close(resolve);
            server.closeAllConnections();
        }),
    })));
}

// A screenshot as RGBA bytes.
export function decodePng(png) {
    const { width, height, data } = PNG.sync.read(png);
    return { width, height, rgba: data };
}

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
    let failure = '';
    const attempt = () => evaluate(fn, ...args).catch((error) => void (failure = `; last: ${error.message}`));
    return until(attempt, `${fn}`).catch((error) => {
        error.message += failure;
        throw error;
    });
}

// Chromium and Firefox through puppeteer: the DevTools protocol and
// WebDriver BiDi.
async function launchPuppeteer(engine, ratio, { isolated }) {
    const profile = mkdtempSync(join(tmpdir(), `tuxing-${engine}-`));
    const browser = await puppeteer.launch({ headless: true, userDataDir: profile, protocolTimeout: kWait,
        ...(engine === 'chromium'
            ? { executablePath: '/usr/bin/chromium',
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
            : { browser: 'firefox', protocol: 'webDriverBiDi', executablePath: '/usr/bin/firefox-esr',
                extraPrefsFirefox: { 'layout.css.devPixelsPerPx': String(ratio), 'privacy.reduceTimerPrecision': false } }) });
    const can = kAbilities[engine];
    return {
        async open(url, { width, height, ...emulated }) {
            // Each page in a context of its own, unless asked otherwise, so
            // that none is kept by the service worker an earlier one left.
            const context = isolated ? await browser.createBrowserContext() : browser.defaultBrowserContext();
            const page = await context.newPage();
            page.setDefaultTimeout(kWait);
            const [errors, warnings] = [[], []];
            page.on('pageerror', (error) => errors.push(error.message));
            page.on('console', (message) => message.type() === 'warn' && warnings.push(message.text()));
            // A ratio of 0 leaves the screen's own.
            const viewport = (size) => page.setViewport({ deviceScaleFactor: 0, ...size });
            await viewport({ width, height, ...emulated });
            await page.evaluateOnNewDocument(watchPolicy);
            await page.goto(url);
            const evaluate = (fn, ...args) => page.evaluate(fn, ...args);
            return {
                puppeteer: page,
                errors,
                // The console's warnings, from the page's start on.
                warnings,
                evaluate,
                waitFor: (fn, ...args) => poll(evaluate, fn, args),
                click: (selector) => page.click(selector),
                press: (key) => page.keyboard.press(key === 'Space' ? ' ' : key),
                screenshot: async (part) => decodePng(Buffer.from(await page.screenshot({ clip: { x: 0, y: 0, ...part } }))),
                reload: () => page.reload(),
                resize: viewport,
                zoom: can.has('zoom') ? (factor) => page.setViewport({ width: width / factor, height: height / factor,
                    deviceScaleFactor: ratio * factor }) : null,
                density: can.has('density') ? (to) => page.setViewport({ width, height, deviceScaleFactor: to }) : null,
                workers: () => (can.has('workers') ? page.workers() : null),
                // A finger at the middle of the element.
                tap: can.has('touch') ? async (selector) => {
                    const { x, y, width, height } = await (await page.$(selector)).boundingBox();
                    await page.touchscreen.tap(x + width / 2, y + height / 2);
                } : null,
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

// WebKitGTK through its WebDriver, which starts MiniBrowser on a private
// desktop of its own at the density GDK_SCALE gives. The desktop's window
// manager gives each new window the keyboard focus, on which the engine
// shows the focus at all.
const kKeys = { Tab: Key.TAB, Space: ' ', Enter: Key.ENTER };

async function launchWebKit(ratio) {
    const port = await findFreePort('127.0.0.1');
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
    const server = `http://127.0.0.1:${port}`;
    await waitForServer(server, kWait).catch((error) => {
        stop();
        throw giveUp(new Error(`WebKitWebDriver did not start: ${error.message}`));
    });
    const sessions = new Set();
    return {
        // One session, and with it one MiniBrowser window, for each page.
        async open(url, { width, height }) {
            const session = await new Builder().usingServer(server).withCapabilities({ browserName: 'MiniBrowser',
                'webkitgtk:browserOptions': { binary: '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser',
                    args: ['--automation'] } }).build();
            sessions.add(session);
            await session.manage().setTimeouts({ script: kWait, pageLoad: kWait });
            const evaluate = (fn, ...args) => session.executeScript(fn, ...args);
            // The window holds a toolbar above the page.
            const window = session.manage().window();
            await window.setRect({ width, height });
            const [innerWidth, innerHeight] = await evaluate(() => [innerWidth, innerHeight]);
            const resize = (size) => window.setRect({ width: size.width + width - innerWidth,
                height: size.height + height - innerHeight });
            await resize({ width, height });
            await session.get(url);
            // The window manager gives a new window the keyboard focus soon
            // after it maps it, and until then the engine draws no focus
            // indicator at all.
            await poll(evaluate, () => document.hasFocus(), []);
            // Only once the page is there: what a policy refused while it
            // loaded, the other checks see as a page that does not work.
            await evaluate(watchPolicy);
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
                    const element = await session.findElement({ css: selector });
                    await until(() => element.click().then(() => true, (error) => {
                        if (error instanceof webDriverError.ElementNotInteractableError)
                            return false;
                        throw error;
                    }), `${selector} to take a click`);
                },
                press: (name) => session.actions().sendKeys(kKeys[name]).perform(),
                // The whole window, the only screenshot that this protocol takes.
                screenshot: async () => decodePng(Buffer.from(await session.takeScreenshot(), 'base64')),
                async reload() {
                    await session.navigate().refresh();
                    await evaluate(watchPolicy);
                },
                resize,
                zoom: null,
                density: null,
                workers: () => null,
                tap: null,
                violations: () => evaluate(policyViolations),
                close: async () => {
                    sessions.delete(session);
                    await session.quit();
                },
            };
        },
        async close() {
            for (const session of sessions)
                await session.quit().catch(() => null);
            stop();
            await ended;
        },
    };
}

export const launch = (engine, ratio, { isolated = true } = {}) =>
    (engine === 'webkit' ? launchWebKit(ratio) : launchPuppeteer(engine, ratio, { isolated }));
