// The output view: a read-only text in blocks of lines, each with `content-visibility: auto`, so
// the browser lays out only the blocks in sight (a 97 550-line routine costs a few of them, not
// every line), while selection, find in page and keyboard scrolling stay the browser's own. The
// element's `value` is the whole text, as a text area's would be; select-all and copy take the
// whole text, or the selected part of it, from that string rather than from the layout.

// Large enough that the worst-case routine is about a hundred elements, small enough that the one
// or two blocks in sight lay out in a millisecond or two.
const LINES_PER_BLOCK = 1024;

export function createLineView(element) {
  let text = '';
  let blockStarts = []; // the text offset where each block starts
  let lineHeight = 0;
  const lines = document.createElement('div');
  lines.className = 'lines';
  element.append(lines);

  Object.defineProperty(element, 'value', { get: () => text, configurable: true });

  function measureLineHeight() {
    const probe = document.createElement('div');
    probe.textContent = 'X';
    lines.append(probe);
    const height = probe.getBoundingClientRect().height;
    probe.remove();
    return height || 18;
  }

  function setText(value) {
    text = value;
    if (!lineHeight) {
      lineHeight = measureLineHeight();
      // A full block's height until it is first laid out, from the style sheet (cheaper than a
      // style on each block); the last, shorter block gets its own.
      lines.style.setProperty('--block-height', `${LINES_PER_BLOCK * lineHeight}px`);
    }
    const fragment = document.createDocumentFragment();
    blockStarts = [];
    for (let start = 0, end = 0; text !== '' && end < text.length; start = end + 1) {
      // A block holds up to LINES_PER_BLOCK lines; the line feed after its last line is the
      // break between two blocks, which the layout gives.
      let count = 1;
      for (end = start; ; end++, count++) {
        end = text.indexOf('\n', end);
        if (end < 0 || count === LINES_PER_BLOCK) break;
      }
      if (end < 0) end = text.length;
      const block = document.createElement('div');
      block.className = 'block';
      if (count < LINES_PER_BLOCK) block.style.containIntrinsicHeight = `auto ${count * lineHeight}px`;
      const body = text.slice(start, end);
      if (body === '') {
        // A lone empty line still takes its line's height.
        block.textContent = '\u200b';
        block.dataset.empty = '';
      } else {
        block.textContent = body;
      }
      fragment.append(block);
      blockStarts.push(start);
    }
    lines.replaceChildren(fragment);
    element.scrollTop = 0;
    element.scrollLeft = 0;
  }

  /** The text offset of a selection boundary, or null when it is not inside a block's text. */
  function offsetOf(node, offset) {
    if (node === lines) {
      return offset >= lines.children.length ? text.length : blockStarts[offset];
    }
    const block = node.nodeType === Node.TEXT_NODE ? node.parentNode : node;
    if (!block || block.parentNode !== lines) return null;
    const index = Array.prototype.indexOf.call(lines.children, block);
    if (block.dataset.empty !== undefined) return blockStarts[index];
    if (node.nodeType === Node.TEXT_NODE) return blockStarts[index] + offset;
    return offset === 0 ? blockStarts[index] : blockStarts[index] + block.textContent.length;
  }

  function selectedText() {
    const selection = document.getSelection();
    if (!selection || selection.rangeCount === 0 || selection.isCollapsed) return null;
    const range = selection.getRangeAt(0);
    if (!lines.contains(range.commonAncestorContainer) && range.commonAncestorContainer !== lines) {
      return null;
    }
    const from = offsetOf(range.startContainer, range.startOffset);
    const to = offsetOf(range.endContainer, range.endOffset);
    return from === null || to === null ? null : text.slice(from, to);
  }

  element.addEventListener('keydown', (event) => {
    if ((event.ctrlKey || event.metaKey) && !event.altKey && event.key.toLowerCase() === 'a') {
      event.preventDefault();
      document.getSelection().selectAllChildren(lines);
    }
  });
  element.addEventListener('copy', (event) => {
    const part = selectedText();
    if (part === null) return;
    event.clipboardData.setData('text/plain', part);
    event.preventDefault();
  });

  return { setText, get value() { return text; } };
}
