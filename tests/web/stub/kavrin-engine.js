// A stand-in for the WebAssembly engine with the same contract, for working on the page before
// the real engine is built. Its routines are not real ones: only their shape and size are.
function createKavrinEngine() {
  function number(text) {
    const t = text.replace(/,/g, '.').replace(/^\s+/, '');
    return /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/.test(t) ? Number(t) : null;
  }
  function name(text) {
    if (text === '') return 'Empty';
    if (/[\uD800-\uDFFF]/.test(text)) return 'Invalid';
    return new TextEncoder().encode(text).length > 255 ? 'TooLong' : '';
  }
  const messages = {
    counterEmpty: 'Jméno proměné musí být vyplněno',
    counterInvalid: 'Jméno proměné obsahuje neplatné znaky',
    counterTooLong: 'Jméno proměné může mít nejvýše 255 bajtů',
    labelEmpty: 'Jméno smyčky musí být vyplněno',
    labelInvalid: 'Jméno smyčky obsahuje neplatné znaky',
    labelTooLong: 'Jméno smyčky může mít nejvýše 255 bajtů',
  };
  function compute(r) {
    const f = number(r.frequency);
    if (f === null) return { ok: false, message: 'Frekvence oscilátoru mosí být číslo' };
    const d = number(r.delay);
    if (d === null) return { ok: false, message: 'Spoždění musí být číslo' };
    const c = name(r.counter);
    if (c) return { ok: false, message: messages['counter' + c] };
    const l = name(r.label);
    if (l) return { ok: false, message: messages['label' + l] };
    const cycles = Math.floor((f * d * 1000) / 4) - (r.countCallReturn ? 4 : 0);
    if (!(cycles >= 10)) return { ok: false, message: 'Příliš malé spoždění' };
    if (cycles > 83000000) return { ok: false, message: 'Příliš velké spoždění' };
    const gotos = r.filler === 'goto' ? Math.floor((cycles % 195075) / 2) : 0;
    const lines = ['; Stub routine: ' + cycles + ' cycles, ' + r.core + ', ' + r.syntax, '', r.label];
    lines.push('\tMOVLW\tD\'1\'', '\tMOVWF\t' + r.counter + '1');
    for (let i = 0; i < gotos; i++) lines.push('\tgoto $+1');
    lines.push(r.core === 'baseline' ? 'RETLW 0' : 'RETURN');
    return { ok: true, routine: lines.join('\n'), words: gotos + 3,
             fillerInstructions: r.filler === 'goto' ? gotos : 5, loopWords: 11 };
  }
  return new Promise((resolve) => setTimeout(() => resolve({ compute }), 20));
}
