// The plane's labels as the page samples them, under node: the holes of a
// mask of ink, and the sampling that keeps every stroke.
//   node labels.js APP_JS
'use strict';
const assert = require('assert');
const fs = require('fs');
const vm = require('vm');

const {countHoles, Labels} = vm.runInNewContext(`${fs.readFileSync(process.argv[2], 'utf8')}\n;({countHoles, Labels})`,
                                                 {window: {}});

// A mask from rows of text, '#' for ink.
const mask = (rows) => ({
    ink: Uint8Array.from(rows.join('').split(''), (c) => (c === '#' ? 1 : 0)),
    width: rows[0].length,
    height: rows.length,
});
const cases = [
    {name: 'a ring', rows: ['#####', '#...#', '#...#', '#####'], holes: 1},
    {name: 'two rings', rows: ['###', '#.#', '###', '#.#', '###'], holes: 2},
    {name: 'an open ring', rows: ['#####', '#...#', '#....', '#####'], holes: 0},
    {name: 'a hole smaller than the area asked', rows: ['###', '#.#', '###'], area: 2, holes: 0},
];
for (const {name, rows, area, holes} of cases) {
    const {ink, width, height} = mask(rows);
    assert.strictEqual(countHoles(ink, width, height, area), holes, name);
}

// Sampling at 8 fine pixels a pixel: half a pixel of ink makes a pixel, and
// a stroke too thin for that still keeps one, on the pixel it crosses.
const over = 8;
const fine = (width, height, inked) => {
    const ink = new Uint8Array(width * over * height * over);
    for (let y = 0; y < height * over; ++y) {
        for (let x = 0; x < width * over; ++x) {
            ink[y * width * over + x] = inked(x, y) ? 1 : 0;
        }
    }
    return ink;
};
const samples = [
    // A vertical stroke two fine pixels wide, inside the second column.
    {name: 'a thin vertical stroke', width: 3, height: 2, inked: (x) => x === 11 || x === 12,
     expected: [0, 1, 0, 0, 1, 0]},
    // A horizontal one, inside the first row.
    {name: 'a thin horizontal stroke', width: 2, height: 2, inked: (x, y) => y === 3, expected: [1, 1, 0, 0]},
    // More than half of the first pixel, none of the second.
    {name: 'a covered pixel', width: 2, height: 1, inked: (x, y) => x < 6 && y < 6, expected: [1, 0]},
    // A speck that crosses no centre line and covers less than half.
    {name: 'a speck off the centre lines', width: 1, height: 1, inked: (x, y) => x < 2 && y < 2, expected: [0]},
];
for (const {name, width, height, inked, expected} of samples) {
    assert.deepStrictEqual(Array.from(Labels.sample(fine(width, height, inked), width, height, over)), expected, name);
}
console.log(`${cases.length} hole counts and ${samples.length} samplings as expected`);
