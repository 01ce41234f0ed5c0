// Form1 as a web page. The viewport is the window's client area, and the
// page comes with the form in it, laid out by the build from the program's
// own table: the panel and labels, the painting on a canvas above them, and
// the buttons above all. The same table, as form.json, gives this script the
// rest. The program's core runs in a worker (worker.js), whose message
// protocol is listed there.

// The worker starts loading the core while the layout is read.
let worker = new Worker('worker.js');
const root = document.getElementById('form1');
const canvas = root.querySelector('canvas');
// In memory rather than on the graphics card: the canvas takes nothing but
// the worker's rectangles, each of which a card's canvas must upload. In
// WebKitGTK that took 15 ms a click and up to 100, against 1 ms in memory.
const context = canvas.getContext('2d', { willReadFrequently: true });
let handled = 0;
let pressed = 0;
let scale = 1;
// Clicks made before the worker knows the client area, in order; then null.
let early = [];

// The core takes the clicks in order behind the client area, however early
// they come: before the layout has come, or the core.
for (const button of root.querySelectorAll('button')) {
    button.addEventListener('click', () => {
        ++pressed;
        if (early)
            early.push(button.id);
        else
            post('click', { button: button.id });
    });
}
// The page asks for the first focus on the first button in tab order, which
// an engine may give only at its next frame, or not at all on a reload.
if (!root.contains(document.activeElement))
    root.querySelector('[autofocus]')?.focus({ preventScroll: true });
addEventListener('keydown', () => root.classList.add('keyboard'), { once: true, capture: true });
// Marks on the page of what it has done, for whoever watches it: from here
// on no click is lost.
document.documentElement.dataset.started = '';
const form = await (await fetch('form.json')).json();
const outlined = form.controls.filter((control) => control.outlineDevicePixels)
    .map((control) => [document.getElementById(control.name), control]);

function post(type, data = {}) {
    worker.postMessage({ type, data });
}

// An outline is given in device pixels, as on the desktop.
function drawOutlines() {
    for (const [element, control] of outlined)
        element.style.border = `${control.outlineDevicePixels / (devicePixelRatio * scale)}px solid ${control.foreground}`;
}

// A screen too small for the form shows all of it, scaled down to fit the
// viewport: the desktop's form at a lower density, whose painting is laid out
// at that density. A screen that holds the form shows it at its own size
// however small the window, as the desktop does, where one enlarges the
// window to see it all. The layout viewport decides, not the visual one, so
// that pinch-zoom only zooms. Returns the client area, as the core follows it.
function fit() {
    const { clientWidth: width, clientHeight: height } = document.documentElement;
    const fitting = (w, h) => Math.min(w / form.extentWidth, h / form.extentHeight);
    scale = fitting(screen.width, screen.height) >= 1 ? 1 : Math.min(1, fitting(width, height));
    const scaled = { right: 'auto', bottom: 'auto', width: `${width / scale}px`, height: `${height / scale}px`,
        transform: `scale(${scale})` };
    const unscaled = { right: '', bottom: '', width: '', height: '', transform: '' };
    Object.assign(root.style, scale < 1 ? scaled : unscaled);
    drawOutlines();
    return { width, height, ratio: devicePixelRatio, scale };
}

let followScheduled = false;
function follow() {
    if (followScheduled)
        return;
    followScheduled = true;
    requestAnimationFrame(() => {
        followScheduled = false;
        post('follow', fit());
    });
}

function watchDensity() {
    matchMedia(`(resolution: ${devicePixelRatio}dppx)`).addEventListener(
        'change',
        () => {
            drawOutlines();
            follow();
            watchDensity();
        },
        { once: true });
}

function showRunTimeError(message) {
    const dialog = document.createElement('dialog');
    const title = document.createElement('h1');
    title.textContent = form.runTimeErrorTitle;
    const text = document.createElement('p');
    text.textContent = message;
    const acknowledge = document.createElement('form');
    acknowledge.method = 'dialog';
    const button = document.createElement('button');
    button.textContent = form.acknowledge;
    acknowledge.append(button);
    dialog.append(title, text, acknowledge);
    dialog.addEventListener('close', () => dialog.remove());
    document.body.append(dialog);
    dialog.showModal();
}

function end() {
    worker.terminate();
    root.remove();
    for (const dialog of document.querySelectorAll('dialog'))
        dialog.remove();
    document.body.style.background = 'none';
}

function onWorkerMessage({ data: { type, data } }) {
    switch (type) {
    case 'layer':
        // A replaced layer starts empty, and so does a canvas given a size.
        // A shrunk one keeps its painting, and the canvas is left as it is:
        // what lies beyond the layer lies beyond the client area too.
        if (data.change === 'replaced') {
            canvas.width = data.width;
            canvas.height = data.height;
            canvas.style.width = `${data.width / data.ratio}px`;
            canvas.style.height = `${data.height / data.ratio}px`;
        }
        document.documentElement.dataset.layer = `${data.width}x${data.height}`;
        document.documentElement.dataset.density = String(data.ratio);
        break;
    case 'present':
        context.putImageData(
            new ImageData(new Uint8ClampedArray(data.pixels), data.width, data.height), data.left, data.top);
        break;
    case 'warning':
        console.warn(`?pace= is ignored: ${data.message}`);
        break;
    case 'error':
        showRunTimeError(data.message);
        break;
    case 'done':
        document.documentElement.dataset.handled = String(++handled);
        break;
    case 'rehearsed':
        // For whoever times the page.
        performance.mark('rehearsed');
        break;
    case 'exit':
        end();
        break;
    }
}

function startWorker(addressOptions = {}) {
    worker.onmessage = onWorkerMessage;
    // A core that fails beyond a run-time error (out of memory, say) takes
    // its worker with it; a fresh one, with a fresh layer, takes the next
    // click, as a handler that ends on an error leaves the window working,
    // and paints at the same pace.
    worker.onerror = (event) => {
        event.preventDefault();
        worker.terminate();
        showRunTimeError(form.internalFailure);
        worker = new Worker('worker.js');
        startWorker({ pace: addressOptions.pace });
    };
    post('start', addressOptions);
    post('follow', fit());
    for (const button of early ?? [])
        post('click', { button });
    early = null;
}

// ?pace=N paints each picture at N points per second, as the desktop's
// --pace=N does; the core reads it. The page's test asks for a checkpoint of
// its own: ?fail-at=N fails the Nth drawing operation.
const options = new URLSearchParams(location.search);
startWorker({ failAt: Number(options.get('fail-at')), pace: options.get('pace') });
addEventListener('resize', follow);
watchDensity();
// Kept for use without a network from the first visit on. Where the browser
// refuses (an address that is not secure, say) the page still works online.
// The kept build opens at once, and a new one takes over while it does: a
// page that nobody has pressed yet then opens again as the new build.
if (navigator.serviceWorker) {
    const keptBuild = navigator.serviceWorker.controller;
    navigator.serviceWorker.addEventListener('controllerchange', () => {
        if (keptBuild && pressed === 0)
            location.reload();
    });
    navigator.serviceWorker.register('service_worker.js').catch(() => {});
}
