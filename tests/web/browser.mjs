// The page served from 127.0.0.1 as make web serves it, and Debian's
// Chromium, headless, to open it in.
import { spawn } from 'node:child_process';
import { createInterface } from 'node:readline';
import puppeteer from 'puppeteer-core';

export async function serve(site) {
    const server = spawn('/usr/bin/python3', ['-u', '-m', 'http.server', '--bind', '127.0.0.1', '--directory', site, '0'], {
        stdio: ['ignore', 'pipe', 'ignore'],
    });
    for await (const line of createInterface({ input: server.stdout })) {
        const port = /port (\d+)/.exec(line)?.[1];
        if (port)
            return { url: `http://127.0.0.1:${port}/`, close: () => server.kill() };
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
