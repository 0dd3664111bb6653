// The page's speed measurement: moves a recording's bytes, or the microphone's samples, into
// the core and shows the figures it returns. Every figure comes from the core.
'use strict';

(function () {
  const $ = (id) => document.getElementById(id);
  const CHUNK = 1 << 20;
  const SHOW_EVERY_MS = 400;

  function start(core) {
    const result = $('speed-result');
    const listen = $('speed-listen');
    let live = null;

    const show = (text) => { result.textContent = text; };
    const encoder = new TextEncoder();
    // Bytes cross into the core through its input buffer.
    function give(bytes, call) {
      const pointer = core._vt_speed_input(bytes.length);
      core.HEAPU8.set(bytes, pointer);
      return call(bytes.length);
    }
    // The boxes' texts and the file's name go to the core, which reads them; '' or why it
    // cannot.
    function begin(sampleRate, name) {
      const texts = encoder.encode($('speed-tone').value + '\n' + $('speed-rpm').value + '\n' +
        name.replace(/\n/g, ' '));
      return core.UTF8ToString(give(texts, () => core._vt_speed_begin(sampleRate)));
    }

    async function stopListening() {
      if (!live) return;
      const { stream, context, timer } = live;
      live = null;
      clearInterval(timer);
      stream.getTracks().forEach((track) => track.stop());
      await context.close();
      listen.textContent = 'Listen';
      listen.setAttribute('aria-pressed', 'false');
    }

    async function measureFile(file) {
      await stopListening();
      const problem = begin(0, file.name);
      if (problem) return show(problem);
      show('Measuring ' + file.name + '…');
      for (let at = 0; at < file.size; at += CHUNK) {
        const bytes = new Uint8Array(await file.slice(at, at + CHUNK).arrayBuffer());
        give(bytes, core._vt_speed_bytes);
      }
      show(core.UTF8ToString(core._vt_speed_result(1)));
    }

    async function startListening() {
      const problem = begin(48000, '');
      if (problem) return show(problem);
      const stream = await navigator.mediaDevices.getUserMedia({
        audio: { echoCancellation: false, noiseSuppression: false, autoGainControl: false,
          channelCount: 1 },
      });
      const context = new AudioContext();
      await context.audioWorklet.addModule('speed-worklet.js');
      const source = context.createMediaStreamSource(stream);
      const tap = new AudioWorkletNode(context, 'speed-tap', { numberOfOutputs: 0 });
      begin(context.sampleRate, '');
      tap.port.onmessage = (event) => {
        const samples = event.data;
        give(new Uint8Array(samples.buffer, samples.byteOffset, samples.byteLength),
          () => core._vt_speed_samples(samples.length));
      };
      source.connect(tap);
      const timer = setInterval(() => {
        show(core.UTF8ToString(core._vt_speed_result(0)));
      }, SHOW_EVERY_MS);
      live = { stream, context, timer };
      listen.textContent = 'Stop listening';
      listen.setAttribute('aria-pressed', 'true');
      show('Listening: play the test tone.');
    }

    $('speed-file').addEventListener('change', (event) => {
      const file = event.target.files[0];
      if (file) measureFile(file).catch((error) => show('Problem: ' + error));
    });
    listen.addEventListener('click', () => {
      const action = live ? stopListening() : startListening();
      action.catch((error) => show('Problem: the microphone could not be used (' + error + ').'));
    });
    document.getElementById('speed-section').dataset.ready = 'true';
  }

  createVeltrane().then(start, (error) => {
    $('speed-result').textContent = 'This browser could not start the measurement: ' + error;
  });
})();
