// Plays the music the show's audio output queued, and tells the page how much of it is gone,
// heard or dropped by a jump (the page keeps about 200 ms queued). Silence when the queue
// runs dry.
class TavrineMusic extends AudioWorkletProcessor {
  constructor() {
    super();
    this.chunks = [];  // [left, right] Float32Array pairs
    this.offset = 0;
    this.played = 0;
    this.unreported = 0;
    this.port.onmessage = (event) => {
      if (event.data === 'clear') {
        for (const [left] of this.chunks) this.played += left.length;
        this.played -= this.offset;
        this.chunks = [];
        this.offset = 0;
        this.port.postMessage(this.played);
      } else {
        this.chunks.push(event.data);
      }
    };
  }

  process(inputs, outputs) {
    const left = outputs[0][0];
    const right = outputs[0][1] || left;
    let done = 0;
    while (done < left.length && this.chunks.length > 0) {
      const [chunkLeft, chunkRight] = this.chunks[0];
      const count = Math.min(chunkLeft.length - this.offset, left.length - done);
      left.set(chunkLeft.subarray(this.offset, this.offset + count), done);
      right.set(chunkRight.subarray(this.offset, this.offset + count), done);
      done += count;
      this.offset += count;
      if (this.offset === chunkLeft.length) {
        this.chunks.shift();
        this.offset = 0;
      }
    }
    this.played += done;
    this.unreported += left.length;
    if (this.unreported >= 512) {
      this.port.postMessage(this.played);
      this.unreported = 0;
    }
    return true;
  }
}

registerProcessor('tavrine-music', TavrineMusic);
