// Message boxes as a modal <dialog> over the page: caption as its heading,
// the text with its line breaks, "OK" or "Yes"/"No". Enter takes the first
// button, Escape the box's escape answer (No, or OK). Every box is also one
// console line "CAPTION: TEXT" and an entry of globalThis.elka.dialogs.
mergeInto(LibraryManager.library, {
  $elkaDialog: {
    pending: null, // the open box's answer, a promise

    // The look of the box; the page may restyle it through these ids.
    addStyle: function() {
      if (document.getElementById('elka-dialog-style'))
        return;
      var style = document.createElement('style');
      style.id = 'elka-dialog-style';
      style.textContent =
          '#elka-dialog { font: 15px sans-serif; min-width: 18em; max-width: 36em; padding: 1em 1.4em; ' +
          'border: 1px solid #888; border-radius: 6px; color: #111; background: #f4f4f4; }' +
          '#elka-dialog::backdrop { background: rgba(0, 0, 0, 0.45); }' +
          '#elka-dialog-caption { font-size: 1.1em; margin: 0 0 0.6em; }' +
          '#elka-dialog-text { white-space: pre-wrap; margin: 0 0 1.2em; }' +
          '#elka-dialog .elka-dialog-buttons { text-align: right; }' +
          '#elka-dialog button { min-width: 5em; margin-left: 0.5em; }';
      document.head.appendChild(style);
    },

    // Shows the box; the answer comes through elkaDialog.pending.
    show: function(text, caption, style, record) {
      var icons = {16: 'stop', 48: 'exclamation', 64: 'information'};
      var asks = (style & 0x0F) === 4;
      var buttons = asks ? [['Yes', 6], ['No', 7]] : [['OK', 1]];
      var escapeAnswer = asks ? 7 : 1;

      elkaDialog.addStyle();
      var box = document.createElement('dialog');
      box.id = 'elka-dialog';
      box.className = 'elka-dialog elka-dialog-' + (icons[style & 0xF0] || 'plain');
      box.setAttribute('aria-labelledby', 'elka-dialog-caption');
      box.setAttribute('aria-describedby', 'elka-dialog-text');
      var heading = document.createElement('h2');
      heading.id = 'elka-dialog-caption';
      heading.textContent = caption;
      var body = document.createElement('p');
      body.id = 'elka-dialog-text';
      body.textContent = text;
      var row = document.createElement('div');
      row.className = 'elka-dialog-buttons';
      box.append(heading, body, row);

      var settle;
      elkaDialog.pending = new Promise(function(resolve) {
        settle = resolve;
      });
      var answered = false;
      function answer(code) {
        if (answered)
          return;
        answered = true;
        record.answer = code;
        box.close();
        box.remove();
        elkaDialog.pending = null;
        settle(code);
      }
      buttons.forEach(function(button, i) {
        var element = document.createElement('button');
        element.type = 'button';
        element.textContent = button[0];
        element.setAttribute('data-answer', String(button[1]));
        if (i === 0)
          element.autofocus = true;
        element.addEventListener('click', function() {
          answer(button[1]);
        });
        row.appendChild(element);
      });
      // The box has the keys while it is up, as a desktop box has: none
      // reaches the page's own key handlers.
      box.addEventListener('keydown', function(event) {
        event.stopPropagation();
        if (event.key === 'Enter') {
          event.preventDefault();
          answer(buttons[0][1]);
        } else if (event.key === 'Escape') {
          event.preventDefault();
          answer(escapeAnswer);
        }
      });
      box.addEventListener('keyup', function(event) {
        event.stopPropagation();
      });
      box.addEventListener('cancel', function(event) {
        event.preventDefault();
        answer(escapeAnswer);
      });
      document.body.appendChild(box);
      box.showModal();
    },
  },

  // 1 when the box is up (its answer then comes from elkaDialog.pending),
  // 0 where the page cannot show one.
  elka_dialog_open__deps: ['$elkaDialog'],
  elka_dialog_open: function(textPtr, captionPtr, style) {
    var text = UTF8ToString(textPtr);
    var caption = UTF8ToString(captionPtr);
    console.error(caption + ': ' + text);
    var page = globalThis.elka = globalThis.elka || {};
    page.dialogs = page.dialogs || [];
    var record = {caption: caption, text: text, style: style, answer: null};
    page.dialogs.push(record);
    // The fixed-rate mode is the page's capture run: like the capture
    // tool without a display, it takes the first button and goes on.
    if (page.fixedRate > 0 || typeof document === 'undefined' || !document.body ||
        typeof HTMLDialogElement !== 'function' ||
        typeof HTMLDialogElement.prototype.showModal !== 'function') {
      record.answer = (style & 0x0F) === 4 ? 6 : 1;
      return 0;
    }
    try {
      elkaDialog.show(text, caption, style, record);
    } catch (e) {
      record.answer = (style & 0x0F) === 4 ? 6 : 1;
      var stale = document.getElementById('elka-dialog');
      if (stale)
        stale.remove();
      return 0;
    }
    return 1;
  },
});
