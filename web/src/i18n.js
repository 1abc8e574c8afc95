// The page's texts in each language of po/LINGUAS, from the catalogues the window reads too: the
// build bundles them as the module "kavrin:catalogues" (see build.mjs). The routine text itself is
// never translated.
import pluralForms from '@tannin/plural-forms';
import { CATALOGUES, LANGUAGES } from 'kavrin:catalogues';
import { SOURCE_LANGUAGE, TEXTS } from './texts.js';

export { LANGUAGES, SOURCE_LANGUAGE };

// The locale that groups a number's digits as the language does: cs-CZ with a no-break space,
// en-GB with ",".
const NUMBER_LOCALES = { cs: 'cs-CZ', en: 'en-GB' };

const pluralIndex = {};

function translation(lang, msgid) {
  const entry = CATALOGUES[lang].texts[msgid];
  return entry === undefined ? msgid : entry;
}

/** The text `key` of TEXTS in `lang`. */
export function tr(lang, key) {
  return translation(lang, TEXTS[key]);
}

/** The text `key` (one with plural forms) in `lang` for the number `n`, `n` in place of %s. */
export function trCount(lang, key, n) {
  pluralIndex[lang] ||= pluralForms(CATALOGUES[lang].plural);
  const forms = translation(lang, TEXTS[key]);
  return fill(forms[pluralIndex[lang](n)], n.toLocaleString(NUMBER_LOCALES[lang] || lang));
}

/** `template` with `value` in place of its %s. */
export function fill(template, value) {
  return template.replace('%s', () => value);
}

/** A message id from the engine (its message, or a caption of its table) in `lang`. */
export function message(lang, msgid) {
  return translation(lang, msgid);
}

/** The language the page's language button switches to from `lang`. */
export function nextLanguage(lang) {
  return LANGUAGES[(LANGUAGES.indexOf(lang) + 1) % LANGUAGES.length];
}
