// Builds the site into ../build-web/site/: index.html, style.css, app.js (the page, one classic
// script, so the page also works opened from disk), kavrin-engine.js (the engine, copied from
// ../build-web/engine/), the web app manifest with its icons (drawn from ../res/kavrin.svg by
// rsvg-convert) and sw.js (the service worker that keeps the site for use without the network).
import { build } from 'esbuild';
import { execFileSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import {
  copyFileSync, existsSync, mkdirSync, readFileSync, readdirSync, rmSync, writeFileSync,
} from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const engine = process.env.KAVRIN_ENGINE || join(here, '../build-web/engine/kavrin-engine.js');
const site = join(here, '../build-web/site');

if (!existsSync(engine)) {
  console.error(`build: no engine at ${engine}; scripts/build-web builds it first`);
  process.exit(1);
}
rmSync(site, { recursive: true, force: true });
mkdirSync(site, { recursive: true });

await build({
  entryPoints: [join(here, 'src/main.js')],
  outfile: join(site, 'app.js'),
  bundle: true,
  format: 'iife',
  minify: true,
  target: ['chrome100', 'firefox100', 'safari15'],
  legalComments: 'none',
  logLevel: 'warning',
});
await build({
  entryPoints: [join(here, 'src/style.css')],
  outfile: join(site, 'style.css'),
  bundle: true,
  minify: true,
  logLevel: 'warning',
});
// The page's HTML without the indentation and line breaks between tags.
const html = readFileSync(join(here, 'src/index.html'), 'utf8').replace(/>\s*\n\s*</g, '><');
writeFileSync(join(site, 'index.html'), html);
copyFileSync(engine, join(site, 'kavrin-engine.js'));

// The manifest and the icons a home screen or an app list shows.
copyFileSync(join(here, 'src/manifest.webmanifest'), join(site, 'manifest.webmanifest'));
for (const size of [192, 512]) {
  try {
    execFileSync('rsvg-convert', ['--width', `${size}`, '--height', `${size}`,
      '--keep-aspect-ratio', '--format', 'png', '--output', join(site, `icon-${size}.png`),
      join(here, '../res/kavrin.svg')]);
  } catch (error) {
    console.error(`build: rsvg-convert (librsvg2-bin) did not draw the icon: ${error.message}`);
    process.exit(1);
  }
}

// The service worker, last: its cache is named after a hash of every other file of the site, so
// that any change to them is a new release.
const files = readdirSync(site).sort();
const hash = createHash('sha256');
for (const name of files) {
  const data = readFileSync(join(site, name));
  hash.update(`${name}\0${data.length}\0`).update(data);
}
await build({
  entryPoints: [join(here, 'src/sw.js')],
  outfile: join(site, 'sw.js'),
  bundle: true,
  minify: true,
  define: {
    SITE_HASH: JSON.stringify(hash.digest('hex').slice(0, 16)),
    SITE_FILES: JSON.stringify(files),
  },
  legalComments: 'none',
  logLevel: 'warning',
});
console.log(`build: site in ${site}`);
