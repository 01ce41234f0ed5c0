// Writes the form's layout as the page reads it, and the page's web app
// manifest, from the program's own tables as the form writer hands them over:
//   node write_form.cjs FORM_WRITER.js SITE ICON_SIZE...
// The icons, icon-SIZE.png, are the build's.
const fs = require('fs');
const path = require('path');

const [writerPath, site, ...iconSizes] = process.argv.slice(2);
require(path.resolve(writerPath))().then((writer) => {
    const form = writer.form();
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
