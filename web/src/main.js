// The page: reads the form, asks the engine, shows the routine or the engine's message, and keeps
// the inputs in the address.
import { SOURCE_LANGUAGE, fill, message, nextLanguage, tr, trCount } from './i18n.js';
import { shortCaption } from './texts.js';
import {
  CHOICES, DEFAULTS, FIELDS, toFragment, fromFragment, fileNameFor,
} from './address.js';
import { createLineView } from './lineview.js';

const $ = (id) => document.getElementById(id);
const TEXT_FIELDS = FIELDS.texts.map((field) => field.key);
const COUNT_CALL_RETURN = FIELDS.countCallReturn.key;
// Each choice's control has its key for id: a check box for a flag ("1" or "0"), else a select.
const wordOf = (row) => (row.flag ? ($(row.key).checked ? '1' : '0') : $(row.key).value);
function setWord(row, word) {
  if (row.flag) $(row.key).checked = word === '1';
  else $(row.key).value = word;
}

let engine = null;
let lang = SOURCE_LANGUAGE;
let shownError = null; // the engine's Czech message on show, translated on each language switch
let shown = null; // what the output shows: { inputs, words, offersLoopFiller, loopWords, ... }
let engineFailed = false;
const view = createLineView($('output'));

function readInputs() {
  const inputs = { countCallReturn: $(COUNT_CALL_RETURN).checked, choices: {} };
  for (const field of TEXT_FIELDS) inputs[field] = $(field).value;
  for (const row of CHOICES) inputs.choices[row.key] = wordOf(row);
  return inputs;
}

function writeInputs(inputs) {
  for (const field of TEXT_FIELDS) $(field).value = inputs[field];
  $(COUNT_CALL_RETURN).checked = inputs.countCallReturn;
  for (const row of CHOICES) setWord(row, inputs.choices[row.key]);
  showDelayCaption();
}

/** The delay field's caption for the choices on show, from the engine once it is ready. */
function showDelayCaption() {
  if (!engine) return;
  const result = engine.delayCaption(readInputs().choices);
  if (!result.ok) return;
  const label = $('delay').labels[0];
  label.dataset.m = result.caption;
  label.textContent = message(lang, result.caption);
}

/** Sets an element's text only when it changes, so that an alert is not announced again. */
function show(id, value) {
  if ($(id).textContent !== value) $(id).textContent = value;
}

function render() {
  document.documentElement.lang = lang;
  for (const element of document.querySelectorAll('[data-t]')) {
    element.textContent = tr(lang, element.dataset.t);
  }
  for (const element of document.querySelectorAll('[data-m]')) {
    const text = message(lang, element.dataset.m);
    element.textContent = 'short' in element.dataset ? shortCaption(text) : text;
  }
  for (const element of document.querySelectorAll('[data-m-label]')) {
    element.setAttribute('aria-label', message(lang, element.dataset.mLabel));
  }
  // The button names the language it switches to in that language.
  const next = nextLanguage(lang);
  $('language').textContent = tr(next, 'language');
  $('language').lang = next;
  $('language').setAttribute('aria-label', tr(next, 'languageLabel'));
  show('status', engine || engineFailed ? '' : tr(lang, 'loading'));
  const error = engineFailed ? tr(lang, 'engineFailed') : shownError && message(lang, shownError);
  show('error', error || '');
  $('summary').classList.toggle('empty', !shown);
  show('words', shown ? trCount(lang, 'words', shown.words) : '');
  const hint = shown && shown.offersLoopFiller;
  $('loop-hint').hidden = !hint;
  show('loop-words', hint ? trCount(lang, 'loopWords', shown.loopWords) : '');
  $('copy').disabled = $('download').disabled = !shown;
}

/** Where a computation leaves the address: a new history entry, the current one, or as it is. */
const HISTORY = { push: 'push', replace: 'replace', keep: 'keep' };

function compute(inputs, history) {
  performance.clearMarks('kavrin-engine-start');
  performance.clearMeasures('kavrin-engine');
  performance.mark('kavrin-engine-start');
  const result = engine.compute(inputs);
  performance.measure('kavrin-engine', 'kavrin-engine-start');
  show('notice', '');
  if (!result.ok) {
    // The output keeps what it showed.
    shownError = result.message;
    render();
    return;
  }
  shownError = null;
  view.setText(result.routine);
  shown = {
    inputs,
    words: result.words,
    loopWords: result.loopWords,
    offersLoopFiller: result.offersLoopFiller,
    loopFiller: result.loopFiller,
    fileExtension: result.fileExtension,
  };
  render();
  const fragment = toFragment(inputs, lang);
  if (history === HISTORY.push && location.hash !== fragment) {
    window.history.pushState(null, '', fragment);
  } else if (history !== HISTORY.keep) {
    window.history.replaceState(null, '', fragment);
  }
}

// How many of the routine's lines must be in sight after a computation.
const LINES_IN_SIGHT = 3;

/** Whether `top`..`bottom` (viewport coordinates) lie inside the viewport. */
function inViewport(top, bottom) {
  return top >= 0 && bottom <= document.documentElement.clientHeight;
}

/**
 * Scrolls the page, only when needed, so that the message or the routine's first lines are in
 * sight: a message by as little as shows all of it, a routine to its panel's top. The focus stays.
 */
function bringAnswerIntoSight() {
  const behavior = matchMedia('(prefers-reduced-motion: reduce)').matches ? 'auto' : 'smooth';
  if (shownError) {
    const box = $('error').getBoundingClientRect();
    if (!inViewport(box.top, box.bottom)) $('error').scrollIntoView({ block: 'nearest', behavior });
    return;
  }
  const output = $('output');
  const style = getComputedStyle(output);
  const box = output.getBoundingClientRect();
  const linesBottom = Math.min(box.bottom, box.top + parseFloat(style.borderTopWidth)
    + parseFloat(style.paddingTop) + LINES_IN_SIGHT * parseFloat(style.lineHeight));
  if (!inViewport(box.top, linesBottom)) {
    output.closest('.result').scrollIntoView({ block: 'start', behavior });
  }
}

/** Lets the browser keep the site for use without the network; a page from disk needs none. */
function keepForOffline() {
  if (!location.protocol.startsWith('http') || !('serviceWorker' in navigator)) return;
  // Without it the page works as before, only not offline.
  navigator.serviceWorker.register('sw.js').catch(() => {});
}

/** Shows what the address holds: its inputs computed, or the defaults and an empty output. */
function followAddress(history) {
  const { inputs } = fromFragment(location.hash);
  if (inputs) {
    writeInputs(inputs);
    if (engine) compute(inputs, history);
    return;
  }
  writeInputs(DEFAULTS);
  shown = null;
  shownError = null;
  view.setText('');
  render();
}

function setLanguage(next) {
  lang = next;
  show('notice', '');
  render();
  const { inputs } = fromFragment(location.hash);
  let fragment = lang === SOURCE_LANGUAGE ? '' : '#lang=' + lang;
  if (inputs) fragment = toFragment(inputs, lang);
  window.history.replaceState(null, '', fragment || location.pathname + location.search);
}

function notice(value) {
  show('notice', value);
}

async function copyOutput() {
  const routine = view.value;
  try {
    await navigator.clipboard.writeText(routine);
  } catch {
    // Without the asynchronous clipboard (an older browser, or no permission) the copy command
    // does the same, its copy event handed the text: selecting the worst case in a hidden text
    // area takes seconds, past the click's user activation, and then copies nothing.
    const put = (event) => {
      event.clipboardData.setData('text/plain', routine);
      event.preventDefault();
      event.stopImmediatePropagation();
    };
    document.addEventListener('copy', put, true);
    const copied = document.execCommand('copy');
    document.removeEventListener('copy', put, true);
    if (!copied) return notice(tr(lang, 'copyFailed'));
  }
  notice(tr(lang, 'copied'));
}

function downloadOutput() {
  const name = fileNameFor(shown.inputs.label, shown.fileExtension);
  // The file ends in a line feed, as kavrin-cli's output does.
  const url = URL.createObjectURL(new Blob([view.value + '\n'], { type: 'text/plain' }));
  const link = document.createElement('a');
  link.href = url;
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
  notice(fill(tr(lang, 'downloaded'), name));
}

function start() {
  performance.mark('kavrin-page-start');
  const address = fromFragment(location.hash);
  if (address.lang) lang = address.lang;
  if (address.inputs) writeInputs(address.inputs);
  render();

  $('form').addEventListener('submit', (event) => {
    event.preventDefault();
    if (!engine) return;
    compute(readInputs(), HISTORY.push);
    bringAnswerIntoSight();
  });
  $('language').addEventListener('click', () => setLanguage(nextLanguage(lang)));
  $('copy').addEventListener('click', copyOutput);
  $('download').addEventListener('click', downloadOutput);
  $('switch-loop').addEventListener('click', () => {
    setWord(CHOICES.find((row) => row.key === shown.loopFiller.key), shown.loopFiller.word);
    compute(readInputs(), HISTORY.push);
    $('output').focus();
  });
  for (const row of CHOICES) $(row.key).addEventListener('change', showDelayCaption);
  window.addEventListener('popstate', () => followAddress(HISTORY.keep));

  const ready = typeof createKavrinEngine === 'function'
    ? createKavrinEngine() // eslint-disable-line no-undef
    : Promise.reject(new Error('kavrin-engine.js is missing'));
  ready.then(
    (module) => {
      engine = module;
      // One small computation now, so that the first click does not pay the module's first call.
      engine.compute(DEFAULTS);
      $('compute').disabled = false;
      performance.mark('kavrin-ready');
      showDelayCaption();
      render();
      if (fromFragment(location.hash).inputs) followAddress(HISTORY.replace);
      keepForOffline();
    },
    () => {
      engineFailed = true;
      render();
    },
  );
}

start();
