// Renders an SVG file to a PNG at a width with resvg: node render.js INPUT.svg WIDTH OUTPUT.png
const fs = require('fs');
const { Resvg } = require('@resvg/resvg-js');
const [input, width, output] = process.argv.slice(2);
const resvg = new Resvg(fs.readFileSync(input), { fitTo: { mode: 'width', value: Number(width) } });
fs.writeFileSync(output, resvg.render().asPng());
