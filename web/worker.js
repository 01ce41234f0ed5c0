// The page's worker: runs the program's core, and with it each handler to
// its end, taking the page's messages one at a time in the order they were
// sent, so that input made while a picture paints waits for it.
//
// Every message is {type, data}.
//   page to worker
//     start   {failAt, pace}            from the page's address: the test's failAt, or none;
//                                       the pace option's text as given, or null
//     follow  {width, height, ratio, scale}  the client area in CSS pixels, the device pixel ratio,
//                                       and the form's scale on a screen too small for it
//     click   {button}                  a button's name, as in the layout
//   worker to page
//     layer   {width, height, ratio, change}   the layer after a follow, ratio the density its painting
//                                       is laid out at; change: none, shrunk or replaced
//     present {left, top, width, height, pixels}  a rectangle of the layer, RGBA bytes
//     warning {message}                 why the pace option was refused; the page goes on without it
//     error   {message}                 the run-time error that stopped a handler
//     done    {button}                  a click's handler has ended
//     rehearsed {}                      every handler has been rehearsed: from now on a click
//                                       paints at full speed from its start
//     exit    {}                        the program ends; the worker stops
importScripts('tuxing_web.js');

const kLayerChanges = ['none', 'shrunk', 'replaced'];

let core = null;
let ended = false;
const waiting = [];

function post(type, data = {}, transfer = []) {
    postMessage({ type, data }, transfer);
}

function onPresent(left, top, width, height, pixels) {
    post('present', { left, top, width, height, pixels: pixels.buffer }, [pixels.buffer]);
}

function dispatch({ type, data }) {
    // Clicks still queued behind the exit do nothing.
    if (ended)
        return;
    switch (type) {
    case 'start':
        if (data.failAt > 0)
            core._tuxing_fail_at(data.failAt);
        if (typeof data.pace === 'string') {
            // The text crosses on the core's stack. No pace is this long, so
            // what is cut off never makes a pace of one that was none.
            const refusal = core.ccall('tuxing_pace', 'string', ['string'], [data.pace.slice(0, 64)]);
            if (refusal)
                post('warning', { message: refusal });
        }
        break;
    case 'follow': {
        const change = core._tuxing_follow(data.width, data.height, data.ratio, data.scale);
        post('layer', {
            width: core._tuxing_layer_width(),
            height: core._tuxing_layer_height(),
            ratio: data.ratio * data.scale,
            change: kLayerChanges[change],
        });
        break;
    }
    case 'click':
        if (core.ccall('tuxing_ends_program', 'number', ['string'], [data.button])) {
            ended = true;
            post('exit');
            close();
            return;
        }
        {
            const failure = core.ccall('tuxing_click', 'string', ['string'], [data.button]);
            if (failure)
                post('error', { message: failure });
        }
        post('done', { button: data.button });
        break;
    }
}

// So that the first click on each picture paints at full speed. One button
// at a time, with the page's messages taken in between: a click made
// meanwhile waits for one button's rehearsal at most.
function rehearse(step) {
    if (ended)
        return;
    if (core._tuxing_rehearse(step))
        setTimeout(rehearse, 0, step + 1);
    else
        post('rehearsed');
}

onmessage = ({ data }) => (core ? dispatch(data) : waiting.push(data));

createTuxingCore({ onPresent }).then((ready) => {
    core = ready;
    for (const message of waiting.splice(0))
        dispatch(message);
    setTimeout(rehearse, 0, 0);
});
