// Writes the page from the program's own tables, as the form writer hands
// them over: the form's markup into the page, its look after the page's style
// sheet, its layout as the script reads it into form.json, and the web app
// manifest:
//   node write_form.cjs FORM_WRITER.js PAGE.html SHEET.css SITE ICON_SIZE...
// The form is in the page itself, and its look in the one sheet, so that the
// browser shows it before any script has run. The icons, icon-SIZE.png, are
// the build's.
const fs = require('fs');
const path = require('path');

// Fills the one place in the page's template marked for it.
function fill(template, marker, text) {
    if (!template.includes(marker))
        throw new Error(`the page has no ${marker}`);
    return template.replace(marker, () => text);
}

const escape = (text) => text.replace(/[&<>"]/g, (character) => `&#${character.charCodeAt(0)};`);

// Back to front: the panel and labels, the painting, then the buttons in tab
// order, so that the page's own tab order is the form's. The first in tab
// order has the focus from the start, visible or not.
function markup(form) {
    const buttons = form.controls.filter((control) => control.kind === 'button')
        .sort((a, b) => a.tabIndex - b.tabIndex);
    const element = (control) => control.kind === 'button'
        ? `<button id="${control.name}" type="button"${control === buttons[0] ? ' autofocus' : ''}>` +
            `${escape(control.text)}</button>`
        : `<div id="${control.name}"${control.kind === 'label' ? ' class="label"' : ''}>${escape(control.text)}</div>`;
    const behind = form.controls.filter((control) => control.kind !== 'button');
    return ['<div id="form1">', ...behind.map(element), '<canvas></canvas>', ...buttons.map(element), '</div>']
        .join('\n');
}

// Where each control stands, and in what colours and fonts. An outline is
// given in device pixels; this is its width at ratio 1, and the script
// follows the screen's ratio. The page brings the first of the label faces
// with it: a subset of the font holding just the labels' characters, made
// bold as the desktop makes it (label_font.py).
function sheet(form) {
    const faces = form.labelFontFaces.map((face) => `"${face}"`).join(', ');
    const rules = [
        "/* The form's layout, written by the build from the program's own table. */",
        `body { background: ${form.background}; }`,
        `@font-face { font-family: "${form.labelFontFaces[0]}"; src: url(fonts/label-face.woff) format("woff"); ` +
            `font-weight: ${form.labelFontWeight}; font-display: block; }`,
        `#form1 > .label { font-family: ${faces}; font-weight: ${form.labelFontWeight}; }`,
    ];
    for (const control of form.controls) {
        const look = [`left: ${control.left}px`, `top: ${control.top}px`, `width: ${control.width}px`,
            `height: ${control.height}px`];
        if (control.kind !== 'button')
            look.push(`background: ${control.fill}`);
        if (control.kind === 'label')
            look.push(`color: ${control.foreground}`, `font-size: ${control.fontPixels}px`);
        if (control.outlineDevicePixels)
            look.push(`border: ${control.outlineDevicePixels}px solid ${control.foreground}`);
        rules.push(`#${control.name} { ${look.join('; ')}; }`);
    }
    return `${rules.join('\n')}\n`;
}

const [writerPath, page, styleSheet, site, ...iconSizes] = process.argv.slice(2);
require(path.resolve(writerPath))().then((writer) => {
    const form = writer.form();
    const template = fs.readFileSync(page, 'utf8');
    const filled = fill(template, '<title></title>', `<title>${escape(form.caption)}</title>`);
    fs.writeFileSync(path.join(site, path.basename(page)),
        fill(filled, '<body></body>', `<body>\n${markup(form)}\n</body>`));
    fs.writeFileSync(path.join(site, path.basename(styleSheet)), fs.readFileSync(styleSheet, 'utf8') + sheet(form));
    fs.writeFileSync(path.join(site, 'form.json'), JSON.stringify(form));
    fs.writeFileSync(path.join(site, 'manifest.webmanifest'), JSON.stringify({
        name: form.caption,
        // The caption's title, before the signature and the date.
        short_name: form.caption.split(' ')[0],
        lang: 'zh-CN',
        start_url: './',
        scope: './',
        display: 'standalone',
        background_color: form.background,
        theme_color: form.background,
        icons: iconSizes.map((size) => ({ src: `icon-${size}.png`, sizes: `${size}x${size}`, type: 'image/png' })),
    }));
});
