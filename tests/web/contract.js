// The page's contract with the module, both ways: the design the module
// writes has the shape bridge.js checks, and the pages read every key of
// that shape and no other.
//   node contract.js DESIGN_REPORT_JS WEB_SOURCE_FOLDER
'use strict';
const {execFileSync, spawnSync} = require('child_process');
const fs = require('fs');
const path = require('path');
const vm = require('vm');

const [report, web] = process.argv.slice(2);
// emscripten 3.1.6's loader would take node's fetch for a file path.
const flags = spawnSync(process.execPath, ['--no-experimental-fetch', '-e', '0']).status === 0
    ? ['--no-experimental-fetch'] : [];
let design;
try {
    design = JSON.parse(execFileSync(process.execPath, [...flags, report], {encoding: 'utf8', stdio: 'pipe'}));
} catch (problem) {
    console.log(`the module's design could not be read: ${String(problem.stderr || problem.message).split('\n')[0]}`);
    process.exit(1);
}
const bridge = fs.readFileSync(path.join(web, 'bridge.js'), 'utf8');
const {DESIGN_SHAPE, checkShape} = vm.runInNewContext(`${bridge}\n;({DESIGN_SHAPE, checkShape})`);

const faults = [];
try {
    checkShape(design, DESIGN_SHAPE, 'design');
} catch (problem) {
    faults.push(`the module's design does not have the page's shape: ${problem.message}`);
}
// What the pages read: design.KEY of the window, control.KEY of a control.
const shape = {design: Object.keys(DESIGN_SHAPE), control: Object.keys(DESIGN_SHAPE.controls[0])};
const read = {design: new Set(), control: new Set()};
for (const file of ['app.js', 'help.js']) {
    const source = fs.readFileSync(path.join(web, file), 'utf8');
    for (const [, owner, key] of source.matchAll(/\b(design|control)\.(\w+)/g)) {
        read[owner].add(key);
    }
}
for (const owner of Object.keys(shape)) {
    read[owner].forEach((key) => shape[owner].includes(key)
        || faults.push(`${owner}.${key} is read by the page but is not in the design's shape`));
    shape[owner].forEach((key) => read[owner].has(key)
        || faults.push(`${owner}.${key} is in the design's shape but no page reads it`));
}
if (faults.length > 0) {
    console.log(faults.join('\n'));
    process.exit(1);
}
console.log(`${shape.design.length} window keys and ${shape.control.length} control keys written and read`);
