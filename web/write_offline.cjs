// Writes the page's service worker with the list of the site's files and a
// digest of them, so that a new build is a new worker that keeps a new copy:
//   node write_offline.cjs SERVICE_WORKER.js SITE
const crypto = require('crypto');
const fs = require('fs');
const path = require('path');

const [source, site] = process.argv.slice(2);
const output = path.join(site, path.basename(source));
const files = fs.readdirSync(site, { recursive: true, withFileTypes: true })
    .filter((entry) => entry.isFile())
    .map((entry) => path.relative(site, path.join(entry.parentPath, entry.name)).split(path.sep).join('/'))
    .filter((file) => file !== path.basename(source))
    .sort();
const digest = crypto.createHash('sha256');
for (const file of files)
    digest.update(file).update('\0').update(fs.readFileSync(path.join(site, file)));
// The page is opened by its folder's address as well as by its file's.
const kept = ['./', ...files];
fs.writeFileSync(output, `const kBuild = '${digest.digest('hex').slice(0, 16)}';\n` +
    `const kFiles = ${JSON.stringify(kept)};\n` + fs.readFileSync(source, 'utf8'));
