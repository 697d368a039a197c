// Runs the glTF validator on each file named on the command line and prints
// one line per file; exits 1 when any file has an error. External buffers
// and images are read from the file's folder.
'use strict';
const fs = require('fs');
const path = require('path');
const validator = require('gltf-validator');

async function check(file) {
  const bytes = new Uint8Array(fs.readFileSync(file));
  const report = await validator.validateBytes(bytes, {
    uri: file,
    maxIssues: 100,
    externalResourceFunction: (uri) =>
      new Promise((resolve, reject) => {
        fs.readFile(path.join(path.dirname(file), decodeURIComponent(uri)), (err, data) =>
          err ? reject(err.toString()) : resolve(new Uint8Array(data)));
      }),
  });
  const issues = report.issues;
  console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings, ${issues.numInfos} infos`);
  for (const m of issues.messages)
    if (m.severity <= 1) console.log(`  ${m.severity === 0 ? 'error' : 'warning'} ${m.code} ${m.pointer || ''}: ${m.message}`);
  return issues.numErrors;
}

(async () => {
  let errors = 0;
  for (const file of process.argv.slice(2)) errors += await check(file);
  process.exit(errors > 0 ? 1 : 0);
})().catch((e) => {
  console.error(String(e));
  process.exit(2);
});
