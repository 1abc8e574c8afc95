// Builds the site into ../build-web/site/: index.html, style.css, app.js (the page, one classic
// script, so the page also works opened from disk), kavrin-engine.js (the engine, copied from
// ../build-web/engine/), the web app manifest with its icons (drawn from ../res/kavrin.svg by
// rsvg-convert) and sw.js (the service worker that keeps the site for use without the network).
// The texts come from the catalogues ../po/LANG.po of the languages in ../po/LINGUAS, the ones
// the window reads: bundled into app.js, and written into index.html in the message ids'
// language (Czech). The choice controls are made from the engine's table of the routine's
// choices, which app.js also bundles (for the address): the delay unit's select beside the delay
// field, the others in the options. The fields' captions and start values, and the check box
// "Započítat CALL a RETURN", come from the engine's table of fields, which app.js bundles too.
import pluralForms from '@tannin/plural-forms';
import { build } from 'esbuild';
import { po } from 'gettext-parser';
import { execFileSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import {
  copyFileSync, existsSync, mkdirSync, readFileSync, readdirSync, rmSync, writeFileSync,
} from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { SOURCE_LANGUAGE, TEXTS, shortCaption } from './src/texts.js';

const here = dirname(fileURLToPath(import.meta.url));
const poDir = join(here, '../po');
const engine = process.env.KAVRIN_ENGINE || join(here, '../build-web/engine/kavrin-engine.js');
const site = join(here, '../build-web/site');

function fail(message) {
  console.error('build: ' + message);
  process.exit(1);
}

if (!existsSync(engine)) fail(`no engine at ${engine}; scripts/build-web builds it first`);
const engineModule = await createRequire(import.meta.url)(engine)();
/** The engine's table of the routine's choices (see module.choices() in src/web). */
const CHOICES = engineModule.choices();
/** The engine's table of the text fields and the check box (see module.fields() in src/web). */
const FIELDS = engineModule.fields();
/** The delay field's captions for every word of every choice, each alone changed. */
const DELAY_CAPTIONS = CHOICES.flatMap((row) => (row.flag ? ['1'] : row.words.map((w) => w.word))
  .map((word) => engineModule.delayCaption({ [row.key]: word }).caption));
/** The message ids the page shows besides its TEXTS: the tables' captions and the delay's. */
const TABLE_TEXTS = [...new Set([...FIELDS.texts.map((field) => field.caption),
  FIELDS.countCallReturn.caption, ...DELAY_CAPTIONS,
  ...CHOICES.flatMap((row) => [row.caption, ...row.words.map((w) => w.caption)])])];
/** The choice whose select stands beside the delay field, as the field's unit. */
const DELAY_UNIT = CHOICES.find((row) => row.key === 'unit') || fail('the table has no "unit"');

/** The languages of po/LINGUAS, in its order: one a line, "#" starting a comment. */
function readLanguages() {
  const lines = readFileSync(join(poDir, 'LINGUAS'), 'utf8').split('\n');
  return lines.map((line) => line.replace(/#.*/, '').trim()).filter(Boolean);
}

/** The plural forms of a Plural-Forms header: their number and the expression choosing one. */
function readPluralForms(header, file) {
  const match = /^\s*nplurals\s*=\s*(\d+)\s*;\s*plural\s*=\s*([^;]+);?\s*$/.exec(header || '');
  if (!match) fail(`${file}: no Plural-Forms header`);
  const count = Number(match[1]);
  // Every index the expression gives must name a form; an expression that does not parse
  // throws here, at build time.
  const index = pluralForms(match[2]);
  for (let n = 0; n <= 1000; n++) {
    const i = index(n);
    if (!(Number.isInteger(i) && i >= 0 && i < count)) fail(`${file}: plural form ${i} for ${n}`);
  }
  return { count, expression: match[2].trim() };
}

/** Whether a catalogue entry has every form translated and is not marked fuzzy. */
function translated(entry, pluralCount) {
  const forms = entry.msgstr;
  return !/\bfuzzy\b/.test(entry.comments?.flag || '') && forms.every(Boolean) &&
    forms.length === (entry.msgid_plural === undefined ? 1 : pluralCount);
}

/**
 * One language's catalogue as the page uses it: the Plural-Forms expression and, by message id,
 * each translation (an array of the plural forms for an entry with a plural). Fuzzy and
 * untranslated entries are left out (their message id stands for them, as with gettext), and so
 * are translations equal to their id. Fails when one of the page's TEXTS or of the table's texts
 * is not translated.
 */
function readCatalogue(lang) {
  const file = `po/${lang}.po`;
  const parsed = po.parse(readFileSync(join(poDir, `${lang}.po`)));
  const plural = readPluralForms(parsed.headers['Plural-Forms'], file);
  const entries = parsed.translations[''] || {};
  const used = [...Object.entries(TEXTS), ...TABLE_TEXTS.map((msgid) => ['choices', msgid])];
  for (const [key, msgid] of used) {
    if (!entries[msgid] || !translated(entries[msgid], plural.count)) {
      fail(`${file} has no translation of "${msgid}" (the page's ${key}); scripts/update-po ` +
        'adds the entry, a translator fills it in');
    }
  }
  const texts = {};
  for (const [msgid, entry] of Object.entries(entries)) {
    if (!msgid || !translated(entry, plural.count)) continue;
    if (entry.msgid_plural !== undefined) texts[msgid] = entry.msgstr;
    else if (entry.msgstr[0] !== msgid) texts[msgid] = entry.msgstr[0];
  }
  return { plural: plural.expression, texts };
}

const LANGUAGES = readLanguages();
if (!LANGUAGES.includes(SOURCE_LANGUAGE)) fail(`po/LINGUAS lacks ${SOURCE_LANGUAGE}`);
const CATALOGUES = Object.fromEntries(LANGUAGES.map((lang) => [lang, readCatalogue(lang)]));

/**
 * esbuild's modules "kavrin:catalogues" (LANGUAGES and CATALOGUES), "kavrin:choices" and
 * "kavrin:fields".
 */
const buildModules = {
  'kavrin:catalogues': `export const LANGUAGES = ${JSON.stringify(LANGUAGES)};\n` +
    `export const CATALOGUES = ${JSON.stringify(CATALOGUES)};\n`,
  'kavrin:choices': `export const CHOICES = ${JSON.stringify(CHOICES)};\n`,
  'kavrin:fields': `export const FIELDS = ${JSON.stringify(FIELDS)};\n`,
};
const buildModulesPlugin = {
  name: 'kavrin-build-modules',
  setup(b) {
    b.onResolve({ filter: /^kavrin:/ }, (args) => ({ path: args.path, namespace: 'kavrin' }));
    b.onLoad({ filter: /.*/, namespace: 'kavrin' }, (args) => ({
      contents: buildModules[args.path],
      loader: 'js',
    }));
  },
};

const escapeHtml = (s) => s.replace(/[&<>"]/g, (c) => `&#${c.charCodeAt(0)};`);

/** The message id `msgid` in `lang`, as the page's i18n.js translates it. */
function translate(lang, msgid) {
  const entry = CATALOGUES[lang].texts[msgid];
  return entry === undefined ? msgid : entry;
}

/** An element's attribute data-m, the message id the page translates its text from, and its text. */
const messageText = (msgid) =>
  ` data-m="${escapeHtml(msgid)}">${escapeHtml(translate(SOURCE_LANGUAGE, msgid))}`;

/** The same for an element that shows only the text's short form (see shortCaption). */
const shortMessageText = (msgid) => ` data-m="${escapeHtml(msgid)}" data-short>` +
  escapeHtml(shortCaption(translate(SOURCE_LANGUAGE, msgid)));

/** The options of a row's select, its default selected; `text` gives an option's data-m and text. */
const wordOptions = (row, text) => row.words.map((w) => `<option value="${escapeHtml(w.word)}"` +
  `${w.word === row.defaultWord ? ' selected' : ''}${text(w.caption)}</option>`).join('');

/** A check box `key` with its text `caption`, ticked or not. */
function checkBox(key, caption, checked) {
  const id = escapeHtml(key);
  return `<label class="check"><input type="checkbox" id="${id}" name="${id}"` +
    `${checked ? ' checked' : ''}> <span${messageText(caption)}</span></label>`;
}

/** A row of the table as its control: a select of its words, or a check box for a flag. */
function choiceControl(row) {
  if (row.flag) return checkBox(row.key, row.caption, row.defaultWord === '1');
  const key = escapeHtml(row.key);
  return `<label for="${key}"${messageText(row.caption)}</label>` +
    `<select id="${key}" name="${key}">${wordOptions(row, messageText)}</select>`;
}

/**
 * The unit's select beside the delay field: its words short (the delay's caption names the unit
 * in full), named by its caption for screen readers (data-m-label, translated as data-m is).
 */
function unitControl(row) {
  const key = escapeHtml(row.key);
  const caption = escapeHtml(row.caption);
  return `<select id="${key}" name="${key}" class="unit" data-m-label="${caption}" ` +
    `aria-label="${escapeHtml(translate(SOURCE_LANGUAGE, row.caption))}">` +
    `${wordOptions(row, shortMessageText)}</select>`;
}

/** The page's pieces made from the engine: {{html:NAME}} in index.html. */
const GENERATED = {
  choices: CHOICES.filter((row) => row !== DELAY_UNIT).map(choiceControl).join(''),
  countCallReturn: checkBox(FIELDS.countCallReturn.key, FIELDS.countCallReturn.caption,
    FIELDS.countCallReturn.startValue),
  delayUnit: unitControl(DELAY_UNIT),
};

/** The text field `key` of the table of fields. */
const textField = (key) => FIELDS.texts.find((field) => field.key === key) ||
  fail(`web/src/index.html: no field ${key} in the engine's table`);

/**
 * The page's HTML with {{html:NAME}} the piece NAME of GENERATED, {{caption:KEY}} the label of
 * the text field KEY, {{value:KEY}} its start value, {{KEY}} the text KEY of TEXTS in the message
 * ids' language, {{next:KEY}} that of the next language of LINGUAS (the one the language button
 * offers), {{next}} its name.
 */
function fillTexts(html) {
  const first = SOURCE_LANGUAGE;
  const next = LANGUAGES[(LANGUAGES.indexOf(first) + 1) % LANGUAGES.length];
  const textIn = (lang, key) => {
    if (!(key in TEXTS)) fail(`web/src/index.html: no text ${key} in texts.js`);
    return translate(lang, TEXTS[key]);
  };
  return html.replace(/\{\{(?:(next|html|caption|value):)?(\w+)\}\}/g, (_, prefix, key) => {
    if (prefix === 'html') return GENERATED[key] ?? fail(`web/src/index.html: no piece ${key}`);
    if (prefix === 'caption') {
      return `<label for="${escapeHtml(key)}"${messageText(textField(key).caption)}</label>`;
    }
    if (prefix === 'value') return escapeHtml(textField(key).startValue);
    if (!prefix && key === 'next') return next;
    return escapeHtml(textIn(prefix ? next : first, key));
  });
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
  // The texts as they are rather than as \u escapes: the page and its scripts are UTF-8.
  charset: 'utf8',
  logLevel: 'warning',
  plugins: [buildModulesPlugin],
});
await build({
  entryPoints: [join(here, 'src/style.css')],
  outfile: join(site, 'style.css'),
  bundle: true,
  minify: true,
  logLevel: 'warning',
});
// The page's HTML without the indentation and line breaks between tags.
const html = fillTexts(readFileSync(join(here, 'src/index.html'), 'utf8'))
  .replace(/>\s*\n\s*</g, '><');
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
