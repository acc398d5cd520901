// Checks each JSON file named on the command line against the FHIR R4 JSON
// schema. Prints one line per file and the errors of the failing ones; exits 1
// when any file fails. Runs offline: the schema ships with the validator.
'use strict';
const fs = require('fs');
const path = require('path');

let Validator;
try {
  Validator = require(path.join(__dirname, 'node_modules', '@asymmetrik', 'fhir-json-schema-validator'));
} catch (e) {
  console.error('validator not installed here; run scripts/install-deps');
  process.exit(2);
}

const validator = new Validator();
let failed = 0;
for (const file of process.argv.slice(2)) {
  let errors;
  try {
    errors = validator.validate(JSON.parse(fs.readFileSync(file, 'utf8')), true);
  } catch (e) {
    errors = [String(e)];
  }
  if (errors.length === 0) {
    console.log(`valid ${file}`);
  } else {
    failed += 1;
    console.log(`INVALID ${file}`);
    for (const e of errors.slice(0, 20)) console.log('  ' + JSON.stringify(e));
  }
}
process.exit(failed ? 1 : 0);
