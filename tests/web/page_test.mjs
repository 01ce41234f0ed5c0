// The web page as a person uses it, in Chromium, Firefox and WebKitGTK at
// device pixel ratios 1 and 2: its look, focus and tab order, both pictures
// pixel for pixel against the native core, and a change of ratio at each
// ratio; at one ratio, since nothing in them depends on it: painting that
// shows while a picture runs, input that waits for it, the pace option, a
// click before the core has loaded, a change of density alone, the end and
// the run-time error; all under the page's content security policy. One
// table of engines and ratios runs one list of checks; a check is a function
// given {engine, ratio, server, browser, open, pages}, open(viewport, query)
// giving that engine's page interface (browser.mjs). Then, in Chromium,
// whose driver alone emulates them: phones and a tablet, installed, offline
// and updated.
//   node page_test.mjs --site=DIR --reference=TOOL [--engines=chromium,firefox,webkit]
import assert from 'node:assert/strict';
import { execFile } from 'node:child_process';
import { createHash } from 'node:crypto';
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import { parseArgs, promisify } from 'node:util';
import { giveUp, kAbilities, kEngines, launch, serve, until, waitedInVain } from './browser.mjs';

const { values: options } = parseArgs({ options: { site: { type: 'string' }, reference: { type: 'string' },
    engines: { type: 'string', default: kEngines.join(',') } } });
if (!options.site || !options.reference)
    throw new Error('usage: node page_test.mjs --site=DIR --reference=TOOL [--engines=chromium,firefox,webkit]');
const reference = (...args) => promisify(execFile)(options.reference, args, { encoding: 'buffer', maxBuffer: 1 << 26 })
    .then(({ stdout }) => stdout);
const expected = JSON.parse(await reference('expectations'));
const kMaximized = { width: 1280, height: 1024 };
const kSmaller = { width: 1000, height: 700 };
// What a screenshot needs to show of the page: the whole form, and the
// background just beyond its panel.
const kFormPart = { width: Math.ceil(expected.needed.width) + 8, height: Math.ceil(expected.needed.height) + 8 };
// The ink of bold "Morvane", as a share of its label's rectangle fully
// covered, at either ratio: 11.8% on the desktop (docs/scene.png), and
// within 15% of that where the page looks as the desktop does. An engine's
// own bold of the regular face is lighter or heavier than that: 9.2% in
// Firefox, 14.1% in WebKitGTK.
const kBoldInk = { label: 'Morvane', min: 0.1, max: 0.136 };

const handled = (page, count) => page.waitFor((n) => document.documentElement.dataset.handled === String(n), count);
// Once the page's script takes the clicks; the form shows before it.
const started = (page) => page.waitFor(() => 'started' in document.documentElement.dataset);
const layerIs = (page, width, height) =>
    page.waitFor((size) => document.documentElement.dataset.layer === size, `${width}x${height}`);

// The canvas where it shows the layer (a shrunk layer leaves the canvas as
// it was), as the digest of its RGBA bytes and the count of its pixels not
// 0. Its bytes themselves, 21 MB at ratio 2 and a second to pass through a
// driver, come only when a digest differs.
const sha256 = (bytes) => createHash('sha256').update(bytes).digest('hex');
async function painting(page) {
    const read = (asBytes) => page.evaluate(async (bytesWanted) => {
        const canvas = document.querySelector('#form1 > canvas');
        const [width, height] = document.documentElement.dataset.layer.split('x').map(Number);
        const bytes = canvas.getContext('2d').getImageData(0, 0, width, height).data;
        if (bytesWanted) {
            let text = '';
            for (let i = 0; i < bytes.length; i += 0x8000)
                text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
            return btoa(text);
        }
        const painted = new Uint32Array(bytes.buffer).reduce((sum, word) => sum + (word !== 0), 0);
        const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', bytes));
        return { painted, digest: [...digest].map((byte) => byte.toString(16).padStart(2, '0')).join('') };
    }, asBytes);
    return { ...await read(false), bytes: async () => Buffer.from(await read(true), 'base64') };
}

// Each native layer once, however many engines and checks ask for it, as
// its RGBA bytes and their digest.
const nativeLayers = new Map();
function nativeLayer(width, height, density, buttons) {
    const key = [width, height, density, ...buttons].join(' ');
    if (!nativeLayers.has(key)) {
        nativeLayers.set(key, reference('layer', width, height, density, ...buttons)
            .then((bytes) => ({ bytes, digest: sha256(bytes) })));
    }
    return nativeLayers.get(key);
}

async function expectSamePixels(shown, size, ratio, buttons) {
    await expectSameLayer(shown, size.width * ratio, size.height * ratio, ratio, buttons);
}

// A layer of device pixels whose painting is laid out at `density`.
async function expectSameLayer(shown, width, height, density, buttons) {
    await expectShows(shown, await nativeLayer(width, height, density, buttons),
        `after ${buttons.join(', ') || 'nothing'}`);
}

async function expectShows(shown, { bytes: native, digest }, when) {
    if (shown.digest === digest)
        return;
    const bytes = await shown.bytes();
    assert.equal(bytes.length, native.length, 'the canvas is not the size of the layer');
    let differing = 0;
    for (let i = 0; i < native.length; i += 4)
        differing += native.readUInt32LE(i) !== bytes.readUInt32LE(i);
    assert.fail(`${differing} pixels differ from the native core ${when}`);
}

// Screenshots in device pixels, read in CSS pixels' rectangles.
const rgbOf = (css) => css.slice(css.indexOf('rgb')).match(/\d+/g).slice(0, 3).map(Number);
function pixelsIn(shot, ratio, { left, top, width, height }) {
    const pixels = [];
    for (let y = Math.round(top * ratio); y < Math.round((top + height) * ratio); ++y) {
        for (let x = Math.round(left * ratio); x < Math.round((left + width) * ratio); ++x)
            pixels.push([...shot.rgba.subarray((y * shot.width + x) * 4, (y * shot.width + x) * 4 + 3)]);
    }
    return pixels;
}
const sameColor = (a, b) => a.every((channel, i) => channel === b[i]);
// The device pixels of a band `width` CSS pixels wide just outside a rectangle.
function around(shot, ratio, rect, width) {
    const { left, top } = rect;
    const [right, bottom] = [left + rect.width, top + rect.height];
    return [{ left: left - width, top: top - width, width: rect.width + 2 * width, height: width },
        { left: left - width, top: bottom, width: rect.width + 2 * width, height: width },
        { left: left - width, top, width, height: rect.height },
        { left: right, top, width, height: rect.height }].flatMap((band) => pixelsIn(shot, ratio, band));
}
// Once the page has drawn a frame since now: the frame whose callbacks
// come first may already be on its way.
const drawn = (page) =>
    page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
const focused = (page) => page.evaluate(() => document.activeElement.id);

async function expectLook(page, ratio) {
    // In the shape the reference tool gives the expected form, the outline
    // in device pixels.
    const shown = await page.evaluate((form) => {
        const look = (id) => {
            const element = document.getElementById(id);
            const { left, top, width, height } = element.getBoundingClientRect();
            const style = getComputedStyle(element);
            return { name: id, text: element.textContent, rect: { left, top, width, height }, color: style.color,
                face: style.fontFamily.split(',')[0].replaceAll('"', ''), fontPixels: parseFloat(style.fontSize),
                outline: `${parseFloat(style.borderTopWidth) * devicePixelRatio}px ${style.borderTopColor}` };
        };
        const only = (control, fields) => Object.fromEntries(fields.map((field) => [field, control[field]]));
        return { caption: document.title, background: getComputedStyle(document.body).backgroundColor,
            panel: only(look(form.panel.name), Object.keys(form.panel)),
            labels: form.labels.map((label) => only(look(label.name), Object.keys(label))),
            buttons: form.buttons.map((button) => only(look(button.name), Object.keys(button))) };
    }, expected.form);
    assert.deepEqual(shown, expected.form);
    assert.equal(await page.evaluate(() => devicePixelRatio), ratio);
    await page.waitFor(() => document.fonts.status === 'loaded' && [...document.fonts].every((face) => face.status === 'loaded'));
    // And drawn with them.
    await drawn(page);
    const shot = await page.screenshot(kFormPart);

    // The outline as drawn: 3 device pixels of blue inside the panel's
    // edges, the dark green outside them and the black within.
    const { panel } = expected.form;
    const [blue, background] = [rgbOf(panel.outline), rgbOf(expected.form.background)];
    const row = Math.round((panel.rect.top + panel.rect.height / 2) * ratio);
    const column = Math.round((panel.rect.left + panel.rect.width / 2) * ratio);
    const pixel = (x, y) => [...shot.rgba.subarray((y * shot.width + x) * 4, (y * shot.width + x) * 4 + 3)];
    const edges = {
        left: (i) => pixel(panel.rect.left * ratio + i, row),
        top: (i) => pixel(column, panel.rect.top * ratio + i),
        right: (i) => pixel((panel.rect.left + panel.rect.width) * ratio - 1 - i, row),
        bottom: (i) => pixel(column, (panel.rect.top + panel.rect.height) * ratio - 1 - i),
    };
    for (const [edge, at] of Object.entries(edges)) {
        const walk = [-1, 0, 1, 2, 3].map(at);
        assert.deepEqual(walk, [background, blue, blue, blue, [0, 0, 0]], `the panel's ${edge} edge`);
    }

    // The labels in their colours, the label's colour its most frequent
    // one after the black, and "Morvane" bold: its ink in the band.
    for (const label of expected.form.labels) {
        const pixels = pixelsIn(shot, ratio, label.rect);
        const counts = new Map();
        for (const p of pixels.filter((p) => !sameColor(p, [0, 0, 0])))
            counts.set(String(p), (counts.get(String(p)) ?? 0) + 1);
        const [mostFrequent] = [...counts].sort((a, b) => b[1] - a[1])[0] ?? ['none'];
        assert.equal(mostFrequent, String(rgbOf(label.color)), `${label.name}'s text is not in its colour`);
        if (label.text === kBoldInk.label) {
            const ink = pixels.reduce((sum, [r, g, b]) => sum + Math.max(r, g, b), 0) / (255 * pixels.length);
            assert.ok(ink >= kBoldInk.min && ink <= kBoldInk.max, `${label.name}'s text covers ${(ink * 100).toFixed(1)}%`);
        }
    }
    return shot;
}

// Where a check is made: at each ratio, or at one where nothing in it
// depends on the ratio; and only with a driver that has the ability it
// needs, if any.
const atEachRatio = (check, needs) => Object.assign(check, { needs });
const once = (check, needs) => Object.assign(check, { once: true, needs });
const kCannot = { console: 'this engine\'s driver does not pass on the console',
    zoom: 'this engine\'s driver cannot zoom an open page',
    density: 'this engine\'s driver cannot change the density of an open page alone' };

const kChecks = {
    'looks as the desktop does, focus shows inside 金光大道 until a key, then the engine\'s ring, in tab order': atEachRatio(
        async ({ open, ratio }) => {
            const page = await open(kMaximized);
            const before = await expectLook(page, ratio);
            const [first, second] = expected.form.buttons;
            assert.equal(await focused(page), first.name);
            // No ring around the button yet: the panel shows right around it.
            const rim = (shot, button) => around(shot, ratio, button.rect, 4);
            assert.ok(rim(before, first).every((p) => sameColor(p, [0, 0, 0])), 'the first focus rings over the panel');
            // 高山流水 as the page shows the focus before any key...
            const focus = (id) => page.evaluate((name) => document.getElementById(name).focus(), id);
            await focus(second.name);
            await drawn(page);
            const pageFocus = await page.screenshot(kFormPart);
            await focus(first.name);
            await page.press('Tab');
            assert.equal(await focused(page), second.name);
            // ...differs from the engine's own indicator after a Tab, wherever
            // the engine draws that, in or around the button. WebKitGTK may
            // answer the key before it has drawn the focus anew.
            const inside = (shot, button) => pixelsIn(shot, ratio, button.rect);
            const whole = (shot, button) => [...inside(shot, button), ...rim(shot, button)];
            const differ = (area, button, a, b) => area(a, button).some((p, i) => !sameColor(p, area(b, button)[i]));
            let after;
            // A screenshot each time the page has drawn a frame anew: taken one
            // after another, WebKitGTK's screenshots held back its frames, and
            // showed the page from before the key for as long as they came.
            await until(async () => {
                await drawn(page);
                return differ(whole, second, (after = await page.screenshot(kFormPart)), before);
            }, 'a Tab to show a focus indicator');
            assert.ok(differ(whole, second, after, pageFocus), 'a Tab shows the focus as before any key');
            assert.ok(differ(inside, first, before, after), 'the first focus did not show inside 金光大道');
            for (const button of expected.form.buttons.slice(2)) {
                await page.press('Tab');
                assert.equal(await focused(page), button.name);
            }
        }),

    'both pictures match the native core pixel for pixel, and a resize keeps or loses them': atEachRatio(async ({ open, ratio }) => {
        const page = await open(kMaximized);
        await page.click('#CmdGsls');
        await handled(page, 1);
        await expectSamePixels(await painting(page), kMaximized, ratio, ['CmdGsls']);
        await page.click('#CmdCls');
        // Space presses the button with the focus, Enter too.
        await page.evaluate(() => document.getElementById('CmdJgdd').focus());
        await page.press('Space');
        await handled(page, 3);
        await expectSamePixels(await painting(page), kMaximized, ratio, ['CmdJgdd']);
        await page.evaluate(() => document.getElementById('CmdGsls').focus());
        await page.press('Enter');
        await handled(page, 4);
        await expectSamePixels(await painting(page), kMaximized, ratio, ['CmdJgdd', 'CmdGsls']);

        // Made smaller, the page keeps what stays visible: the larger
        // layer's painting, cut to the smaller one. Enlarged, it loses the
        // painting.
        await page.resize(kSmaller);
        const [width, height] = [kSmaller.width * ratio, kSmaller.height * ratio];
        await layerIs(page, width, height);
        const larger = await nativeLayer(kMaximized.width * ratio, kMaximized.height * ratio, ratio, ['CmdJgdd', 'CmdGsls']);
        const cut = Buffer.concat(Array.from({ length: height },
            (_, y) => larger.bytes.subarray(y * kMaximized.width * ratio * 4, (y * kMaximized.width * ratio + width) * 4)));
        await expectShows(await painting(page), { bytes: cut, digest: sha256(cut) }, 'once the page was made smaller');
        await page.resize(kMaximized);
        await layerIs(page, kMaximized.width * ratio, kMaximized.height * ratio);
        assert.equal((await painting(page)).painted, 0, 'the enlarged page kept its painting');
    }),

    'a paced picture shows as it grows, ends no sooner than its pace, and 清除 pressed meanwhile waits': once(
        async ({ open }) => {
            // However fast this machine paints, 高山流水 takes a second at this
            // pace and 金光大道 two and a half.
            const kPace = 1_000_000;
            const page = await open(kMaximized, `?pace=${kPace}`);
            // The first painting the canvas holds, watched from within the
            // page between any two of its tasks, since a driver's round trip
            // took up to two thirds of a second on a busy machine. Not at each
            // frame: a busy WebKitGTK drew none while the whole picture ran.
            // Compared whole with the finished one: most of 高山流水's pixels
            // are painted within its first fifth, and painted over again after.
            await page.evaluate(() => {
                const canvas = document.querySelector('#form1 > canvas');
                globalThis.firstShown = null;
                const watch = () => {
                    if (document.documentElement.dataset.handled)
                        return;
                    const { data } = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
                    if (new Uint32Array(data.buffer).some((word) => word !== 0))
                        firstShown = data;
                    else
                        setTimeout(watch);
                };
                watch();
            });
            const started = performance.now();
            await page.click('#CmdGsls');
            await handled(page, 1);
            const took = (performance.now() - started) / 1000;
            assert.ok(took >= expected.points.CmdGsls / kPace, `高山流水 took ${took} s at ${kPace} points a second`);
            const shownWhileRunning = await page.evaluate(() => {
                if (!firstShown)
                    return 'nothing';
                const canvas = document.querySelector('#form1 > canvas');
                const { data } = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
                return firstShown.some((byte, i) => byte !== data[i]) ? 'a part' : 'the whole';
            });
            assert.equal(shownWhileRunning, 'a part', 'the first painting of 高山流水 on the page was not a part of it');
            await expectSamePixels(await painting(page), kMaximized, 1, ['CmdGsls']);

            await page.click('#CmdJgdd');
            await page.click('#CmdCls');
            assert.equal(await page.evaluate(() => document.documentElement.dataset.handled), '1', '金光大道 ended too soon');
            await handled(page, 3);
            assert.equal((await painting(page)).painted, 0, '清除 ran before 金光大道 had ended');
        }),

    // From the page's start on: it warns as soon as its core has read the
    // option, and at the latest before it takes the first click.
    'a pace the core refuses is ignored with a console warning': once(async ({ open, server }) => {
        const page = await open(kMaximized, '?pace=0');
        for (const pace of ['0', 'fast']) {
            if (pace !== '0') {
                await page.puppeteer.goto(`${server.url}?pace=${pace}`);
                await started(page);
            }
            await page.click('#CmdGsls');
            await handled(page, 1);
            const warnings = page.warnings.splice(0);
            assert.equal(warnings.length, 1, `warnings for ?pace=${pace}: ${warnings.join(' | ')}`);
            assert.match(warnings[0], new RegExp(`pace "${pace}"`));
            await expectSamePixels(await painting(page), kMaximized, 1, ['CmdGsls']);
        }
    }, 'console'),

    'a click made while the core still loads waits for it and is then handled': once(async ({ open, server }) => {
        const requested = server.hold('tuxing_web.wasm');
        const page = await open(kMaximized);
        const release = await requested;
        await page.click('#CmdJgdd');
        assert.ok(await page.evaluate(() => !('handled' in document.documentElement.dataset)), 'handled before the core had loaded');
        release();
        await handled(page, 1);
        await expectSamePixels(await painting(page), kMaximized, 1, ['CmdJgdd']);
    }),

    'a change of the device pixel ratio is followed, as the desktop follows a density': atEachRatio(
        async ({ open, ratio }) => {
            const page = await open(kMaximized);
            await page.click('#CmdGsls');
            await handled(page, 1);
            // Zoomed in from ratio 1 to 2, or out from 2 to 1.
            const to = 3 - ratio;
            const size = { width: kMaximized.width * ratio / to, height: kMaximized.height * ratio / to };
            await page.zoom(to / ratio);
            await expectDensityFollowed(page, size, to, ['CmdJgdd'], 2);
        }, 'zoom'),

    // As when the window moves to a screen of another density and back:
    // the density changes, the size in CSS pixels does not, and so only the
    // page's watch on the density can tell. A zoom resizes the page too.
    'a change of density alone is followed, there and back': once(async ({ open }) => {
        const page = await open(kMaximized);
        await page.evaluate(() => addEventListener('resize', () => (globalThis.resized = true)));
        await page.click('#CmdGsls');
        await handled(page, 1);
        await page.density(2);
        await expectDensityFollowed(page, kMaximized, 2, ['CmdJgdd'], 2);
        await page.density(1);
        await expectDensityFollowed(page, kMaximized, 1, ['CmdGsls'], 3);
        assert.ok(await page.evaluate(() => !globalThis.resized), 'the page was resized too, and so the check proves nothing');
    }, 'density'),

    'a run-time error shows in a modal dialog and the page goes on': once(async ({ open }) => {
        const page = await open(kMaximized, '?fail-at=1000');
        await page.click('#CmdGsls');
        // A core that fails beyond a run-time error is replaced by a fresh
        // one; only Chromium's driver reaches into the worker to make it fail.
        const workers = await page.workers();
        const failures = [null, ...(workers ? [() => page.workers()[0].evaluate(() => setTimeout(() => null.fail()))] : [])];
        for (const [i, fail] of failures.entries()) {
            await fail?.();
            const shown = await page.waitFor(() => document.querySelector('dialog[open]') !== null && {
                title: document.querySelector('dialog h1').textContent,
                message: document.querySelector('dialog p').textContent,
                modal: document.querySelector('dialog').matches(':modal'),
            });
            assert.equal(shown.title, expected.runTimeErrorTitle);
            assert.match(shown.message, /^[^A-Za-z]+$/u);
            assert.ok(shown.modal);
            await page.press('Enter');
            await page.waitFor(() => !document.querySelector('dialog'));
            await page.click('#CmdGsls');
            await handled(page, i + 2);
            assert.ok((await painting(page)).painted > 0, 'the next click painted nothing');
        }
    }),

    '退出 ends the program until the page is loaded again': once(async ({ open }) => {
        const page = await open(kMaximized);
        await page.click('#CmdExit');
        await page.waitFor(() => !document.getElementById('form1'));
        assert.ok(await page.evaluate(() => document.querySelector('button') === null), 'a button outlived the end');
        if (page.workers())
            await until(() => page.workers().length === 0, 'the worker to end');
        await page.reload();
        await started(page);
        assert.equal(await focused(page), expected.form.buttons[0].name);
    }),
};

// After a change of density to `to`, with the page at `size` in CSS pixels:
// a layer at the new density, empty, the outline still as many device pixels
// thick, and the next click, the page's `count`th, painting as the native
// core at that density.
async function expectDensityFollowed(page, size, to, buttons, count) {
    await page.waitFor((n) => document.documentElement.dataset.density === String(n), to);
    await layerIs(page, size.width * to, size.height * to);
    assert.equal((await painting(page)).painted, 0, 'the painting outlived the change of density');
    // As the page gives it: under an emulated ratio the engines round
    // the width they compute from it otherwise than on a real screen.
    const outline = () => parseFloat(document.getElementById('Shape1').style.borderTopWidth) * devicePixelRatio;
    assert.equal(`${await page.evaluate(outline)}px`, expected.form.panel.outline.split(' ')[0]);
    for (const button of buttons)
        await page.click(`#${button}`);
    await handled(page, count);
    await expectSamePixels(await painting(page), size, to, buttons);
}

// Runs each check in a test of its own, on a browser of one engine at one
// ratio and a server for the site, both for all of them. A check's pages are
// held, once it has ended, to having failed nowhere and kept to the content
// security policy. A check whose driver lacks what it needs is skipped
// before it opens a page; every check after a wait in vain, at once.
function suite(title, engine, ratio, checks, launchOptions) {
    describe(title, { concurrency: false }, () => {
        const context = { engine, ratio, pages: [] };
        before(async () => {
            if (waitedInVain())
                return;
            context.server = await serve(options.site);
            context.browser = await launch(engine, ratio, launchOptions);
            context.open = async (viewport, query = '', site = context.server) => {
                const page = await context.browser.open(site.url + query, viewport);
                context.pages.push(page);
                await started(page);
                return page;
            };
        });
        after(async () => {
            await context.browser?.close();
            await context.server?.close();
        });
        for (const [name, check] of Object.entries(checks)) {
            const skip = check.needs && !kAbilities[engine].has(check.needs) && kCannot[check.needs];
            test(name, { skip }, async (t) => {
                if (waitedInVain()) {
                    t.skip(`not made after a wait in vain: ${waitedInVain().message}`);
                    return;
                }
                try {
                    await check(context, t);
                    for (const page of context.pages) {
                        assert.deepEqual(page.errors, [], 'the page failed');
                        assert.deepEqual(await page.violations(), [], 'the page broke its content security policy');
                    }
                } catch (error) {
                    // The drivers' own deadlines are waits too.
                    if (/Timeout/.test(error.name) || /timed out/.test(error.message))
                        giveUp(error);
                    throw error;
                } finally {
                    for (const page of context.pages.splice(0))
                        await page.close();
                }
            });
        }
    });
}

// The engines' tables side by side, each engine at one ratio after the
// other, and the touch screens' beside them: most of the time a browser
// waits on its own, to draw and to answer.
function engineTables() {
    for (const engine of options.engines.split(',')) {
        describe(engine, { concurrency: false }, () => {
            for (const ratio of [1, 2]) {
                const checks = Object.fromEntries(Object.entries(kChecks).filter(([, check]) => ratio === 1 || !check.once));
                suite(`${engine} at ratio ${ratio}`, engine, ratio, checks);
            }
        });
    }
}

// Phones and a tablet, each too small for the form, and touched.
const kTouchScreens = [
    { width: 360, height: 640, deviceScaleFactor: 2 },
    { width: 390, height: 844, deviceScaleFactor: 3 },
    { width: 768, height: 1024, deviceScaleFactor: 2 },
];
const touching = (screen) => ({ ...screen, isMobile: true, hasTouch: true });

// The panel and the buttons in view, the form as large as the screen allows,
// its layer the screen's device pixels, and its painting laid out at the
// form's scale. Returns that density.
async function expectFitted(page, { width, height, deviceScaleFactor: ratio }) {
    await page.waitFor(() => document.documentElement.dataset.density);
    const names = [expected.form.panel.name, ...expected.form.buttons.map((button) => button.name)];
    const shown = await page.evaluate((ids) => ({
        rects: ids.map((id) => document.getElementById(id).getBoundingClientRect().toJSON()),
        layer: document.documentElement.dataset.layer,
        density: Number(document.documentElement.dataset.density),
    }), names);
    for (const [i, rect] of shown.rects.entries()) {
        assert.ok(rect.left >= 0 && rect.top >= 0 && rect.right <= width && rect.bottom <= height,
            `${names[i]} lies outside the ${width}×${height} screen`);
    }
    const scale = shown.rects[0].width / expected.form.panel.rect.width;
    assert.equal(shown.layer, `${width * ratio}x${height * ratio}`);
    assert.ok(Math.abs(shown.density - ratio * scale) < 1e-3, 'the painting is not laid out at the form\'s scale');
    const needed = { width: expected.needed.width * scale, height: expected.needed.height * scale };
    assert.ok(width - needed.width < 1.5 || height - needed.height < 1.5, 'the form is smaller than fits');
    return shown.density;
}

// The painting on a fitted screen: the native core's at the same density,
// and none of what the core paints on a larger layer lies past the screen.
async function expectWholePainting(shown, { width, height, deviceScaleFactor: ratio }, density, buttons) {
    const [layerWidth, layerHeight] = [width * ratio, height * ratio];
    await expectSameLayer(shown, layerWidth, layerHeight, density, buttons);
    const margin = 16;
    const { bytes: larger } = await nativeLayer(layerWidth + margin, layerHeight + margin, density, buttons);
    let beyond = 0;
    for (let i = 0; i < larger.length; i += 4) {
        const pixel = i / 4;
        const [x, y] = [pixel % (layerWidth + margin), Math.floor(pixel / (layerWidth + margin))];
        beyond += (x >= layerWidth || y >= layerHeight) && larger.readUInt32LE(i) !== 0;
    }
    assert.equal(beyond, 0, `${beyond} painted pixels lie past the screen`);
}

// The build's own writer of the service worker, to make a new build of a
// copy of the site.
const kWriteOffline = new URL('../../web/write_offline.cjs', import.meta.url).pathname;
const kServiceWorker = new URL('../../web/service_worker.js', import.meta.url).pathname;

const kTouchChecks = {
    ...Object.fromEntries(kTouchScreens.map((screen) => [`a ${screen.width}×${screen.height} touch screen shows the whole form, paints as the native core at the form's density and zooms with a pinch`, async ({ open }) => {
        const page = await open(touching(screen));
        const density = await expectFitted(page, screen);
        await page.tap('#CmdGsls');
        await page.tap('#CmdJgdd');
        await handled(page, 2);
        const both = await painting(page);
        await expectWholePainting(both, screen, density, ['CmdGsls', 'CmdJgdd']);
        // A pinch zooms what is there: the form is not fitted again.
        const session = await page.puppeteer.createCDPSession();
        await session.send('Input.synthesizePinchGesture',
            { x: screen.width / 2, y: screen.height / 2, scaleFactor: 2, relativeSpeed: 2000 });
        assert.ok(await page.evaluate(() => visualViewport.scale) > 1.5, 'a pinch did not zoom');
        assert.equal((await painting(page)).digest, both.digest, 'a pinch lost the painting');
    }])),

    'a phone turned fits the form again and loses its painting, as at a new density': async ({ open }) => {
        const upright = { width: 390, height: 844, deviceScaleFactor: 3 };
        const turned = { width: 844, height: 390, deviceScaleFactor: 3 };
        const page = await open(touching(upright));
        const uprightDensity = await expectFitted(page, upright);
        await page.tap('#CmdJgdd');
        await handled(page, 1);
        await page.resize({ ...touching(turned), isLandscape: true });
        await page.waitFor((density) => document.documentElement.dataset.density !== density, String(uprightDensity));
        const density = await expectFitted(page, turned);
        assert.equal((await painting(page)).painted, 0, 'the painting outlived the turn');
        await page.tap('#CmdGsls');
        await handled(page, 2);
        await expectWholePainting(await painting(page), turned, density, ['CmdGsls']);
    },

    'on a screen that holds the form, a window smaller than the form shows it at its own size': async ({ open }) => {
        const page = await open({ width: 500, height: 400 });
        // The density shows once the core has laid out its layer.
        await page.waitFor(() => document.documentElement.dataset.density);
        const shown = await page.evaluate((panel) => ({
            screen: [screen.width, screen.height],
            panel: document.getElementById(panel).getBoundingClientRect().width,
            density: document.documentElement.dataset.density,
        }), expected.form.panel.name);
        assert.ok(shown.screen[0] >= expected.needed.width && shown.screen[1] >= expected.needed.height,
            `the browser's screen, ${shown.screen.join('×')}, is too small for this test`);
        assert.equal(shown.panel, expected.form.panel.rect.width);
        assert.equal(shown.density, '1');
    },

    'before its script has run, the page shows the form as the desktop does, and a click made before its layout has come is handled': async ({ browser, pages }, t) => {
        // At an address of its own, which no service worker keeps yet.
        const site = await serve(options.site);
        t.after(() => site.close());
        const [heldScript, heldLayout] = [site.hold('main.js'), site.hold('form.json')];
        const page = await browser.open('about:blank', kMaximized);
        pages.push(page);
        const loading = page.puppeteer.goto(site.url);
        const releaseScript = await heldScript;
        // As a person first sees it: the script may be asked for before the
        // style sheet has come, and the first frame waits for the sheet.
        await page.waitFor(() => performance.getEntriesByName('first-contentful-paint').length > 0);
        await expectLook(page, 1);
        assert.equal(await focused(page), expected.form.buttons[0].name);
        assert.ok(await page.evaluate(() => !('started' in document.documentElement.dataset)), 'the script ran');
        releaseScript();
        await started(page);
        await page.click('#CmdJgdd');
        (await heldLayout)();
        await loading;
        await handled(page, 1);
        await expectSamePixels(await painting(page), kMaximized, 1, ['CmdJgdd']);
    },

    'the page installs, paints after a reload with no network, and a new build replaces the kept one': async ({ open }, t) => {
        // A copy of the site at an address of its own, to take off the network
        // and then to update.
        const site = mkdtempSync(join(tmpdir(), 'tuxing-site-'));
        cpSync(options.site, site, { recursive: true });
        let kept = await serve(site);
        t.after(async () => {
            await kept.close();
            rmSync(site, { recursive: true });
        });
        const page = await open(kMaximized, '', kept);
        await page.waitFor(() => navigator.serviceWorker.controller !== null);
        const session = await page.puppeteer.createCDPSession();
        assert.deepEqual((await session.send('Page.getInstallabilityErrors')).installabilityErrors, []);

        await kept.close();
        await page.puppeteer.setOfflineMode(true);
        await page.reload();
        await started(page);
        await page.click('#CmdGsls');
        await page.click('#CmdJgdd');
        await handled(page, 2);
        await expectSamePixels(await painting(page), kMaximized, 1, ['CmdGsls', 'CmdJgdd']);

        const html = join(site, 'index.html');
        const caption = `${expected.form.caption} 新`;
        writeFileSync(html, readFileSync(html, 'utf8').replace(/<title>[^<]*</, `<title>${caption}<`));
        await promisify(execFile)(process.execPath, [kWriteOffline, kServiceWorker, site]);
        kept = await serve(site, kept.port);
        await page.puppeteer.setOfflineMode(false);
        // The kept build opens first, and gives way to the new one.
        await page.reload();
        await page.waitFor((shown) => document.title === shown, caption)
            .catch(() => assert.fail('a reload after a new build does not come to show it'));
        await started(page);
        assert.equal(await page.evaluate(async () => (await caches.keys()).length), 1, 'the old build is still kept');
    },
};

describe('the page', { concurrency: true }, () => {
    engineTables();
    // Installable and kept only outside a private context.
    suite('chromium on touch screens, installed and offline', 'chromium', 1, kTouchChecks, { isolated: false });
});
