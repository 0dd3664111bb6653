// The page's script: it moves texts between the form and the core and shows what the core
// returns. Every number, check and page comes from the core.
'use strict';

(function () {
  const textFields = ['pivot', 'effective-length', 'inner', 'outer', 'null-inner', 'null-outer',
    'arm-id', 'chart-rpm', 'margin', 'strobe-rpm', 'strobe-hz', 'strobe-outer', 'strobe-inner',
    'strobe-caption1', 'strobe-caption2', 'measured-x', 'measured-y', 'correction-x',
    'correction-y', 'overhang-range', 'offset-range'];
  const selects = ['paper', 'format', 'criterion'];
  const optionGroups = ['alignment', 'arm-by'];
  const formNames = [...textFields, ...selects, ...optionGroups];
  // Fields whose problems stop the summary, as they stop veltrane-cli summary.
  const armFields = ['pivot', 'effective-length', 'inner', 'outer', 'null-inner', 'null-outer',
    'alignment', 'arm-id'];
  // Fields whose problems only the search for the optimum finds, with the previews.
  const limitFields = ['overhang-range', 'offset-range'];
  const mimeTypes = { pdf: 'application/pdf', svg: 'image/svg+xml', csv: 'text/csv' };
  const storageKey = 'veltrane-form';
  const previewDelayMs = 250;
  const $ = (id) => document.getElementById(id);
  const downloadButtons = [...document.querySelectorAll('button[data-download]')];

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
    const text = (f, ...args) => core.UTF8ToString(f(...args));
    const textOf = (f, name) => core.UTF8ToString(withStrings([name], f));
    const initial = Object.fromEntries(formNames.map((name) => [name, get(name)]));

    function loadForm() {
      textFields.forEach((id) => { $(id).value = get(id); });
      selects.forEach((id) => { $(id).value = get(id); });
      optionGroups.forEach((name) => {
        document.querySelectorAll('input[name="' + name + '"]').forEach((option) => {
          option.checked = option.value === get(name);
        });
      });
    }

    // Shows the fields the current choices read and hides the others.
    function showChosenFields() {
      document.querySelectorAll('[data-shown-with]').forEach((element) => {
        const [name, value] = element.dataset.shownWith.split('=');
        element.hidden = get(name) !== value;
      });
      $('result-length-name').textContent =
        get('arm-by') === 'length' ? 'Pivot to spindle' : 'Effective length';
    }

    function problems() {
      const found = new Map();
      text(core._vt_problems).split('\n').filter((line) => line).forEach((line) => {
        const tab = line.indexOf('\t');
        // A field shows its first problem, the one veltrane-cli would name.
        if (!found.has(line.slice(0, tab))) found.set(line.slice(0, tab), line.slice(tab + 1));
      });
      return found;
    }

    function markInvalid(field, invalid) {
      if (invalid) field.setAttribute('aria-invalid', 'true');
      else field.removeAttribute('aria-invalid');
    }

    function showProblems(found) {
      document.querySelectorAll('.note[id$="-note"]').forEach((note) => {
        const id = note.id.slice(0, -'-note'.length);
        if (id === 'paper') return;  // the paper's note is the warning of what it cuts off
        if (limitFields.includes(id)) return;
        note.textContent = found.get(id) || '';
        if ($(id)) markInvalid($(id), found.has(id));
      });
      const armProblems = armFields.filter((id) => found.has(id)).map((id) => found.get(id));
      if (armProblems.length) {
        $('summary').textContent = armProblems.join('\n');
      } else {
        $('summary').textContent = text(core._vt_summary);
      }
      const values = armProblems.length ? [] : text(core._vt_card).split('\t');
      const shown = (i) => values[i] || '–';
      $('result-nulls').textContent = shown(1) + ' / ' + shown(2);
      $('result-length').textContent = get('arm-by') === 'length' ? shown(0) : shown(3);
      $('result-overhang').textContent = shown(4);
      $('result-offset').textContent = shown(5);
      $('result').classList.toggle('stale', armProblems.length > 0);
    }

    // A download whose inputs have a problem is disabled, and the message says why.
    function showDownloadStates() {
      const reasons = new Map();
      downloadButtons.forEach((button) => {
        const why = textOf(core._vt_download_problem, button.dataset.download);
        button.disabled = why !== '';
        if (why) reasons.set(why, [...(reasons.get(why) || []), button.textContent]);
      });
      $('download-message').value = [...reasons].map(([why, names]) =>
        names.join(', ') + ': not until ' + why + '.').join('\n');
      const paperProblem = problems().get('paper');
      $('paper-note').value = paperProblem || textOf(core._vt_paper_warning, 'template');
      markInvalid($('paper'), Boolean(paperProblem));
    }

    function update() {
      showChosenFields();
      showProblems(problems());
      showDownloadStates();
      $('calibration').value = text(core._vt_calibration);
      $('apply-calibration').disabled = !/^correction_x = /.test($('calibration').value) ||
        $('measured-x').hasAttribute('aria-invalid') || $('measured-y').hasAttribute('aria-invalid');
      $('strobe-rings').value = text(core._vt_strobe_rings);
      saveForm();
      schedulePreviews();
    }

    // ---- what may follow a moment later: the pictures, the tables, the saved inputs ----

    let previewTimer = 0;
    function schedulePreviews() {
      clearTimeout(previewTimer);
      previewTimer = setTimeout(showPreviews, previewDelayMs);
    }

    function chartWidth() {
      return Math.round($('chart').clientWidth);
    }

    function showTables() {
      const peaks = $('peaks').tBodies[0];
      const tolerance = $('tolerance').tBodies[0];
      peaks.replaceChildren();
      tolerance.replaceChildren();
      const peakColumns = [...$('peaks').tHead.rows[0].cells].map((cell) => cell.textContent);
      const toleranceColumns = [...$('tolerance').tHead.rows[0].cells].map((cell) => cell.textContent);
      text(core._vt_analysis_tables).split('\n').filter((line) => line).forEach((line) => {
        const [, name, chosen, ...figures] = line.split('\t');
        [[peaks, figures.slice(0, 5), peakColumns], [tolerance, figures.slice(5), toleranceColumns]]
          .forEach(([body, cells, columns]) => {
            const row = body.insertRow();
            if (chosen === '1') row.className = 'chosen';
            const head = document.createElement('th');
            head.scope = 'row';
            head.textContent = name + (chosen === '1' ? ' (chosen)' : '');
            row.appendChild(head);
            cells.forEach((value, i) => {
              const cell = row.insertCell();
              cell.textContent = value;
              cell.dataset.label = columns[i + 1];
            });
          });
      });
      $('peaks-rpm').textContent = $('chart-rpm').hasAttribute('aria-invalid')
        ? '33 1/3' : $('chart-rpm').value.trim();
    }

    function showPreviews() {
      clearTimeout(previewTimer);
      const chartOk = !armFields.some((id) => $(id) && $(id).hasAttribute('aria-invalid'));
      $('chart').innerHTML = chartOk ? text(core._vt_screen_chart, chartWidth()) : '';
      $('chart').classList.toggle('empty', !chartOk);
      if (readoutX !== null) readAt(readoutX);
      showTables();
      $('template-preview').innerHTML = chartOk ? text(core._vt_template_svg) : '';
      $('template-preview').classList.toggle('empty', !chartOk);
      showOptimum();
    }

    // ---- the optimum within the arm's limits ----

    function showOptimum() {
      const found = new Map();
      text(core._vt_optimum).split('\n').filter((line) => line).forEach((line) => {
        const tab = line.indexOf('\t');
        if (!found.has(line.slice(0, tab))) found.set(line.slice(0, tab), line.slice(tab + 1));
      });
      limitFields.forEach((id) => {
        $(id + '-note').textContent = found.get(id) || '';
        markInvalid($(id), found.has(id));
      });
      const report = textOf(core._vt_optimum_report, 'text');
      $('optimum').value = report || [...found.values()][0] || '';
      $('optimum').dataset.json = textOf(core._vt_optimum_report, 'json');
      const why = report ? text(core._vt_optimum_nulls_problem) : [...found.values()][0] || '';
      $('use-optimum').disabled = why !== '';
      $('use-optimum-reason').value = why ? why[0].toUpperCase() + why.slice(1) + '.' : '';
    }

    // ---- the chart's readout ----

    let readoutX = null;
    function readAt(x) {
      const svg = $('chart').querySelector('svg');
      if (!svg) return;
      readoutX = x;
      const answer = text(core._vt_chart_readout, chartWidth(), x);
      const tab = answer.indexOf('\t');
      const cursor = svg.querySelector('.chart-cursor');
      cursor.setAttribute('x1', answer.slice(0, tab));
      cursor.setAttribute('x2', answer.slice(0, tab));
      cursor.setAttribute('visibility', 'visible');
      $('chart-readout').value = answer.slice(tab + 1);
    }
    function pointerAt(event) {
      const svg = $('chart').querySelector('svg');
      if (svg) readAt(event.clientX - svg.getBoundingClientRect().left);
    }
    $('chart').addEventListener('pointermove', pointerAt);
    $('chart').addEventListener('pointerdown', pointerAt);
    $('chart').addEventListener('keydown', (event) => {
      const step = chartWidth() / 60;
      const moves = { ArrowLeft: -step, ArrowRight: step, Home: -Infinity, End: Infinity };
      if (!(event.key in moves)) return;
      event.preventDefault();
      const from = readoutX === null ? chartWidth() / 2 : readoutX;
      readAt(Math.max(0, Math.min(chartWidth(), from + moves[event.key])));
    });
    let width = 0;
    window.addEventListener('resize', () => {
      if (chartWidth() !== width) {
        width = chartWidth();
        schedulePreviews();
      }
    });

    // ---- downloads ----

    function download(button) {
      const what = button.dataset.download;
      const size = withStrings([what], core._vt_download);
      if (size === 0) {
        $('download-message').value = textOf(core._vt_download_problem, what) ||
          'This browser could not make the file.';
        return;
      }
      const start = core._vt_download_bytes();
      const bytes = core.HEAPU8.slice(start, start + size);
      const name = textOf(core._vt_download_name, what);
      const link = document.createElement('a');
      link.href = URL.createObjectURL(new Blob([bytes], { type: mimeTypes[name.split('.').pop()] }));
      link.download = name;
      document.body.appendChild(link);
      link.click();
      link.remove();
      setTimeout(() => URL.revokeObjectURL(link.href), 60000);
      $('download-message').value = 'Saved ' + name + '.';
    }

    // ---- keeping and sharing the inputs ----

    function changedTexts() {
      return formNames.filter((name) => get(name) !== initial[name]).map((name) => [name, get(name)]);
    }

    function saveForm() {
      const texts = changedTexts();
      $('share-link').href = location.href.split('#')[0] + '#' + new URLSearchParams(texts);
      try {
        localStorage.setItem(storageKey, JSON.stringify(Object.fromEntries(texts)));
      } catch (error) {
        // Storage refused (a private window, a full disk): the inputs are not kept.
      }
    }

    // A choice the page does not offer (from an old or edited link) is left as it is.
    function offered(name, text) {
      if (selects.includes(name)) return [...$(name).options].some((option) => option.value === text);
      if (optionGroups.includes(name)) {
        return [...document.querySelectorAll('input[name="' + name + '"]')]
          .some((option) => option.value === text);
      }
      return true;
    }

    function adopt(texts) {
      formNames.forEach((name) => {
        if (typeof texts[name] === 'string' && offered(name, texts[name])) set(name, texts[name]);
      });
    }

    function restoreForm() {
      try {
        adopt(JSON.parse(localStorage.getItem(storageKey) || '{}') || {});
      } catch (error) {
        // Nothing kept, or not ours.
      }
      adoptLink();
    }

    // Inputs carried by a link (after "#") take the place of those kept; the address then
    // loses them, so that a reload shows what was typed since.
    function adoptLink() {
      if (location.hash.length < 2) return;
      adopt(Object.fromEntries(new URLSearchParams(location.hash.slice(1))));
      try {
        history.replaceState(null, '', location.href.split('#')[0]);
      } catch (error) {
        // Some file:// pages may not rewrite their address; the inputs are taken anyway.
      }
    }

    // ---- the form's events ----

    function changed(name, value) {
      set(name, value);
      if (/^(measured|correction)-/.test(name)) $('calibration-applied').value = '';
      update();
    }
    textFields.forEach((id) => {
      $(id).addEventListener('input', () => changed(id, $(id).value));
    });
    selects.forEach((id) => {
      $(id).addEventListener('change', () => changed(id, $(id).value));
    });
    optionGroups.forEach((name) => {
      document.querySelectorAll('input[name="' + name + '"]').forEach((option) => {
        option.addEventListener('change', () => changed(name, option.value));
      });
    });
    document.querySelectorAll('button[data-preset]').forEach((button) => {
      button.addEventListener('click', () => {
        withStrings([button.dataset.preset], core._vt_preset);
        loadForm();
        update();
      });
    });
    downloadButtons.forEach((button) => {
      button.addEventListener('click', () => download(button));
    });
    $('apply-calibration').addEventListener('click', () => {
      if (core._vt_apply_calibration()) {
        loadForm();
        update();
        $('calibration-applied').value = 'Applied: the correction factors are now X = ' +
          get('correction-x') + ' and Y = ' + get('correction-y') +
          '. Print the template again and measure it once more.';
      }
    });
    $('use-optimum').addEventListener('click', () => {
      showOptimum();  // the form may have changed since the previews
      if (core._vt_use_optimum()) {
        loadForm();
        update();
      }
    });
    window.addEventListener('hashchange', () => {
      adoptLink();
      loadForm();
      update();
      showPreviews();
    });

    restoreForm();
    loadForm();
    update();
    width = chartWidth();
    showPreviews();
    document.body.dataset.ready = 'true';
  }

  // Installing and working offline need a page served over http(s); from file:// neither
  // can work, and asking would only log errors.
  if (/^https?:$/.test(location.protocol)) {
    const manifest = document.createElement('link');
    manifest.rel = 'manifest';
    manifest.href = 'manifest.webmanifest';
    document.head.appendChild(manifest);
    if ('serviceWorker' in navigator) {
      // A new version's worker takes over at once; the page then reloads into that version.
      const updating = Boolean(navigator.serviceWorker.controller);
      navigator.serviceWorker.addEventListener('controllerchange', () => {
        if (updating) location.reload();
      });
      navigator.serviceWorker.register('service-worker.js').catch(() => {});
    }
  }

  createVeltrane().then(start, (error) => {
    $('summary').textContent = 'This browser could not start the calculator: ' + error;
  });
})();
