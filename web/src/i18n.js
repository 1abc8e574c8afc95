// The page's texts in Czech (the window's captions) and English, and the engine's Czech messages
// with their English versions. The routine text itself is never translated.

export const LANGUAGES = ['cs', 'en'];

export const TEXTS = {
  cs: {
    title: 'Kavrin – zpožďovací smyčky pro PIC',
    tagline: 'Přesné čekací podprogramy pro 8bitové mikrokontroléry PIC',
    frequency: 'Frekvence OSC v [MHz]',
    delay: 'Doba zpoždění [ms]',
    label: 'Název čekací smyčky',
    counter: 'Název proměné',
    countCallReturn: 'Započítat CALL a RETURN',
    options: 'Volby',
    core: 'Jádro',
    filler: 'Výplň',
    syntax: 'Zápis',
    coreBaseline: 'baseline – PIC10F, PIC16F5x',
    coreMidrange: 'midrange – PIC12F, PIC16F',
    corePic18: 'pic18 – PIC18F',
    fillerGoto: 'goto – goto $+1',
    fillerLoop: 'loop – krátké smyčky',
    syntaxClassic: 'classic – jako okno',
    syntaxGputils: 'gputils – pro gpasm',
    timesW: 'Čekat W-krát (počet ve W)',
    compute: 'Počítej',
    output: 'Výstup',
    copy: 'Kopírovat',
    download: 'Stáhnout',
    copied: 'Zkopírováno do schránky',
    copyFailed: 'Schránka není dostupná: vyberte text a zkopírujte jej ručně',
    downloaded: (name) => `Uloženo jako ${name}`,
    loading: 'Načítám výpočetní jádro…',
    engineFailed: 'Výpočetní jádro se nepodařilo načíst',
    words: (n) => `Podprogram zabírá ${fmt('cs', n)} ${plural(n, 'instrukční slovo', 'instrukční slova', 'instrukčních slov')}.`,
    loopWords: (n) => `Výplň smyčkami (loop) by zabrala jen ${fmt('cs', n)} ${plural(n, 'slovo', 'slova', 'slov')}.`,
    switchToLoop: 'Přepnout na loop',
    language: 'English',
    languageLabel: 'Switch to English',
    footer: 'Výpočet běží ve vašem prohlížeči; nic se neodesílá.',
  },
  en: {
    title: 'Kavrin – PIC delay loops',
    tagline: 'Exact busy-wait subroutines for 8-bit PIC microcontrollers',
    frequency: 'Oscillator frequency [MHz]',
    delay: 'Delay [ms]',
    label: 'Loop label',
    counter: 'Counter variable',
    countCallReturn: 'Count CALL and RETURN',
    options: 'Options',
    core: 'Core',
    filler: 'Filler',
    syntax: 'Layout',
    coreBaseline: 'baseline – PIC10F, PIC16F5x',
    coreMidrange: 'midrange – PIC12F, PIC16F',
    corePic18: 'pic18 – PIC18F',
    fillerGoto: 'goto – goto $+1',
    fillerLoop: 'loop – short loops',
    syntaxClassic: 'classic – as the window',
    syntaxGputils: 'gputils – for gpasm',
    timesW: 'Wait W times (count in W)',
    compute: 'Compute',
    output: 'Output',
    copy: 'Copy',
    download: 'Download',
    copied: 'Copied to the clipboard',
    copyFailed: 'No clipboard access: select the text and copy it by hand',
    downloaded: (name) => `Saved as ${name}`,
    loading: 'Loading the engine…',
    engineFailed: 'The engine could not be loaded',
    words: (n) => `The routine takes ${fmt('en', n)} instruction word${n === 1 ? '' : 's'}.`,
    loopWords: (n) => `With the loop filler it would take only ${fmt('en', n)} word${n === 1 ? '' : 's'}.`,
    switchToLoop: 'Switch to loop',
    language: 'Česky',
    languageLabel: 'Přepnout do češtiny',
    footer: 'The computation runs in your browser; nothing is sent anywhere.',
  },
};

/** The engine's messages (Czech, exactly as it gives them) in English. */
export const MESSAGES_EN = {
  'Frekvence oscilátoru mosí být číslo': 'The oscillator frequency must be a number',
  'Spoždění musí být číslo': 'The delay must be a number',
  'Jméno proměné musí být vyplněno': 'The counter name must be filled in',
  'Jméno proměné obsahuje neplatné znaky': 'The counter name contains invalid characters',
  'Jméno proměné může mít nejvýše 255 bajtů': 'The counter name may have at most 255 bytes',
  'Jméno smyčky musí být vyplněno': 'The loop label must be filled in',
  'Jméno smyčky obsahuje neplatné znaky': 'The loop label contains invalid characters',
  'Jméno smyčky může mít nejvýše 255 bajtů': 'The loop label may have at most 255 bytes',
  'Příliš malé spoždění': 'The delay is too small',
  'Příliš velké spoždění': 'The delay is too large',
};

/** An engine message in the page's language; an unknown one as the engine gave it. */
export function message(lang, czech) {
  return lang === 'en' ? MESSAGES_EN[czech] || czech : czech;
}

function fmt(lang, n) {
  return n.toLocaleString(lang === 'cs' ? 'cs-CZ' : 'en-GB');
}

/** Czech plural forms: 1, 2 to 4, and the rest. */
function plural(n, one, few, many) {
  return n === 1 ? one : n >= 2 && n <= 4 ? few : many;
}
