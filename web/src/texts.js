// The page's texts: each a key (the value of a data-t attribute, or the name the code uses) and
// its message id in the catalogues po/LANG.po, which is the Czech text the window shows. The
// build bundles every catalogue's translations; scripts/update-po finds these ids with xgettext.
// The build also reads this module, so it imports nothing. The fields' captions, the check
// boxes' and the choices' come from the engine's tables (data-m attributes), not from here.

/** The language of the message ids, and of a page whose address names none. */
export const SOURCE_LANGUAGE = 'cs';

/** Marks a message id for xgettext and gives it back. */
const N_ = (msgid) => msgid;
/** Marks a message id with its plural form for xgettext; the singular is the key. */
const NP_ = (msgid) => msgid;

export const TEXTS = {
  title: N_('Kavrin – zpožďovací smyčky pro PIC'),
  tagline: N_('Přesné čekací podprogramy pro 8bitové mikrokontroléry PIC'),
  options: N_('Volby'),
  compute: N_('Počítej'),
  output: N_('Výstup'),
  copy: N_('Kopírovat'),
  download: N_('Stáhnout'),
  copied: N_('Zkopírováno do schránky'),
  copyFailed: N_('Schránka není dostupná: vyberte text a zkopírujte jej ručně'),
  // TRANSLATORS: %s is the name of the file the routine was saved in.
  downloaded: N_('Uloženo jako %s'),
  loading: N_('Načítám výpočetní jádro…'),
  engineFailed: N_('Výpočetní jádro se nepodařilo načíst'),
  // TRANSLATORS: the words line; %s is the number, grouped as the language groups digits.
  words: NP_('Podprogram zabírá %s instrukční slovo.',
    'Podprogram zabírá %s instrukčních slov.'),
  // TRANSLATORS: the loop hint beside the words line; %s as there.
  loopWords: NP_('Výplň smyčkami (loop) by zabrala jen %s slovo.',
    'Výplň smyčkami (loop) by zabrala jen %s slov.'),
  switchToLoop: N_('Přepnout na loop'),
  // TRANSLATORS: this catalogue's language named in itself, on the page's button that switches
  // to it.
  language: N_('Česky'),
  // TRANSLATORS: what that button does, in this catalogue's language (read by screen readers).
  languageLabel: N_('Přepnout do češtiny'),
  footer: N_('Výpočet běží ve vašem prohlížeči; nic se neodesílá.'),
};

/**
 * A word's caption short: up to its dash ("µs – mikrosekundy" is "µs"), where a select shows its
 * words beside a field whose caption says them in full.
 */
export const shortCaption = (caption) => caption.split(' – ')[0];
