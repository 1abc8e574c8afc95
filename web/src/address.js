// The inputs, the choices and the language in the address's fragment, so that a copied address
// reproduces a routine. The fragment (not the query) also works for a page opened from disk and
// never reloads the page. The fields and the choices are the rows of the engine's tables, each
// under its addressKey.
import { CHOICES } from 'kavrin:choices';
import { FIELDS } from 'kavrin:fields';
import { LANGUAGES, SOURCE_LANGUAGE } from './i18n.js';

export { CHOICES, FIELDS };

/** The request for the engine: the field texts, the check box, and each choice's word by key. */
export const DEFAULTS = {
  ...Object.fromEntries(FIELDS.texts.map((field) => [field.key, field.startValue])),
  countCallReturn: FIELDS.countCallReturn.startValue,
  choices: Object.fromEntries(CHOICES.map((row) => [row.key, row.defaultWord])),
};

// Short parameter names keep shared addresses readable.
const KEYS = Object.fromEntries(FIELDS.texts.map((field) => [field.key, field.addressKey]));
// Written only when ticked ("1"), as the flags of the table, so that an older address means off.
const COUNT_CALL_RETURN = FIELDS.countCallReturn.addressKey;
// The flags first, as addresses have always had them, then the choices with words.
const FLAG_ROWS = CHOICES.filter((row) => row.flag);
const WORD_ROWS = CHOICES.filter((row) => !row.flag);

/** The fragment for `inputs` (all of DEFAULTS' fields) and `lang`. */
export function toFragment(inputs, lang) {
  const p = new URLSearchParams();
  for (const [field, key] of Object.entries(KEYS)) p.set(key, inputs[field]);
  if (inputs.countCallReturn) p.set(COUNT_CALL_RETURN, '1');
  for (const row of FLAG_ROWS) if (inputs.choices[row.key] === '1') p.set(row.addressKey, '1');
  for (const row of WORD_ROWS) p.set(row.addressKey, inputs.choices[row.key]);
  if (lang !== SOURCE_LANGUAGE) p.set('lang', lang);
  return '#' + p.toString();
}

/** The word for `row` that the fragment's parameters `p` name, or null. */
function wordIn(p, row) {
  if (row.flag) return p.get(row.addressKey) === '1' ? '1' : '0';
  const word = (p.get(row.addressKey) || '').toLowerCase();
  return row.words.some((w) => w.word === word) ? word : null;
}

/**
 * What a fragment holds: `inputs` (the defaults filled in for what it lacks, or null when it
 * names no input at all) and `lang` (null when it names none or an unknown one).
 */
export function fromFragment(fragment) {
  const p = new URLSearchParams(fragment.replace(/^#/, ''));
  const lang = LANGUAGES.includes(p.get('lang')) ? p.get('lang') : null;
  const named = [...Object.values(KEYS), COUNT_CALL_RETURN, ...CHOICES.map((row) => row.addressKey)]
    .some((k) => p.has(k));
  if (!named) return { inputs: null, lang };
  const inputs = { ...DEFAULTS, choices: { ...DEFAULTS.choices } };
  for (const [field, key] of Object.entries(KEYS)) if (p.has(key)) inputs[field] = p.get(key);
  inputs.countCallReturn = p.get(COUNT_CALL_RETURN) === '1';
  for (const row of CHOICES) inputs.choices[row.key] = wordIn(p, row) ?? inputs.choices[row.key];
  return { inputs, lang };
}

// Windows' device names, which no file there may have (its ports with a superscript digit too).
const RESERVED = /^(con|prn|aux|nul|com[0-9¹²³]|lpt[0-9¹²³])$/i;

/**
 * A file name for the routine named `label`, ending in `extension`, that every system accepts: letters and digits of any
 * script, "_" and "-" kept, every other run of characters one "_", at most 100 characters, never
 * empty, starting with "-" (an option to a shell command) or a reserved Windows device name.
 */
export function fileNameFor(label, extension) {
  let base = label.normalize('NFC').replace(/[^\p{L}\p{N}_-]+/gu, '_');
  base = [...base].slice(0, 100).join('').replace(/^-+/, '');
  if (/^_*$/.test(base)) base = 'delay';
  else if (RESERVED.test(base)) base = '_' + base;
  return base + extension;
}
