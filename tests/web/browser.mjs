// The page served from 127.0.0.1 as make web serves it, and Debian's
// Chromium, headless, to open it in.
import { spawn } from 'node:child_process';
import { createInterface } from 'node:readline';
import puppeteer from 'puppeteer-core';

// On a port of its own, unless given one: a page kept by its service worker
// is found again at the same address.
export async function serve(site, port = 0) {
    const command = ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '--directory', site, String(port)];
    const server = spawn('/usr/bin/python3', command, {
        stdio: ['ignore', 'pipe', 'ignore'],
    });
    for await (const line of createInterface({ input: server.stdout })) {
        const listening = Number(/port (\d+)/.exec(line)?.[1]);
        if (listening) {
            const close = () => new Promise((resolve) => server.once('exit', resolve).kill());
            return { url: `http://127.0.0.1:${listening}/`, port: listening, close };
        }
    }
    throw new Error(`the server for ${site} ended before it listened`);
}

export function openBrowser(chromium) {
    return puppeteer.launch({
        executablePath: chromium,
        headless: true,
        // Without the background-networking switches Chromium keeps trying
        // hosts that this closed network refuses.
        args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
            '--disable-component-update', '--disable-sync', '--disable-quic'],
    });
}

export function option(name, fallback) {
    const given = process.argv.find((argument) => argument.startsWith(`--${name}=`));
    return given ? given.slice(name.length + 3) : fallback;
}

// A tap at the middle of the element, as a finger on a touch screen gives it.
export async function tap(page, selector) {
    const { x, y, width, height } = await (await page.$(selector)).boundingBox();
    await page.touchscreen.tap(x + width / 2, y + height / 2);
}

// Every breach of the page's content security policy from the start of each
// document the page loads, into `violations`, as "directive: what".
export async function recordPolicyViolations(page, violations) {
    await page.exposeFunction('reportPolicyViolation', (text) => violations.push(text));
    await page.evaluateOnNewDocument(() => {
        document.addEventListener('securitypolicyviolation', (event) =>
            globalThis.reportPolicyViolation(`${event.effectiveDirective}: ${event.blockedURI || event.sample}`));
    });
}
