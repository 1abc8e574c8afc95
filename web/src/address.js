// The inputs, the choices and the language in the address's fragment, so that a copied address
// reproduces a routine. The fragment (not the query) also works for a page opened from disk and
// never reloads the page.
import { LANGUAGES, SOURCE_LANGUAGE } from './i18n.js';

export const DEFAULTS = {
  frequency: '3.2768',
  delay: '10',
  label: 'WAIT',
  counter: 'CNT',
  countCallReturn: false,
  core: 'midrange',
  filler: 'goto',
  syntax: 'classic',
  timesW: false,
};

export const CHOICES = {
  core: ['baseline', 'midrange', 'pic18'],
  filler: ['goto', 'loop'],
  syntax: ['classic', 'gputils'],
};

// Short parameter names keep shared addresses readable.
const KEYS = { frequency: 'f', delay: 'd', label: 'l', counter: 'c' };
// The check boxes, written only when ticked ("1"), so that an older address means off.
const FLAGS = { countCallReturn: 'cr', timesW: 'w' };

/** The fragment for `inputs` (all of DEFAULTS' fields) and `lang`. */
export function toFragment(inputs, lang) {
  const p = new URLSearchParams();
  for (const [field, key] of Object.entries(KEYS)) p.set(key, inputs[field]);
  for (const [field, key] of Object.entries(FLAGS)) if (inputs[field]) p.set(key, '1');
  for (const field of Object.keys(CHOICES)) p.set(field, inputs[field]);
  if (lang !== SOURCE_LANGUAGE) p.set('lang', lang);
  return '#' + p.toString();
}

/**
 * What a fragment holds: `inputs` (the defaults filled in for what it lacks, or null when it
 * names no input at all) and `lang` (null when it names none or an unknown one).
 */
export function fromFragment(fragment) {
  const p = new URLSearchParams(fragment.replace(/^#/, ''));
  const lang = LANGUAGES.includes(p.get('lang')) ? p.get('lang') : null;
  const named = [...Object.values(KEYS), ...Object.values(FLAGS), ...Object.keys(CHOICES)]
    .some((k) => p.has(k));
  if (!named) return { inputs: null, lang };
  const inputs = { ...DEFAULTS };
  for (const [field, key] of Object.entries(KEYS)) if (p.has(key)) inputs[field] = p.get(key);
  for (const [field, key] of Object.entries(FLAGS)) inputs[field] = p.get(key) === '1';
  for (const [field, values] of Object.entries(CHOICES)) {
    const value = (p.get(field) || '').toLowerCase();
    if (values.includes(value)) inputs[field] = value;
  }
  return { inputs, lang };
}

// Windows' device names, which no file there may have (its ports with a superscript digit too).
const RESERVED = /^(con|prn|aux|nul|com[0-9¹²³]|lpt[0-9¹²³])$/i;

/**
 * A file name for the routine named `label` that every system accepts: letters and digits of any
 * script, "_" and "-" kept, every other run of characters one "_", at most 100 characters, never
 * empty, starting with "-" (an option to a shell command) or a reserved Windows device name.
 */
export function fileNameFor(label) {
  let base = label.normalize('NFC').replace(/[^\p{L}\p{N}_-]+/gu, '_');
  base = [...base].slice(0, 100).join('').replace(/^-+/, '');
  if (/^_*$/.test(base)) base = 'delay';
  else if (RESERVED.test(base)) base = '_' + base;
  return base + '.inc';
}
