// The page's script: it moves texts between the form and the core and shows what the core
// returns. Every number and every page comes from the core.
'use strict';

(function () {
  const textFields = ['pivot', 'inner', 'outer', 'correction-x', 'correction-y', 'arm-id',
    'null-inner', 'null-outer',
    'strobe-rpm', 'strobe-hz', 'measured-x', 'measured-y'];
  const notedFields = ['pivot', 'inner', 'outer', 'correction-x', 'correction-y', 'null-inner',
    'null-outer', 'strobe-hz',
    'measured-x', 'measured-y'];
  const downloads = {
    'download-template': ['template', 'template'],
    'download-strobe-60': ['strobe-60', 'strobe-60hz'],
    'download-strobe-50': ['strobe-50', 'strobe-50hz'],
    'download-strobe-speed': ['strobe-speed', 'strobe-speed'],
  };
  const $ = (id) => document.getElementById(id);

  function start(core) {
    // Strings cross into the core as NUL-terminated UTF-8 on its heap.
    function withStrings(texts, use) {
      const pointers = texts.map((text) => {
        const size = core.lengthBytesUTF8(text) + 1;
        const pointer = core._malloc(size);
        core.stringToUTF8(text, pointer, size);
        return pointer;
      });
      try {
        return use(...pointers);
      } finally {
        pointers.forEach((pointer) => core._free(pointer));
      }
    }
    const set = (name, text) => withStrings([name, text], core._vt_set);
    const get = (name) => core.UTF8ToString(withStrings([name], core._vt_get));
    const text = (f) => core.UTF8ToString(f());

    function loadForm() {
      textFields.forEach((id) => { $(id).value = get(id); });
      $('paper').value = get('paper');
      const checked = document.querySelector('input[name="alignment"][value="' + get('alignment') + '"]');
      if (checked) checked.checked = true;
    }

    function showPeaks() {
      const body = $('peaks').tBodies[0];
      body.replaceChildren();
      text(core._vt_peaks).split('\n').filter((line) => line).forEach((line) => {
        const cells = line.split('\t');
        const row = body.insertRow();
        if (cells[1] === '1') row.className = 'chosen';
        const name = document.createElement('th');
        name.scope = 'row';
        name.textContent = cells[0] + (cells[1] === '1' ? ' (chosen)' : '');
        row.appendChild(name);
        cells.slice(2).forEach((value) => { row.insertCell().textContent = value; });
      });
    }

    function showSvg(element, svg) {
      element.innerHTML = svg;
      element.classList.toggle('empty', !svg);
    }

    function update() {
      $('summary').textContent = text(core._vt_summary);
      notedFields.forEach((id) => {
        $(id + '-note').textContent = withStrings([id], (name) => core.UTF8ToString(core._vt_reading_note(name)));
      });
      $('calibration').value = text(core._vt_calibration);
      $('strobe-rings').value = text(core._vt_strobe_rings);
      showSvg($('template-preview'), text(core._vt_template_svg));
      showSvg($('chart'), text(core._vt_chart_svg));
      showPeaks();
    }

    function download(button) {
      const [what, name] = downloads[button.id];
      const size = withStrings([what], core._vt_download);
      $('download-message').value = text(core._vt_message);
      if (size === 0) return;
      const start = core._vt_result();
      const bytes = core.HEAPU8.slice(start, start + size);
      const link = document.createElement('a');
      link.href = URL.createObjectURL(new Blob([bytes], { type: 'application/pdf' }));
      link.download = name + '.pdf';
      document.body.appendChild(link);
      link.click();
      link.remove();
      setTimeout(() => URL.revokeObjectURL(link.href), 60000);
    }

    textFields.forEach((id) => {
      $(id).addEventListener('input', () => { set(id, $(id).value); update(); });
    });
    $('paper').addEventListener('change', () => { set('paper', $('paper').value); update(); });
    document.querySelectorAll('input[name="alignment"]').forEach((option) => {
      option.addEventListener('change', () => { set('alignment', option.value); update(); });
    });
    document.querySelectorAll('button[data-preset]').forEach((button) => {
      button.addEventListener('click', () => {
        withStrings([button.dataset.preset], core._vt_preset);
        loadForm();
        update();
      });
    });
    Object.keys(downloads).forEach((id) => {
      $(id).addEventListener('click', () => download($(id)));
    });
    $('apply-calibration').addEventListener('click', () => {
      if (core._vt_apply_calibration()) {
        loadForm();
        update();
      }
    });

    loadForm();
    update();
    document.body.dataset.ready = 'true';
  }

  createVeltrane().then(start, (error) => {
    $('summary').textContent = 'This browser could not start the calculator: ' + error;
  });
})();
