// node web/minify.js FILE...: each script of the page minified in place by Debian's terser
// (compressed, and the names inside its functions shortened; the names it shares with the
// other scripts and the tests, its top level, stay). scripts/web.sh runs it on the site.
'use strict';
const fs = require('fs');
const {minify} = require('terser');

(async () => {
  for (const file of process.argv.slice(2)) {
    const result = await minify(fs.readFileSync(file, 'utf8'),
                                {compress: {passes: 2}, mangle: true, format: {comments: false}});
    fs.writeFileSync(file, result.code);
  }
})().catch((error) => {
  console.error(`minify: ${error.message}`);
  process.exit(1);
});
