// Builds the site into ../build-web/site/: index.html, style.css, app.js (the page, one classic
// script, so the page also works opened from disk) and kavrin-engine.js (the engine, copied from
// ../build-web/engine/).
import { build } from 'esbuild';
import { copyFileSync, existsSync, mkdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
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
console.log(`build: site in ${site}`);
