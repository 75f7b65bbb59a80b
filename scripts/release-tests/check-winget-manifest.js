// The winget manifest's files, each valid against the schema it names and
// all of one package and version:
//   node check-winget-manifest.js DIST SCHEMAS ID VERSION
// Exit code 1, with what is wrong, otherwise 0. Needs ajv and yaml (npm ci).
"use strict";
const [dist, schemas, id, version] = process.argv.slice(2);
const Ajv = require("ajv"), YAML = require("yaml"), fs = require("fs");
const ajv = new Ajv({ allErrors: true, strict: false });
ajv.addFormat("date", /^\d{4}-\d\d-\d\d$/).addFormat("long", { type: "number", validate: Number.isInteger });
let bad = 0;
for (const [name, kind] of [["", "version"], [".installer", "installer"], [".locale.en-US", "defaultLocale"]]) {
  const doc = YAML.parse(fs.readFileSync(`${dist}/${id}${name}.yaml`, "utf8"));
  const schema = JSON.parse(fs.readFileSync(`${schemas}/manifest.${kind}.${doc.ManifestVersion}.json`));
  if (!ajv.validate(schema, doc)) { console.log(id + name, JSON.stringify(ajv.errors)); bad = 1; }
  if (doc.ManifestType.toLowerCase() !== kind.toLowerCase() || doc.PackageIdentifier !== id ||
      doc.PackageVersion !== version) { console.log(id + name, "is not the", kind, "of", id, version); bad = 1; }
}
process.exit(bad);
