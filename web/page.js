// The page around the show: the start button (browsers play sound only after a click), the
// canvas, the keys, the music's audio context and the show's message boxes. The program
// (tavrine.js and tavrine.wasm, with the content in tavrine.data) reaches all of it through
// Module.tavrinePage.
//
// The address may ask for more: ?start=40 begins at timeline position 40 (0 to 122); &fps=60
// runs the offline clock (1000/60 ms per frame, whatever the browser's rate), so that the
// frames are those `tavrine-tool frame` renders; &hold stays on the first frame; &loop starts
// again at the end; &keys lets Space pause and Left and Right jump a segment.
//
// window.tavrine tells a test (or a curious viewer) how the show is doing.
'use strict';

(function () {
  const screen = document.getElementById('screen');
  const context2d = screen.getContext('2d', { alpha: false });
  const startPanel = document.getElementById('start');
  const startButton = document.getElementById('start-button');
  const box = document.getElementById('box');

  const query = new URLSearchParams(window.location.search);
  const args = [];
  const start = Number(query.get('start'));
  if (query.has('start') && Number.isFinite(start) && start >= 0 && start <= 122) args.push('--start', String(start));
  const fps = Number(query.get('fps'));
  if (query.has('fps') && Number.isFinite(fps) && fps >= 1 && fps <= 1000) args.push('--fps', String(fps));
  for (const flag of ['hold', 'loop', 'keys']) if (query.has(flag)) args.push('--' + flag);

  const state = {
    state: 'waiting',  // waiting, loading, running, held, finished, failed
    frames: 0,
    position: 0,
    segment: 0,
    musicSeconds: 0,
    exitCode: null,
    box: null,
    audio: { state: 'none', rate: 0, written: 0, played: 0 },
    times: { clicked: 0, firstFrame: 0, running: 0, finished: 0 },
    resume() { holding = false; },
  };
  window.tavrine = state;

  let holding = args.includes('--hold');
  const keys = [];
  let image = null;

  // ---- Music ------------------------------------------------------------------------
  // Made at the click, as browsers ask; the worklet plays what the show queues. Without a
  // worklet (a page not served from a secure origin), a script processor plays it instead.
  const audio = {
    context: null,
    node: null,
    port: null,
    queue: [],  // for the script processor
    queueOffset: 0,

    async prepare() {
      try {
        this.context = new AudioContext({ sampleRate: 44100 });
        if (this.context.audioWorklet) {
          await this.context.audioWorklet.addModule('audio-worklet.js');
          this.node = new AudioWorkletNode(this.context, 'tavrine-music', { outputChannelCount: [2] });
          this.port = this.node.port;
          this.port.onmessage = (event) => { state.audio.played = event.data; };  // heard or dropped
        } else {
          this.node = this.context.createScriptProcessor(2048, 0, 2);
          this.node.onaudioprocess = (event) => this.pull(event.outputBuffer);
        }
        this.node.connect(this.context.destination);
        await this.context.resume();
        state.audio.state = this.context.state;
        state.audio.rate = this.context.sampleRate;
        const context = this.context;
        context.onstatechange = () => { state.audio.state = context.state; };
      } catch (error) {
        console.log('no audio: the show plays silently (' + error + ')');
        this.context = null;
      }
    },

    pull(buffer) {
      const left = buffer.getChannelData(0);
      const right = buffer.getChannelData(1);
      left.fill(0);
      right.fill(0);
      let done = 0;
      while (done < left.length && this.queue.length > 0) {
        const [chunkLeft, chunkRight] = this.queue[0];
        const count = Math.min(chunkLeft.length - this.queueOffset, left.length - done);
        left.set(chunkLeft.subarray(this.queueOffset, this.queueOffset + count), done);
        right.set(chunkRight.subarray(this.queueOffset, this.queueOffset + count), done);
        done += count;
        this.queueOffset += count;
        if (this.queueOffset === chunkLeft.length) {
          this.queue.shift();
          this.queueOffset = 0;
        }
      }
      state.audio.played += done;
    },

    open(rate) {
      return this.context !== null && this.context.sampleRate === rate;
    },

    queued() {
      return Math.max(0, state.audio.written - state.audio.played);
    },

    write(interleaved, frames) {
      const left = new Float32Array(frames);
      const right = new Float32Array(frames);
      for (let i = 0; i < frames; ++i) {
        left[i] = interleaved[2 * i] / 32768;
        right[i] = interleaved[2 * i + 1] / 32768;
      }
      if (this.port) this.port.postMessage([left, right], [left.buffer, right.buffer]);
      else this.queue.push([left, right]);
      state.audio.written += frames;
    },

    // A jump: what is queued is dropped (and counted as gone).
    flush() {
      if (this.port) {
        this.port.postMessage('clear');
      } else {
        for (const [left] of this.queue) state.audio.played += left.length;
        state.audio.played -= this.queueOffset;
        this.queue = [];
        this.queueOffset = 0;
      }
    },

    pause(paused) {
      if (!this.context) return;
      if (paused) this.context.suspend();
      else this.context.resume();
    },

    close() {
      if (!this.context) return;
      if (this.port) this.port.postMessage('clear');
      this.queue = [];
      this.node.disconnect();
      this.context.close();
      this.context = null;
    },
  };

  // ---- What the program calls -------------------------------------------------------
  const page = {
    audio,
    hasScreen() { return context2d !== null; },
    openWindow(title) {
      if (title) document.title = title;
      screen.hidden = false;
    },
    draw(rgba, width, height) {
      if (!image || image.width !== width || image.height !== height) image = context2d.createImageData(width, height);
      image.data.set(rgba);
      context2d.putImageData(image, 0, 0);
      if (!state.times.firstFrame) state.times.firstFrame = performance.now();
    },
    // The browser's next frame; in a hidden tab, which gets no frames, a timer instead, so
    // that the music goes on (and a wait that began just before the tab was hidden ends).
    nextFrame() {
      return new Promise((resolve) => {
        let done = false;
        const finish = () => {
          if (!done) resolve();
          done = true;
        };
        if (!document.hidden) requestAnimationFrame(finish);
        setTimeout(finish, document.hidden ? 16 : 100);
      });
    },
    idle(ms) {
      return new Promise((resolve) => {
        const timer = setTimeout(done, ms);
        function done() {
          clearTimeout(timer);
          window.removeEventListener('keydown', done);
          resolve();
        }
        window.addEventListener('keydown', done);
      });
    },
    holding() {
      state.state = holding ? 'held' : 'running';
      return holding;
    },
    nextKey() { return keys.length > 0 ? keys.shift() : -1; },
    showCursor(show) { screen.classList.toggle('no-cursor', !show); },
    messageBox(caption, text) {
      console.log(caption + ': ' + text);
      state.box = { caption, text };
      document.getElementById('box-caption').textContent = caption;
      document.getElementById('box-text').textContent = text;
      box.hidden = false;
      document.getElementById('box-ok').focus();
    },
    hideScreen() { screen.hidden = true; },
    status(s) {
      state.frames = s.frames;
      state.position = s.position;
      state.segment = s.segment;
      state.musicSeconds = s.musicSeconds;
      if (s.running && !state.times.running) state.times.running = performance.now();
      if (s.running && state.state === 'loading') state.state = 'running';
    },
    finished(code) {
      state.exitCode = code;
      state.state = 'finished';
      state.times.finished = performance.now();
      screen.hidden = true;
    },
  };

  // ---- The page's own controls ------------------------------------------------------
  window.addEventListener('keydown', (event) => {
    if (state.state !== 'loading' && state.state !== 'running' && state.state !== 'held') return;
    keys.push(event.key === 'Escape' ? 27 : event.keyCode);
    // The show's keys are the show's: Space and the arrows do not scroll the page.
    if ([' ', 'Escape', 'ArrowLeft', 'ArrowRight'].includes(event.key)) event.preventDefault();
  });
  screen.addEventListener('dblclick', () => {
    if (document.fullscreenElement) document.exitFullscreen();
    else document.documentElement.requestFullscreen().catch(() => {});
  });
  // Once the show is over, OK brings back the start; a box during the show only goes away.
  document.getElementById('box-ok').addEventListener('click', () => {
    if (state.state === 'finished' || state.state === 'failed') window.location.reload();
    else box.hidden = true;
  });

  startButton.addEventListener('click', async () => {
    startButton.disabled = true;
    state.times.clicked = performance.now();
    state.state = 'loading';
    await audio.prepare();
    startPanel.hidden = true;
    window.Module = {
      arguments: args,
      tavrinePage: page,
      print: (text) => console.log(text),
      printErr: (text) => console.warn(text),
      onAbort: (what) => {
        state.state = 'failed';
        page.messageBox('Tavrine 3D', 'The show stopped: ' + what);
      },
    };
    const script = document.createElement('script');
    script.src = 'tavrine.js';
    script.onerror = () => {
      state.state = 'failed';
      page.messageBox('Tavrine 3D', 'The show could not be loaded.');
    };
    document.body.appendChild(script);
  });
})();
