// Runs on the audio thread: hands the microphone's samples to the page in blocks, every
// sample once, and computes nothing.
'use strict';

const BLOCK = 4096;

class SpeedTap extends AudioWorkletProcessor {
  constructor() {
    super();
    this.block = new Float32Array(BLOCK);
    this.filled = 0;
  }

  process(inputs) {
    const channel = inputs[0] && inputs[0][0];
    if (channel) {
      let at = 0;
      while (at < channel.length) {
        const take = Math.min(channel.length - at, BLOCK - this.filled);
        this.block.set(channel.subarray(at, at + take), this.filled);
        this.filled += take;
        at += take;
        if (this.filled === BLOCK) {
          this.port.postMessage(this.block, [this.block.buffer]);
          this.block = new Float32Array(BLOCK);
          this.filled = 0;
        }
      }
    }
    return true;
  }
}

registerProcessor('speed-tap', SpeedTap);
