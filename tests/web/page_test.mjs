// The web page as a person uses it, in headless Chromium: its layout, focus
// and tab order, both pictures pixel for pixel against the native core,
// painting that shows while a picture runs, input that waits for it, the
// end, and the run-time error; on phones and a tablet; installed, offline
// and updated; all under the page's content security policy.
//   node page_test.mjs --site=DIR --reference=TOOL --chromium=BROWSER
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { cpSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, afterEach, before, test } from 'node:test';
import { openBrowser, option, recordPolicyViolations, serve, tap } from './browser.mjs';

const reference = option('reference');
const expected = JSON.parse(execFileSync(reference, ['expectations'], { encoding: 'utf8' }));
const kMaximized = { width: 1280, height: 1024 };
const kWait = { timeout: 60_000 };
let server;
let browser;
const violations = [];

before(async () => {
    server = await serve(option('site'));
    browser = await openBrowser(option('chromium'));
});
after(async () => {
    await browser?.close();
    server?.close();
});
// Whatever a test does, the page keeps to its content security policy.
afterEach(() => assert.deepEqual(violations.splice(0), [], 'the page broke its content security policy'));

async function open(viewport, query = '', site = server) {
    const page = await browser.newPage();
    page.on('pageerror', (error) => assert.fail(`the page failed: ${error.message}`));
    await recordPolicyViolations(page, violations);
    await page.setViewport(viewport);
    await page.goto(site.url + query);
    await page.waitForSelector('#form1 button');
    return page;
}

const handled = (page, count) =>
    page.waitForFunction((n) => document.documentElement.dataset.handled === String(n), kWait, count);

// The canvas's RGBA bytes.
async function painting(page) {
    const base64 = await page.evaluate(() => {
        const canvas = document.querySelector('#form1 > canvas');
        const bytes = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
        let text = '';
        for (let i = 0; i < bytes.length; i += 0x8000)
            text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
        return btoa(text);
    });
    return Buffer.from(base64, 'base64');
}

function expectSamePixels(shown, width, height, ratio, buttons) {
    const native = execFileSync(reference, ['layer', width, height, ratio, ...buttons], { maxBuffer: 1 << 26 });
    assert.equal(shown.length, native.length, 'the canvas is not the size of the layer');
    let differing = 0;
    for (let i = 0; i < native.length; i += 4)
        differing += native.readUInt32LE(i) !== shown.readUInt32LE(i);
    assert.equal(differing, 0, `${differing} pixels differ from the native core after ${buttons.join(', ')}`);
}

test('the form stands as laid out, takes the focus on 金光大道 and tabs in order', async () => {
    const page = await open(kMaximized);
    // In the shape the reference tool gives the expected form.
    const shown = await page.evaluate((form) => {
        const look = (id) => {
            const element = document.getElementById(id);
            const { left, top, width, height } = element.getBoundingClientRect();
            const style = getComputedStyle(element);
            return { name: id, text: element.textContent, rect: { left, top, width, height }, color: style.color,
                face: style.fontFamily.split(',')[0].replaceAll('"', ''), fontPixels: parseFloat(style.fontSize),
                outline: `${style.borderTopWidth} ${style.borderTopColor}` };
        };
        const only = (control, fields) => Object.fromEntries(fields.map((field) => [field, control[field]]));
        return { caption: document.title, background: getComputedStyle(document.body).backgroundColor,
            panel: only(look(form.panel.name), Object.keys(form.panel)),
            labels: form.labels.map((label) => only(look(label.name), Object.keys(label))),
            buttons: form.buttons.map((button) => only(look(button.name), Object.keys(button))) };
    }, expected.form);
    assert.deepEqual(shown, expected.form);
    assert.equal(await page.evaluate(() => document.activeElement.id), expected.form.buttons[0].name);
    for (const button of expected.form.buttons.slice(1)) {
        await page.keyboard.press('Tab');
        assert.equal(await page.evaluate(() => document.activeElement.id), button.name);
    }
    await page.close();
});

for (const ratio of [1, 2]) {
    test(`both pictures match the native core pixel for pixel at ratio ${ratio}`, async () => {
        const page = await open({ ...kMaximized, deviceScaleFactor: ratio });
        const [width, height] = [kMaximized.width * ratio, kMaximized.height * ratio];
        await page.click('#CmdGsls');
        await handled(page, 1);
        expectSamePixels(await painting(page), width, height, ratio, ['CmdGsls']);
        await page.click('#CmdCls');
        // Space presses the button with the focus, Enter too.
        await page.focus('#CmdJgdd');
        await page.keyboard.press('Space');
        await handled(page, 3);
        expectSamePixels(await painting(page), width, height, ratio, ['CmdJgdd']);
        await page.focus('#CmdGsls');
        await page.keyboard.press('Enter');
        await handled(page, 4);
        const both = await painting(page);
        expectSamePixels(both, width, height, ratio, ['CmdJgdd', 'CmdGsls']);

        // Made smaller, the page keeps what stays visible; enlarged, it
        // loses the painting.
        const smaller = { width: 1000, height: 700 };
        await page.setViewport({ ...smaller, deviceScaleFactor: ratio });
        await page.waitForFunction((size) => document.documentElement.dataset.layer === size, kWait,
            `${smaller.width * ratio}x${smaller.height * ratio}`);
        const kept = await painting(page);
        for (const y of [0, 100 * ratio, smaller.height * ratio - 1]) {
            const row = (image) => image.subarray(y * width * 4, (y * width + smaller.width * ratio) * 4);
            assert.ok(row(kept).equals(row(both)), `row ${y} changed when the page was made smaller`);
        }
        await page.setViewport({ ...kMaximized, deviceScaleFactor: ratio });
        await page.waitForFunction((size) => document.documentElement.dataset.layer === size, kWait, `${width}x${height}`);
        assert.ok((await painting(page)).every((byte) => byte === 0), 'the enlarged page kept its painting');
        await page.close();
    });
}

test('a paced picture shows as it grows, ends no sooner than its pace, and 清除 pressed meanwhile waits for it',
    async () => {
        // However fast this machine paints, 高山流水 takes a second at this
        // pace and 金光大道 two and a half.
        const kPace = 1_000_000;
        const page = await open(kMaximized, `?pace=${kPace}`);
        const started = performance.now();
        await page.click('#CmdGsls');
        const partly = await page.waitForFunction(() => {
            const canvas = document.querySelector('#form1 > canvas');
            const alpha = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
            let painted = 0;
            for (let i = 3; i < alpha.length; i += 4)
                painted += alpha[i] !== 0;
            return !document.documentElement.dataset.handled && painted;
        }, { ...kWait, polling: 'raf' }).catch(() => assert.fail('no painting showed while 高山流水 ran'));
        await handled(page, 1);
        const took = (performance.now() - started) / 1000;
        assert.ok(took >= expected.points.CmdGsls / kPace, `高山流水 took ${took} s at ${kPace} points a second`);
        const painted = (await painting(page)).filter((byte, i) => i % 4 === 3 && byte !== 0).length;
        assert.ok(await partly.jsonValue() < painted, 'the painting shown while the picture ran was already complete');
        expectSamePixels(await painting(page), kMaximized.width, kMaximized.height, 1, ['CmdGsls']);

        await page.click('#CmdJgdd');
        await page.click('#CmdCls');
        assert.equal(await page.evaluate(() => document.documentElement.dataset.handled), '1', '金光大道 ended too soon');
        await handled(page, 3);
        assert.ok((await painting(page)).every((byte) => byte === 0), '清除 ran before 金光大道 had ended');
        await page.close();
    });

test('a pace the core refuses is ignored with a console warning', async () => {
    for (const pace of ['0', 'fast']) {
        const page = await browser.newPage();
        const warnings = [];
        page.on('console', (message) => message.type() === 'warn' && warnings.push(message.text()));
        page.on('pageerror', (error) => assert.fail(`the page failed: ${error.message}`));
        await page.setViewport(kMaximized);
        await page.goto(`${server.url}?pace=${pace}`);
        await page.waitForSelector('#form1 button');
        await page.click('#CmdGsls');
        await handled(page, 1);
        assert.equal(warnings.length, 1, `warnings for ?pace=${pace}: ${warnings.join(' | ')}`);
        assert.match(warnings[0], new RegExp(`pace "${pace}"`));
        expectSamePixels(await painting(page), kMaximized.width, kMaximized.height, 1, ['CmdGsls']);
        await page.close();
    }
});

async function dialogShown(page) {
    await page.waitForSelector('dialog[open]', kWait);
    return page.evaluate(() => ({
        title: document.querySelector('dialog h1').textContent,
        message: document.querySelector('dialog p').textContent,
        modal: document.querySelector('dialog').matches(':modal'),
    }));
}

test('a run-time error shows in a modal dialog and the page goes on', async () => {
    const page = await open(kMaximized, '?fail-at=1000');
    await page.click('#CmdGsls');
    // A core that fails beyond a run-time error is replaced by a fresh one.
    const failures = [null, () => page.workers()[0].evaluate(() => setTimeout(() => null.fail()))];
    for (const [i, fail] of failures.entries()) {
        await fail?.();
        const shown = await dialogShown(page);
        assert.equal(shown.title, expected.runTimeErrorTitle);
        assert.match(shown.message, /^[^A-Za-z]+$/u);
        assert.ok(shown.modal);
        await page.keyboard.press('Enter');
        await page.waitForSelector('dialog', { ...kWait, hidden: true });
        await page.click('#CmdGsls');
        await handled(page, i + 2);
        assert.ok((await painting(page)).some((byte) => byte !== 0), 'the next click painted nothing');
    }
    await page.close();
});

test('退出 ends the program until the page is loaded again', async () => {
    const page = await open(kMaximized);
    await page.click('#CmdExit');
    await page.waitForSelector('#form1', { ...kWait, hidden: true });
    assert.equal(await page.$('button'), null);
    for (let tries = 0; page.workers().length > 0; ++tries) {
        assert.ok(tries < 600, 'the worker still runs');
        await new Promise((resolve) => setTimeout(resolve, 100));
    }
    await page.reload();
    await page.waitForSelector('#form1 button');
    assert.equal(await page.evaluate(() => document.activeElement.id), expected.form.buttons[0].name);
    await page.close();
});

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
    await page.waitForFunction(() => document.documentElement.dataset.density, kWait);
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
function expectWholePainting(shown, { width, height, deviceScaleFactor: ratio }, density, buttons) {
    const [layerWidth, layerHeight] = [width * ratio, height * ratio];
    expectSamePixels(shown, layerWidth, layerHeight, density, buttons);
    const margin = 16;
    const larger = execFileSync(reference, ['layer', layerWidth + margin, layerHeight + margin, density, ...buttons],
        { maxBuffer: 1 << 26 });
    let beyond = 0;
    for (let i = 0; i < larger.length; i += 4) {
        const pixel = i / 4;
        const [x, y] = [pixel % (layerWidth + margin), Math.floor(pixel / (layerWidth + margin))];
        beyond += (x >= layerWidth || y >= layerHeight) && larger.readUInt32LE(i) !== 0;
    }
    assert.equal(beyond, 0, `${beyond} painted pixels lie past the screen`);
}

for (const screen of kTouchScreens) {
    test(`a ${screen.width}×${screen.height} touch screen shows the whole form, paints as the native core at the form's density and zooms with a pinch`, async () => {
        const page = await open(touching(screen));
        const density = await expectFitted(page, screen);
        await tap(page, '#CmdGsls');
        await tap(page, '#CmdJgdd');
        await handled(page, 2);
        const both = await painting(page);
        expectWholePainting(both, screen, density, ['CmdGsls', 'CmdJgdd']);
        // A pinch zooms what is there: the form is not fitted again.
        const session = await page.createCDPSession();
        await session.send('Input.synthesizePinchGesture',
            { x: screen.width / 2, y: screen.height / 2, scaleFactor: 2, relativeSpeed: 2000 });
        assert.ok(await page.evaluate(() => visualViewport.scale) > 1.5, 'a pinch did not zoom');
        assert.ok((await painting(page)).equals(both), 'a pinch lost the painting');
        await page.close();
    });
}

test('a phone turned fits the form again and loses its painting, as at a new density', async () => {
    const upright = { width: 390, height: 844, deviceScaleFactor: 3 };
    const turned = { width: 844, height: 390, deviceScaleFactor: 3 };
    const page = await open(touching(upright));
    const uprightDensity = await expectFitted(page, upright);
    await tap(page, '#CmdJgdd');
    await handled(page, 1);
    await page.setViewport({ ...touching(turned), isLandscape: true });
    await page.waitForFunction((density) => document.documentElement.dataset.density !== density, kWait,
        String(uprightDensity));
    const density = await expectFitted(page, turned);
    assert.ok((await painting(page)).every((byte) => byte === 0), 'the painting outlived the turn');
    await tap(page, '#CmdGsls');
    await handled(page, 2);
    expectWholePainting(await painting(page), turned, density, ['CmdGsls']);
    await page.close();
});

test('on a screen that holds the form, a window smaller than the form shows it at its own size', async () => {
    const page = await open({ width: 500, height: 400 });
    // The density shows once the core has laid out its layer.
    await page.waitForFunction(() => document.documentElement.dataset.density, kWait);
    const shown = await page.evaluate((panel) => ({
        screen: [screen.width, screen.height],
        panel: document.getElementById(panel).getBoundingClientRect().width,
        density: document.documentElement.dataset.density,
    }), expected.form.panel.name);
    assert.ok(shown.screen[0] >= expected.needed.width && shown.screen[1] >= expected.needed.height,
        `the browser's screen, ${shown.screen.join('×')}, is too small for this test`);
    assert.equal(shown.panel, expected.form.panel.rect.width);
    assert.equal(shown.density, '1');
    await page.close();
});

// The build's own writer of the service worker, to make a new build of a
// copy of the site.
const kWriteOffline = new URL('../../web/write_offline.cjs', import.meta.url).pathname;
const kServiceWorker = new URL('../../web/service_worker.js', import.meta.url).pathname;

test('the page installs, paints after a reload with no network, and a new build replaces the kept one', async (t) => {
    // A copy of the site at an address of its own, to take off the network
    // and then to update.
    const site = mkdtempSync(join(tmpdir(), 'tuxing-site-'));
    cpSync(option('site'), site, { recursive: true });
    let kept = await serve(site);
    t.after(() => {
        kept.close();
        rmSync(site, { recursive: true });
    });
    const page = await open(kMaximized, '', kept);
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, kWait);
    const session = await page.createCDPSession();
    assert.deepEqual((await session.send('Page.getInstallabilityErrors')).installabilityErrors, []);

    await kept.close();
    await page.setOfflineMode(true);
    await page.reload();
    await page.waitForSelector('#form1 button');
    await page.click('#CmdGsls');
    await page.click('#CmdJgdd');
    await handled(page, 2);
    expectSamePixels(await painting(page), kMaximized.width, kMaximized.height, 1, ['CmdGsls', 'CmdJgdd']);

    const form = JSON.parse(readFileSync(join(site, 'form.json'), 'utf8'));
    const caption = `${form.caption} 新`;
    writeFileSync(join(site, 'form.json'), JSON.stringify({ ...form, caption }));
    execFileSync(process.execPath, [kWriteOffline, kServiceWorker, site]);
    kept = await serve(site, kept.port);
    await page.setOfflineMode(false);
    // The kept build opens first, and gives way to the new one.
    await page.reload();
    await page.waitForFunction((shown) => document.title === shown, kWait, caption)
        .catch(() => assert.fail('a reload after a new build does not come to show it'));
    await page.waitForSelector('#form1 button');
    assert.equal(await page.evaluate(async () => (await caches.keys()).length), 1, 'the old build is still kept');
    await page.close();
});
