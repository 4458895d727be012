// PNG pictures as RGBA rows, top row first, through pngjs.
import { readFileSync, writeFileSync } from 'node:fs';
import { requirePackage } from './root.mjs';

const { PNG } = requirePackage('pngjs');

export { PNG };

// Any PNG (elka-capture writes 8-bit RGB) as { width, height, data: RGBA }.
export function readPng(path) { return decodePng(readFileSync(path)); }

export function decodePng(buffer) {
  const png = PNG.sync.read(buffer);
  return { width: png.width, height: png.height, data: png.data };
}

export function writePng(path, picture) {
  const png = new PNG({ width: picture.width, height: picture.height });
  picture.data.copy(png.data);
  writeFileSync(path, PNG.sync.write(png));
}

// A frame as elka.frameAt gives it: rgba in base64, width * height * 4 bytes.
export function pictureFromFrame(frame) {
  const data = Buffer.from(frame.rgba, 'base64');
  if (data.length !== frame.width * frame.height * 4)
    throw new Error(`frame ${frame.frame}: ${data.length} bytes of rgba, not ${frame.width} x ${frame.height} x 4`);
  return { width: frame.width, height: frame.height, data };
}
