// Writes the form's layout as the page reads it, from the very core the
// worker runs:  node write_form.cjs CORE.js OUTPUT.json
const fs = require('fs');
const path = require('path');

const [corePath, outputPath] = process.argv.slice(2);
require(path.resolve(corePath))().then((core) => {
    fs.writeFileSync(outputPath, core.UTF8ToString(core._tuxing_form()));
});
