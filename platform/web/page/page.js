// The web page around the game: it loads the module, the atlas and the start
// sound, keeps the 100 ms timer, presents the picture on animation frames,
// turns pointer events into the game's mouse and keys and gamepad buttons into
// the key map's names, pauses when the page is not seen, and runs the menu bar.
//
// With ?test=1 in the address the real-time timer never runs: window.aveluneTest
// then drives the game tick by tick, exactly as the headless host is driven.
// ?test=live keeps the timer and still offers the calls that only read.
(() => {
  'use strict';

  const kWidth = 632, kHeight = 440;      // the picture a player sees
  const kSettingsKey = 'avelune.settings';
  const query = new URLSearchParams(location.search);
  const testMode = query.get('test');     // null, "1" (scripted) or "live"
  const scripted = testMode === '1';

  const canvas = document.getElementById('screen');
  const context = canvas.getContext('2d', { alpha: false });
  const image = context.createImageData(kWidth, kHeight);
  const stage = document.getElementById('stage');
  const card = document.getElementById('card');
  const cardText = document.getElementById('card-text');
  const atlasInput = document.getElementById('atlas-file');

  const timings = { start: performance.now() };
  window.aveluneTimings = timings;

  let module = null;          // the game's wasm module
  let atlas = null;           // { bytes: ArrayBuffer, name, own } the game runs on
  let builtin = null;         // the atlas the page ships
  let paused = false;         // the player's pause (or the page's, when unseen)
  let running = false;
  let timerHandle = 0;
  let presentPending = false;
  let scale = 1;
  let picture = { width: kWidth, height: kHeight };  // the picture's size in device pixels
  const screenApi = window.aveluneScreen;  // fill mode and the touch controls (touch.js)
  let audio = null;           // AudioContext, once created
  const sounds = new Map();   // file name -> AudioBuffer (or a promise of one)
  const soundBytes = new Map();

  // ---- Settings ----------------------------------------------------------
  const settings = { scale: 'auto', muted: false, soundCues: false, powerPitch: true };
  try {
    const saved = JSON.parse(localStorage.getItem(kSettingsKey) || '{}');
    // A scale the Game menu offers.
    if (saved.scale === 'auto' || (Number.isInteger(saved.scale) &&
        document.querySelector(`[data-command="scale"][data-scale="${saved.scale}"]`))) {
      settings.scale = saved.scale;
    }
    if (typeof saved.muted === 'boolean') settings.muted = saved.muted;
    if (typeof saved.soundCues === 'boolean') settings.soundCues = saved.soundCues;
    if (typeof saved.powerPitch === 'boolean') settings.powerPitch = saved.powerPitch;
  } catch (e) {
    console.warn('Avelune: the saved settings cannot be read, so the defaults apply:', e);
  }
  function saveSettings() {
    try {
      localStorage.setItem(kSettingsKey, JSON.stringify(settings));
    } catch (e) {
      console.warn('Avelune: the settings cannot be saved:', e);
    }
  }

  // ---- Data: inflated from the page itself or fetched beside it ----------
  function base64Bytes(text) {
    const binary = atob(text.replace(/\s+/g, ''));
    const bytes = new Uint8Array(binary.length);
    for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
    return bytes;
  }
  async function inflate(stream, name) {
    try {
      return await new Response(stream.pipeThrough(new DecompressionStream('deflate'))).arrayBuffer();
    } catch (e) {
      throw new Error(`${name}.z cannot be inflated (${e && e.message ? e.message : e})`);
    }
  }
  async function loadData(name) {
    const inline = document.getElementById('data-' + name);
    if (inline) return inflate(new Blob([base64Bytes(inline.textContent)]).stream(), name);
    const response = await fetch(name + '.z');
    if (!response.ok) throw new Error(`${name}.z could not be fetched (${response.status} ${response.statusText})`);
    return inflate(response.body, name);
  }

  // ---- Sound -------------------------------------------------------------
  function audioContext() {
    if (!audio) {
      try {
        audio = new AudioContext();
      } catch (e) {
        console.warn('Avelune: no audio here, the game goes on in silence:', e);
        audio = null;
      }
    }
    return audio;
  }
  // Sounds are decoded ahead, without the page's audio context (a browser
  // keeps one made before the first gesture suspended): an offline context
  // at the file's own rate decodes without resampling.
  function wavRate(bytes) {
    const view = new DataView(bytes);
    const riff = bytes.byteLength >= 28 && view.getUint32(0) === 0x52494646 && view.getUint32(8) === 0x57415645;
    const rate = riff ? view.getUint32(24, true) : 0;
    return rate >= 8000 && rate <= 96000 ? rate : 44100;
  }
  function decodeSound(name) {
    const bytes = soundBytes.get(name);
    if (!bytes) return null;
    if (!sounds.has(name)) {
      let decoding;
      try {
        decoding = new OfflineAudioContext(1, 1, wavRate(bytes)).decodeAudioData(bytes.slice(0));
      } catch (e) {
        decoding = Promise.reject(e);
      }
      sounds.set(name, decoding.then(
        (buffer) => { sounds.set(name, buffer); return buffer; },
        (e) => { console.warn(`Avelune: the sound ${name} cannot be played:`, e); sounds.set(name, null); return null; }));
    }
    return sounds.get(name);
  }
  function startSound(name) {
    // Whatever goes wrong here, the game goes on in silence.
    if (settings.muted) return;
    const ctx = audioContext();
    const sound = decodeSound(name);
    if (!ctx || !sound) return;
    const play = (buffer) => {
      if (!buffer) return;
      const source = ctx.createBufferSource();
      source.buffer = buffer;
      source.connect(ctx.destination);
      source.start();
      timings.soundStarted = performance.now();
    };
    if (sound instanceof AudioBuffer) play(sound); else sound.then(play);
  }

  // ---- Dialogs -----------------------------------------------------------
  function showMessage(text) {
    const dialog = document.getElementById('message');
    document.getElementById('message-text').textContent = text;
    closeMenus();
    if (dialog.open) dialog.close();
    dialog.showModal();
  }
  function showAbout() {
    const dialog = document.getElementById('about');
    for (let i = 0; i < 3; ++i) {
      document.getElementById('about-line-' + i).textContent = module.UTF8ToString(module._avelune_about_line(i));
    }
    dialog.showModal();
  }
  function dialogOpen() {
    return document.querySelector('dialog[open]') !== null;
  }
  // Asks before something that throws a flight away; true for OK.
  function ask(text, yes) {
    return new Promise((resolve) => {
      const dialog = document.getElementById('confirm');
      // One question at a time: while one is open, a second is a no.
      if (dialog.open) return resolve(false);
      document.getElementById('confirm-text').textContent = text;
      document.getElementById('confirm-yes').textContent = yes;
      closeMenus();
      dialog.returnValue = '';
      // The game holds until the question is answered.
      const hold = running && !paused;
      if (hold) setPaused(true);
      dialog.addEventListener('close', () => {
        if (hold) setPaused(false);
        resolve(dialog.returnValue === 'yes');
      }, { once: true });
      dialog.showModal();
    });
  }
  // True at once when no approach is being flown, else the player's answer.
  function unlessFlying(text, yes) {
    if (!running || !module._avelune_in_flight()) return Promise.resolve(true);
    return ask(text, yes);
  }
  // A closed dialog gives the keys back to the game.
  for (const dialog of document.querySelectorAll('dialog')) {
    // The close event comes a moment late: where the player has gone since
    // (the browser gives the focus back itself), it stays.
    dialog.addEventListener('close', () => {
      const at = document.activeElement;
      if (!dialogOpen() && (!at || at === document.body || at.closest('dialog'))) giveFocusBack();
    });
  }

  // Back to where the player was before a menu or a dialog took the focus:
  // the picture while a game runs, else the card.
  function giveFocusBack() {
    const fallback = running ? canvas : card.hidden ? null : card;
    if (window.aveluneMenus) window.aveluneMenus.giveBack(fallback);
    else if (fallback) fallback.focus();
  }

  // ---- Beside the picture: what the game says, the title, power and pitch ----
  // The words come from the game (its recorder's marks and outcome) through
  // the module; the page only shows them.
  const announcer = document.getElementById('announce');
  const told = [];            // every sentence announced, for the tests
  let newsState = '';         // how the approach stands: "flying", "failed: glide slope", ...
  let saying = [], sayTimer = 0;
  function tellNews() {
    const text = module.UTF8ToString(module._avelune_news());
    if (!text) return;
    const news = JSON.parse(text);
    if (news.say.length) {
      told.push(...news.say);
      // Emptied, and filled a moment later: the same words twice are then
      // a change a screen reader hears twice.
      saying.push(...news.say);
      announcer.textContent = '';
      clearTimeout(sayTimer);
      sayTimer = setTimeout(() => {
        announcer.textContent = saying.join(' ');
        saying = [];
      }, 100);
    }
    newsState = news.state;
    showTitle();
    showNumbers(settings.powerPitch ? module.UTF8ToString(module._avelune_power_pitch()) : '');
  }
  function showTitle() {
    const state = paused ? 'paused' : newsState;
    const title = state ? `Avelune - ${state}` : 'Avelune';
    if (document.title !== title) document.title = title;
  }
  const numbers = document.getElementById('numbers');
  // Each figure ("Power 17", "Pitch -8") stays whole: on a narrow bar the
  // second goes under the first rather than being cut.
  function showNumbers(text) {
    if (numbers.dataset.text === text) return;
    numbers.dataset.text = text;
    numbers.replaceChildren(...text.split(/ {2,}/).filter((part) => part).flatMap((part, i) => {
      const figure = document.createElement('span');
      figure.textContent = part;
      return i ? [' ', figure] : [figure];
    }));
  }

  // ---- The sound cues: the game makes the samples, Web Audio plays them ----
  // An audio worklet plays the blocks the module made: it runs on the audio
  // thread, where the module is not, so it asks this page for each block
  // ahead (about 90 ms queued) and the page answers with the module's
  // samples. Where there is no audio worklet, a script processor asks the
  // module for each block as the audio needs it. A gain in front of the
  // speakers takes it to silence within a few milliseconds when the game is
  // paused, muted or not seen.
  let cueNode = null, cueGain = null, cueLoading = null;
  const kCueWorklet = `registerProcessor('avelune-cues', class extends AudioWorkletProcessor {
    constructor() {
      super();
      this.blocks = []; this.at = 0; this.queued = 0; this.asked = 0;
      this.port.onmessage = (e) => {
        if (e.data === 'stop') { this.stopped = true; return; }
        const frames = e.data.length / 2;
        this.asked -= frames;
        this.queued += frames;
        this.blocks.push(e.data);
      };
    }
    process(inputs, outputs) {
      const [left, right] = outputs[0];
      for (let i = 0; i < left.length; ++i) {
        const block = this.blocks[0];
        if (!block) { left[i] = right[i] = 0; continue; }
        left[i] = block[this.at] / 32768;
        right[i] = block[this.at + 1] / 32768;
        this.at += 2;
        --this.queued;
        if (this.at >= block.length) { this.blocks.shift(); this.at = 0; }
      }
      const want = 4096 - this.queued - this.asked;
      if (want >= 1024) { this.asked += want; this.port.postMessage(want); }
      return !this.stopped;
    }
  });`;
  function cueWorkletNode(ctx) {
    const node = new AudioWorkletNode(ctx, 'avelune-cues', { numberOfInputs: 0, outputChannelCount: [2] });
    node.port.onmessage = (event) => {
      const frames = event.data;
      const samples = cueFrames(frames);
      const block = samples ? Int16Array.from(samples) : new Int16Array(frames * 2);
      node.port.postMessage(block, [block.buffer]);
      timings.cueBlocks = (timings.cueBlocks || 0) + 1;
    };
    return node;
  }
  function scriptProcessorNode(ctx) {
    const node = ctx.createScriptProcessor(1024, 0, 2);
    node.onaudioprocess = (event) => {
      const out = event.outputBuffer;
      const left = out.getChannelData(0), right = out.getChannelData(1);
      const samples = cueFrames(out.length);
      if (!samples) {
        left.fill(0);
        right.fill(0);
        return;
      }
      for (let i = 0; i < out.length; ++i) {
        left[i] = samples[2 * i] / 32768;
        right[i] = samples[2 * i + 1] / 32768;
      }
    };
    return node;
  }
  // The worklet's code, loaded once per audio context.
  function cueModule(ctx) {
    if (!ctx.audioWorklet) return Promise.resolve(false);
    if (!cueLoading) {
      const url = URL.createObjectURL(new Blob([kCueWorklet], { type: 'text/javascript' }));
      cueLoading = ctx.audioWorklet.addModule(url).then(() => true, (e) => {
        console.warn('Avelune: no audio worklet here, a script processor plays the cues:', e);
        return false;
      }).finally(() => URL.revokeObjectURL(url));
    }
    return cueLoading;
  }
  function cuesAudible() {
    return !settings.muted && document.visibilityState === 'visible';
  }
  // The next `frames` stereo frames the game made (16-bit, interleaved), or
  // null when no cues play.
  function cueFrames(frames) {
    if (!running || !settings.soundCues) return null;
    const at = module._avelune_render_cues(frames, cuesAudible() ? 1 : 0);
    return at ? new Int16Array(module.HEAPU8.buffer, at, frames * 2) : null;
  }
  function cueLevel() {
    return running && settings.soundCues && cuesAudible() && !paused ? 1 : 0;
  }
  function applySoundCues() {
    const ctx = settings.soundCues ? audioContext() : audio;
    if (running) module._avelune_sound_cues(settings.soundCues && ctx ? 1 : 0, ctx ? ctx.sampleRate : 0);
    if (!ctx) return;
    if (settings.soundCues && !cueNode) {
      cueModule(ctx).then((worklet) => {
        if (!settings.soundCues || cueNode) return;  // switched off (or on again) meanwhile
        try {
          cueGain = ctx.createGain();
          cueGain.connect(ctx.destination);
          cueNode = worklet ? cueWorkletNode(ctx) : scriptProcessorNode(ctx);
          cueNode.connect(cueGain);
        } catch (e) {
          console.warn('Avelune: the sound cues cannot play here:', e);
          if (cueGain) cueGain.disconnect();
          cueNode = cueGain = null;
        }
        levelCues();
      });
    } else if (!settings.soundCues && cueNode) {
      if (cueNode.port) cueNode.port.postMessage('stop');  // the worklet ends
      cueNode.disconnect();
      cueGain.disconnect();
      cueNode = cueGain = null;
    }
    levelCues();
  }
  function levelCues() {
    if (cueGain) cueGain.gain.setTargetAtTime(cueLevel(), audio.currentTime, 0.002);
  }
  function toggleSoundCues() {
    settings.soundCues = !settings.soundCues;
    saveSettings();
    markChecked('sound-cues', settings.soundCues);
    if (settings.soundCues) resumeAudio();
    applySoundCues();
  }
  document.addEventListener('visibilitychange', levelCues);

  // ---- The game ----------------------------------------------------------
  function withString(text, use) {
    const bytes = new TextEncoder().encode(text);
    const at = module._malloc(bytes.length + 1);
    module.HEAPU8.set(bytes, at);
    module.HEAPU8[at + bytes.length] = 0;
    try {
      return use(at);
    } finally {
      module._free(at);
    }
  }
  // Builds a game on the bitmap file `bytes`; "" when it runs, else the
  // message that says why the atlas cannot serve (the old game then runs on).
  function startGame(bytes, name) {
    screenApi.releaseAll();
    const at = module._malloc(bytes.byteLength || 1);
    module.HEAPU8.set(new Uint8Array(bytes), at);  // a fresh view: the heap may have grown
    const error = withString(name, (namePtr) => module.UTF8ToString(module._avelune_start(at, bytes.byteLength, namePtr)));
    if (error) return error;
    running = true;
    card.hidden = true;
    heldKeys.clear();
    watchActive = false;
    watchBar.hidden = true;
    setPausedState(false);
    canvas.focus();
    newsState = '';
    applySoundCues();
    afterGame();
    return '';
  }
  function endGame(text) {
    clearTimeout(timerHandle);
    timerHandle = 0;
    module._avelune_stop();
    running = false;
    setPausedState(false);
    newsState = '';
    showNumbers('');
    showTitle();
    showCard(text);
    card.focus();  // Return starts again
  }
  // The player's quit (the quit lever's key, the drawer's quit, Game > Exit):
  // while an approach is flown it asks first.
  async function quitAsking() {
    if (await unlessFlying('Quitting ends the approach in flight.', 'Quit') && running) {
      endGame('Avelune has ended.\nClick to fly again.');
    }
  }
  // A key that would pull the quit lever while an approach is flown: the
  // page asks instead of handing it to the game.
  function asksToQuit(name) {
    if (!running || !module._avelune_in_flight()) return false;
    return withString(name, (at) => module._avelune_is_quit_input(0, at)) === 1;
  }
  function showCard(text) {
    // On a touch screen the player taps.
    cardText.textContent = screenApi.touch() ? text.replace(/\bClick\b/g, 'Tap') : text;
    card.hidden = false;
  }

  // Like the desktop's window timer: sleep until the tick is due; a tick that
  // comes late (the tab was hidden) is delivered once, and the next one falls
  // a period later.
  function schedule() {
    clearTimeout(timerHandle);
    timerHandle = 0;
    if (scripted || !running) return;
    const wait = module._avelune_wait_ms();
    if (wait >= 0) timerHandle = setTimeout(onTimer, wait);
  }
  function onTimer() {
    timerHandle = 0;
    if (!running) return;
    if (module._avelune_run_due_tick()) timings.ticks = (timings.ticks || 0) + 1;
    afterGame();
  }
  // After anything the game handled: quit, or wait for the next tick and show.
  function afterGame() {
    if (!running) return;
    if (module._avelune_quit_requested()) {
      present();
      endGame('Avelune has ended.\nClick to fly again.');
      return;
    }
    schedule();
    tellNews();
    if (watchActive) showWatch();
    if (module._avelune_ended_waiting()) keepEnded();
    if (scripted) present();
    else if (module._avelune_frame_pending()) requestPresent();  // nothing new: no frame
  }

  // ---- Flights: saved as a download, watched from a file ----------------------
  const watchBar = document.getElementById('watch');
  let watchActive = false;    // a flight was watched in this game: its bar shows
  function download(blob, name) {
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 10000);
  }
  function flightText() {
    return running ? module.UTF8ToString(module._avelune_flight_text()) : '';
  }
  function saveFlight() {
    const text = flightText();
    if (!text) return showMessage('No approach has been flown yet, so there is no flight to save.');
    download(new Blob([text], { type: 'text/plain' }), `avelune-${stamp()}.avflight`);
  }
  // Watches a flight file's text; shows why not when it cannot be watched.
  function watchText(text, name) {
    if (!running) {
      const error = startGame(atlas.bytes, atlas.name);
      if (error) return showMessage(error);
    }
    const error = withString(text, (t) => withString(name, (n) => module.UTF8ToString(module._avelune_watch(t, n))));
    if (error) return showMessage(error);
    module._avelune_watch_speed(1);
    watchActive = true;
    setPaused(false);
    afterGame();
  }
  async function watchFile(file) {
    if (!module) return;
    if (!await unlessFlying('Watching a flight ends the approach in flight.', 'Watch')) return;
    if (file.size > 64 * 1024 * 1024) return showMessage(`${file.name}: too large for a flight file.`);
    let text;
    try {
      text = await file.text();
    } catch (e) {
      return showMessage(`${file.name} cannot be read: ${e.message}`);
    }
    watchText(text, file.name);
  }
  function watchState() {
    return JSON.parse(module.UTF8ToString(module._avelune_watch_state()));
  }
  function showWatch() {
    const w = running ? watchState() : { replay: false };
    watchBar.hidden = !w.replay;
    if (!w.replay) return;
    const text = w.status === 'playing' ? `Watching: tick ${w.tick} of ${w.ticks} (${w.ending})`
      : w.status === 'matched' ? 'The flight replayed to its end.'
        : w.status === 'diverged' ? `It went its own way at tick ${w.divergedTick}: ${w.divergence}`
          : module._avelune_in_flight() ? 'Taken over: you are flying.' : 'Taken over: the approach has ended.';
    document.getElementById('watch-text').textContent = text;
    document.getElementById('watch-controls').hidden = !w.watching;
    for (const b of watchBar.querySelectorAll('[data-watch="speed"]')) {
      b.setAttribute('aria-pressed', String(Number(b.dataset.speed) === w.speed));
    }
    document.getElementById('watch-hold').textContent = w.held ? 'Play' : 'Pause';
    document.getElementById('watch-debrief').hidden = w.status !== 'matched';
  }
  watchBar.addEventListener('click', (event) => {
    const button = event.target.closest('[data-watch]');
    if (!button || !running) return;
    switch (button.dataset.watch) {
    case 'speed': module._avelune_watch_speed(Number(button.dataset.speed)); break;
    case 'hold': module._avelune_watch_hold(watchState().held ? 0 : 1); break;
    case 'step': module._avelune_watch_step(); break;
    case 'take-over': module._avelune_take_over(); break;
    case 'debrief': debriefLatest(); return;
    case 'close': {
      // A flight still playing (or one that went its own way and flies on)
      // is not left flying by itself: the game starts again at its title.
      // Taken over or ended, the game stays.
      const w = watchState();
      const unattended = w.watching || (w.status === 'diverged' && module._avelune_in_flight());
      module._avelune_stop_watching();
      watchActive = false;
      watchBar.hidden = true;
      if (unattended) {
        startGame(atlas.bytes, atlas.name);
        return;
      }
      break;
    }
    }
    canvas.focus();
    afterGame();
  });
  // ---- A flight as a link: #flight= the file deflated, in base64url ------------
  function toBase64Url(bytes) {
    let binary = '';
    for (let i = 0; i < bytes.length; i += 0x8000) binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
  }
  async function copyLink() {
    const text = flightText();
    if (!text) return showMessage('No approach has been flown yet, so there is no flight to share.');
    const packed = new Uint8Array(await new Response(
      new Blob([text]).stream().pipeThrough(new CompressionStream('deflate'))).arrayBuffer());
    const link = `${location.origin}${location.pathname}#flight=${toBase64Url(packed)}`;
    try {
      await navigator.clipboard.writeText(link);
      document.getElementById('status').textContent = 'Link copied';
      setTimeout(() => setPausedState(paused), 2000);
    } catch (e) {
      showMessage(`The link cannot be put in the clipboard here (${e.message}):\n${link}`);
    }
    return link;
  }
  // The flight a link carries: { text }, or { error } in the desktop's words
  // when the link is damaged or unpacks to more than a flight file may hold
  // (unpacked a piece at a time, never past that).
  const kMaxFlightBytes = 64 * 1024 * 1024;
  const kLinkRefused = 'The shared flight cannot be watched: ';
  async function linkedFlight(hash) {
    let packed;
    try {
      packed = base64Bytes(hash.replace(/-/g, '+').replace(/_/g, '/'));
    } catch (e) {
      return { error: kLinkRefused + 'the link carries no flight (its #flight= part is not base64url).' };
    }
    try {
      const reader = new Blob([packed]).stream().pipeThrough(new DecompressionStream('deflate')).getReader();
      const parts = [];
      let size = 0;
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        size += value.length;
        if (size > kMaxFlightBytes) {
          reader.cancel().catch(() => {});
          return { error: kLinkRefused + 'the link unpacks to more than a flight file may hold.' };
        }
        parts.push(value);
      }
      return { text: new TextDecoder('utf-8', { fatal: true }).decode(await new Blob(parts).arrayBuffer()) };
    } catch (e) {
      console.warn('Avelune: the shared flight cannot be unpacked:', e);
      return { error: kLinkRefused + "the link's flight is damaged (it does not unpack)." };
    }
  }
  let sharedFlight = null;    // { text } or { error } of a flight the address carries, until it is watched
  // Watches the flight a link carried (the game must run), or says why not.
  function watchShared(shared) {
    history.replaceState(null, '', location.pathname + location.search);
    if (shared.error) return showMessage(shared.error);
    watchText(shared.text, 'The shared flight');
  }
  // A link pasted into this tab's address: watched, after asking while an
  // approach is flown; before the first start the card offers it.
  // Only the newest of links pasted one after another counts, whichever
  // was read first; one question is asked, and its answer takes the newest.
  let linkCount = 0, linkAsking = false, newestLink = null;
  window.addEventListener('hashchange', async () => {
    if (!module || !location.hash.startsWith('#flight=')) return;
    const count = ++linkCount;
    const shared = await linkedFlight(location.hash.slice(8));
    if (count !== linkCount) return;
    newestLink = shared;
    if (!running) {
      sharedFlight = shared;
      showCard(scripted ? 'Test mode' : 'Click to watch the shared flight');
      return;
    }
    if (linkAsking) return;
    linkAsking = true;
    // Another question open (a restart, say): this one waits for its answer.
    const confirm = document.getElementById('confirm');
    if (confirm.open) await new Promise((resolve) => confirm.addEventListener('close', resolve, { once: true }));
    const watch = await unlessFlying('Watching the shared flight ends the approach in flight.', 'Watch');
    linkAsking = false;
    if (!watch) {
      history.replaceState(null, '', location.pathname + location.search);
      return;
    }
    watchShared(newestLink);
  });

  const flightInput = document.getElementById('flight-file');
  flightInput.addEventListener('change', () => {
    const file = flightInput.files[0];
    flightInput.value = '';
    if (file) watchFile(file);
  });

  // ---- The logbook (IndexedDB: its text and each flight) and the debrief ----
  const kLogbookFormat = 'avelune-logbook';
  function localWhen() {
    const d = new Date();
    const two = (n) => String(n).padStart(2, '0');
    return `${d.getFullYear()}-${two(d.getMonth() + 1)}-${two(d.getDate())}T${two(d.getHours())}:${two(d.getMinutes())}:${two(d.getSeconds())}`;
  }
  let logbookWrites = Promise.resolve();
  // An approach the player finished goes into the logbook with its flight.
  function keepEnded() {
    const text = withString(localWhen(), (when) => module.UTF8ToString(module._avelune_take_ended(when)));
    if (!text) return;
    const ended = JSON.parse(text);
    logbookWrites = logbookWrites.then(() => atlasStore('readwrite', (store) => {
      const book = store.get('logbook');
      book.onsuccess = () => store.put((typeof book.result === 'string' ? book.result : '') + ended.line + '\n', 'logbook');
      store.put(ended.flight, 'flight:' + ended.name);
      return book;
    })).catch((e) => console.warn('Avelune: the approach cannot be kept in the logbook:', e));
  }
  async function readKept(key) {
    await logbookWrites;
    try {
      const value = await atlasStore('readonly', (store) => store.get(key));
      return typeof value === 'string' ? value : null;
    } catch (e) {
      console.warn('Avelune: the logbook cannot be read:', e);
      return null;
    }
  }
  // Draws a debrief plot's primitives as the cairo back end does; in a
  // window narrower than the plot, smaller with its shape kept, so that it
  // reads without scrolling sideways (the dialog's frame is 48 px narrower
  // than the window, less a scroll bar's width where it scrolls down).
  const kLeastText = 11;
  function drawPlot(plot, target) {
    const ratio = window.devicePixelRatio || 1;
    const room = document.documentElement.clientWidth - 48;
    let fit = Math.min(1, room / plot.width);
    if (plot.height * fit > window.innerHeight - 150) fit = Math.min(fit, (room - 16) / plot.width);
    fit = Math.max(0.1, fit);
    // On a phone the text stays at least 11 CSS px (the plot then pans in
    // its frame): the smallest words are drawn no smaller than that.
    if (matchMedia('(pointer: coarse)').matches) {
      const smallest = Math.min(...plot.items.filter((it) => it.k === 3).map((it) => it.s));
      if (Number.isFinite(smallest)) fit = Math.max(fit, Math.min(1, kLeastText / smallest));
    }
    target.width = Math.round(plot.width * fit * ratio);
    target.height = Math.round(plot.height * fit * ratio);
    target.style.width = `${target.width / ratio}px`;
    target.style.height = `${target.height / ratio}px`;
    const g = target.getContext('2d');
    g.setTransform(ratio * fit, 0, 0, ratio * fit, 0, 0);
    g.lineJoin = 'round';
    g.lineCap = 'butt';
    for (const it of plot.items) {
      const p = it.p;
      if (p.length < 2) continue;
      const colour = `rgba(${it.c[0]},${it.c[1]},${it.c[2]},${it.c[3] / 255})`;
      if (it.k === 3) {
        g.save();
        g.font = `${it.b ? 'bold ' : ''}${it.s}px "DejaVu Sans", sans-serif`;
        g.fillStyle = colour;
        g.textAlign = ['left', 'center', 'right'][it.a] || 'left';
        g.textBaseline = 'alphabetic';
        g.translate(p[0], p[1]);
        if (it.v) g.rotate(-Math.PI / 2);
        g.fillText(it.t, 0, 0);
        g.restore();
        continue;
      }
      g.beginPath();
      g.moveTo(p[0], p[1]);
      for (let i = 2; i + 1 < p.length; i += 2) g.lineTo(p[i], p[i + 1]);
      if (it.k === 2) {
        g.closePath();
        g.fillStyle = colour;
        g.fill();
      } else {
        g.strokeStyle = colour;
        g.lineWidth = it.w;
        g.setLineDash(it.d ? [4, 3] : []);
        g.stroke();
      }
    }
  }
  // The summary and the advice as text too: read aloud by a screen reader,
  // and shown above the plot where the screen is too narrow to read its own.
  function showDebriefText(facts, advice) {
    const text = document.getElementById('debrief-text');
    const list = document.createElement('ul'), steps = document.createElement('ol');
    for (const [name, says] of facts) {
      const item = document.createElement('li'), label = document.createElement('b');
      label.textContent = name;
      item.append(label, ` ${says}`);
      list.append(item);
    }
    for (const sentence of advice) {
      const item = document.createElement('li');
      item.textContent = sentence;
      steps.append(item);
    }
    const heading = document.createElement('h3');
    heading.textContent = 'What to change next time';
    text.replaceChildren(list, ...(advice.length ? [heading, steps] : []));
  }
  function showDebrief(debrief, title) {
    showDebriefText(debrief.facts || [], debrief.advice || []);
    drawPlot(debrief.plot, document.getElementById('debrief-plot'));
    document.getElementById('debrief-title').textContent = title;
    closeMenus();
    const dialog = document.getElementById('debrief');
    dialog.showModal();
    // Its top first (the summary on a phone), though Close has the focus.
    dialog.scrollTop = 0;
  }
  function debriefLatest() {
    const json = running ? module.UTF8ToString(module._avelune_debrief()) : '';
    if (!json) return showMessage('No approach has arrived or failed yet, so there is nothing to debrief.');
    showDebrief(JSON.parse(json), 'Debrief of the latest approach');
  }
  function saveSamples() {
    const csv = running ? module.UTF8ToString(module._avelune_samples_csv()) : '';
    if (!csv) return showMessage('No approach has arrived or failed yet, so there are no samples to save.');
    download(new Blob([csv], { type: 'text/csv' }), `avelune-${stamp()}.csv`);
  }
  document.getElementById('debrief-csv').addEventListener('click', saveSamples);
  async function debriefFlight(name) {
    const text = await readKept('flight:' + name);
    if (text === null) return showMessage(`The flight ${name} is no longer kept, so it cannot be debriefed.`);
    const at = module._malloc(atlas.bytes.byteLength || 1);
    module.HEAPU8.set(new Uint8Array(atlas.bytes), at);
    const result = JSON.parse(withString(text, (t) => withString(name, (n) =>
      module.UTF8ToString(module._avelune_debrief_flight(t, n, at, atlas.bytes.byteLength)))));
    if (result.error) return showMessage(result.error);
    document.getElementById('logbook').close();
    showDebrief(result, `Debrief of ${name}`);
  }
  async function watchKept(name) {
    const text = await readKept('flight:' + name);
    if (text === null) return showMessage(`The flight ${name} is no longer kept, so it cannot be watched.`);
    document.getElementById('logbook').close();
    if (await unlessFlying('Watching a flight ends the approach in flight.', 'Watch')) watchText(text, name);
  }
  async function showLogbook() {
    const text = (await readKept('logbook')) || '';
    const book = JSON.parse(withString(text, (t) => module.UTF8ToString(module._avelune_logbook(t))));
    const body = document.querySelector('#logbook-table tbody');
    body.textContent = '';
    for (let i = book.entries.length - 1; i >= 0; --i) {
      const entry = book.entries[i];
      const row = body.insertRow();
      if (i === book.best) row.className = 'best';
      const heads = document.querySelectorAll('#logbook-table thead th');
      entry.cells.forEach((cell, c) => {
        const td = row.insertCell();
        td.textContent = cell;
        if (heads[c]) td.dataset.label = heads[c].textContent;
      });
      for (const [label, act] of [['Watch', watchKept], ['Debrief', debriefFlight]]) {
        const button = document.createElement('button');
        button.type = 'button';
        button.textContent = label;
        // Named with its approach: every row has a Watch and a Debrief.
        button.setAttribute('aria-label', `${label} the approach of ${entry.cells[0]}`);
        button.addEventListener('click', () => act(entry.flight));
        row.insertCell().appendChild(button);
      }
    }
    const n = book.entries.length;
    document.getElementById('logbook-count').textContent = `${n} ${n === 1 ? 'approach' : 'approaches'}; * marks the best.`;
    document.getElementById('logbook-notes').textContent = book.notes.join('\n');
    closeMenus();
    const dialog = document.getElementById('logbook');
    if (!dialog.open) dialog.showModal();
  }
  // The whole logbook with its flights as one file, and back.
  async function exportLogbook() {
    const text = (await readKept('logbook')) || '';
    const book = JSON.parse(withString(text, (t) => module.UTF8ToString(module._avelune_logbook(t))));
    const flights = {};
    for (const entry of book.entries) {
      const flight = await readKept('flight:' + entry.flight);
      if (flight !== null) flights[entry.flight] = flight;
    }
    const file = { format: kLogbookFormat, version: 1, logbook: text, flights };
    download(new Blob([JSON.stringify(file)], { type: 'application/json' }), `avelune-logbook-${stamp()}.json`);
  }
  async function importLogbook(file) {
    let data;
    try {
      data = JSON.parse(await file.text());
    } catch (e) {
      console.warn(`Avelune: ${file.name} is not JSON:`, e);
      return showMessage(`${file.name} is not an Avelune logbook export (the file Logbook > Export saves), so nothing was imported.`);
    }
    const flightsOk = data && typeof data.flights === 'object' && data.flights !== null
      && Object.entries(data.flights).every(([k, v]) => typeof v === 'string' && /^[\w.-]+$/.test(k));
    if (!data || data.format !== kLogbookFormat || typeof data.logbook !== 'string' || !flightsOk) {
      return showMessage(`${file.name} is not an Avelune logbook exported by this page.`);
    }
    const imported = JSON.parse(withString(data.logbook, (t) => module.UTF8ToString(module._avelune_logbook(t))));
    const have = (await readKept('logbook')) || '';
    const known = new Set(have.split('\n'));
    const lines = imported.entries.map((e) => e.line).filter((line) => !known.has(line));
    logbookWrites = logbookWrites.then(() => atlasStore('readwrite', (store) => {
      const book = store.get('logbook');
      book.onsuccess = () => store.put((typeof book.result === 'string' ? book.result : '') + lines.map((l) => l + '\n').join(''), 'logbook');
      for (const entry of imported.entries) {
        if (typeof data.flights[entry.flight] === 'string') store.put(data.flights[entry.flight], 'flight:' + entry.flight);
      }
      return book;
    }));
    try {
      await logbookWrites;
    } catch (e) {
      logbookWrites = Promise.resolve();
      return showMessage(`The logbook cannot be written: ${e.message}`);
    }
    await showLogbook();
    const skipped = imported.notes.length ? `\n${imported.notes.join('\n')}` : '';
    if (skipped) showMessage(`${lines.length} approaches added; lines that could not be read were left out:${skipped}`);
    else if (lines.length === 0) showMessage(`Nothing new: every entry of ${file.name} is in the logbook already.`);
  }
  const logbookInput = document.getElementById('logbook-file');
  document.getElementById('logbook-export').addEventListener('click', exportLogbook);
  document.getElementById('logbook-import').addEventListener('click', () => logbookInput.click());
  logbookInput.addEventListener('change', () => {
    const file = logbookInput.files[0];
    logbookInput.value = '';
    if (file) importLogbook(file);
  });

  function requestPresent() {
    if (presentPending) return;
    presentPending = true;
    requestAnimationFrame(() => {
      presentPending = false;
      present();
    });
  }
  function present() {
    if (!running) return;
    const at = module._avelune_frame();
    if (!at) return;
    // The heap's buffer is replaced when memory grows: take the view afresh.
    // Only the rows that changed are copied, only their rectangle is put.
    const [x, y, w, h] = [0, 1, 2, 3].map((i) => module._avelune_frame_rect(i));
    image.data.set(new Uint8Array(module.HEAPU8.buffer, at + y * kWidth * 4, h * kWidth * 4), y * kWidth * 4);
    context.putImageData(image, 0, 0, x, y, w, h);
    screenApi.drawFill(canvas, x, y, w, h);
    timings.frames = (timings.frames || 0) + 1;
    if (timings.firstPicture === undefined) {
      timings.firstPicture = performance.now();
      if (!scripted) setTimeout(installOffline, 2000);
    }
  }

  // ---- Pointer: mouse, pen and touch -------------------------------------
  function gameGetsPointer() {
    return running && !dialogOpen() && !menuOpen();
  }
  function deliver(kind, event) {
    if (!gameGetsPointer()) return;
    const box = canvas.getBoundingClientRect();
    const delivered = module._avelune_pointer_sized(kind, event.clientX - box.left, event.clientY - box.top,
      window.devicePixelRatio || 1, picture.width, picture.height);
    if (delivered) afterGame();
  }
  canvas.addEventListener('pointerdown', (event) => {
    if (event.button !== 0) return;
    event.preventDefault();
    canvas.setPointerCapture(event.pointerId);
    deliver(0, event);
  });
  canvas.addEventListener('pointerup', (event) => {
    if (event.button !== 0) return;
    deliver(1, event);
  });
  canvas.addEventListener('pointermove', (event) => deliver(2, event));
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());

  // ---- Pause: the player's (P, Game > Pause) and the page's when unseen ----
  // While paused no tick comes; a click on the picture or any key resumes
  // (and does nothing else), never the page by itself.
  function setPausedState(on) {
    paused = on;
    document.getElementById('status').textContent = on ? 'Paused' : '';
    markChecked('pause', on);
    showTitle();
    levelCues();
  }
  function setPaused(on) {
    if (!running || on === paused) return;
    module._avelune_pause(on ? 1 : 0);
    if (on) releaseKeys();
    setPausedState(on);
    afterGame();
  }
  function pauseUnseen() {
    releaseKeys();
    if (!scripted) setPaused(true);
  }
  document.addEventListener('visibilitychange', () => {
    if (!running) return;
    if (document.visibilityState !== 'visible') {
      pauseUnseen();
      return;
    }
    // Uncovered: the last picture again.
    module._avelune_redraw();
    afterGame();
  });
  window.addEventListener('blur', () => { if (running) pauseUnseen(); });

  // ---- Keys: named as the key map names them, by their place on the board --
  const kCodeNames = {
    ArrowUp: 'Up', ArrowDown: 'Down', ArrowLeft: 'Left', ArrowRight: 'Right', Home: 'Home', End: 'End',
    PageUp: 'PageUp', PageDown: 'PageDown', Insert: 'Insert', Delete: 'Delete', Enter: 'Return', Space: 'Space',
    Escape: 'Escape', Backspace: 'Backspace', Tab: 'Tab', NumpadEnter: 'KP_Enter', NumpadAdd: 'KP_Plus',
    NumpadSubtract: 'KP_Minus', NumpadMultiply: 'KP_Multiply', NumpadDivide: 'KP_Divide', NumpadDecimal: 'KP_Period',
    Comma: 'Comma', Period: 'Period', Slash: 'Slash', Semicolon: 'Semicolon', Minus: 'Minus', Equal: 'Equals',
    BracketLeft: 'LeftBracket', BracketRight: 'RightBracket', Pause: 'Pause',
  };
  function keyName(code) {
    if (kCodeNames[code]) return kCodeNames[code];
    let m;
    if ((m = /^Key([A-Z])$/.exec(code)) || (m = /^Digit([0-9])$/.exec(code))) return m[1];
    if ((m = /^Numpad([0-9])$/.exec(code))) return 'KP_' + m[1];
    if (/^F([1-9]|1[0-2])$/.test(code)) return code;
    return null;
  }
  const heldKeys = new Set();   // "key:Up", "button:A": inputs whose press acted
  function sendInput(down, device, name) {
    const acted = withString(name, (at) => module._avelune_key(down ? 1 : 0, device, at)) === 1;
    const id = (device === 0 ? 'key:' : 'button:') + name;
    if (down && acted) heldKeys.add(id);
    if (!down) heldKeys.delete(id);
    if (acted) afterGame();
    return acted;
  }
  function releaseKeys() {
    if (!running) return;
    screenApi.releaseAll();  // a finger still on a touch button lets go too
    heldKeys.clear();
    module._avelune_release_keys();
    afterGame();
  }
  // The game has the keyboard when the picture (or nothing) has the focus.
  function gameHasKeys() {
    const at = document.activeElement;
    return running && !dialogOpen() && !menuOpen() && (at === canvas || at === document.body || at === null);
  }
  document.addEventListener('keydown', (event) => {
    if (event.key === 'Escape' && menuOpen()) {
      closeMenus();
      event.preventDefault();
      return;
    }
    if (event.ctrlKey && event.code === 'KeyD' && running && !dialogOpen()) {
      event.preventDefault();  // the debrief, as on the desktop (not a bookmark)
      debriefLatest();
      return;
    }
    if (!gameHasKeys() || event.ctrlKey || event.altKey || event.metaKey) return;
    const name = keyName(event.code);
    if (paused) {
      // Any key of the game resumes; Tab and F10 still reach the menus.
      if (name && event.key !== 'Tab' && event.key !== 'F10') {
        event.preventDefault();
        if (!event.repeat) setPaused(false);
      }
      return;
    }
    if (name === 'P' || name === 'Pause') {
      event.preventDefault();
      if (!event.repeat) setPaused(true);
      return;
    }
    if (name === 'M') {
      event.preventDefault();
      if (!event.repeat) toggleMute();
      return;
    }
    if (!name) return;
    if (name === 'F5') event.preventDefault();  // the restart switch, never a reload
    if (event.repeat) {                          // keys never repeat
      if (heldKeys.has('key:' + name)) event.preventDefault();
      return;
    }
    if (asksToQuit(name)) {
      event.preventDefault();
      quitAsking();
      return;
    }
    if (sendInput(true, 0, name)) event.preventDefault();
  });
  document.addEventListener('keyup', (event) => {
    const name = keyName(event.code);
    if (!running || !name || !heldKeys.has('key:' + name)) return;
    event.preventDefault();
    sendInput(false, 0, name);
  });

  // The key of the map a control (by its name) stands for; '' before a game runs.
  function keyForControl(control) {
    return running ? withString(control, (at) => module.UTF8ToString(module._avelune_key_for_control(at))) : '';
  }
  // The touch controls press their control's key through the same path.
  screenApi.attach(stage, card, {
    keyFor: keyForControl,
    key: (down, name) => {
      if (!down) return heldKeys.has('key:' + name) ? sendInput(false, 0, name) : false;
      if (running && !paused && !dialogOpen() && !menuOpen() && asksToQuit(name)) {
        quitAsking();
        return false;
      }
      return running && !paused && !dialogOpen() && !menuOpen() && sendInput(true, 0, name);
    },
    relayout: () => layout(),
  });

  // ---- Gamepad: the standard layout's buttons by the key map's names -------
  // Polled only while a pad is connected and the page is seen.
  const kPadButtons = ['A', 'B', 'X', 'Y', 'LeftShoulder', 'RightShoulder', null, null, 'Back', 'Start',
    'LeftStick', 'RightStick', 'DpadUp', 'DpadDown', 'DpadLeft', 'DpadRight', 'Guide'];
  const padButtons = new Map();  // pad index -> buttons down at the last poll
  let padTimer = 0;
  function pollPads() {
    padTimer = 0;
    const pads = navigator.getGamepads ? Array.from(navigator.getGamepads()).filter((p) => p) : [];
    for (const pad of pads) {
      const was = padButtons.get(pad.index) || [];
      const now = pad.buttons.map((b) => b.pressed);
      padButtons.set(pad.index, now);
      for (let i = 0; i < kPadButtons.length && i < now.length; ++i) {
        if (!kPadButtons[i] || now[i] === Boolean(was[i])) continue;
        if (paused) {
          if (now[i]) setPaused(false);
        } else if (running && !dialogOpen() && !menuOpen()) {
          sendInput(now[i], 1, kPadButtons[i]);
        }
      }
    }
    if (pads.length > 0 && document.visibilityState === 'visible') padTimer = setTimeout(pollPads, 16);
  }
  function startPads() {
    if (!padTimer) padTimer = setTimeout(pollPads, 0);
  }
  window.addEventListener('gamepadconnected', startPads);
  document.addEventListener('visibilitychange', () => { if (document.visibilityState === 'visible') startPads(); });

  // ---- Scale and full screen ---------------------------------------------
  const kLargestCanvasPixels = 16000000;
  // The game's layout of the picture in the area, as the desktop's: fill
  // mode, or the largest whole scale that fits.
  function gameLayout(area, fill) {
    const ratio = window.devicePixelRatio || 1;
    const w = Math.floor(area.width * ratio), h = Math.floor(area.height * ratio);
    const [k, , , width, height] = [0, 1, 2, 3, 4].map((i) => module._avelune_picture_layout(w, h, fill ? 1 : 0, i));
    return { k, width, height };
  }
  // The largest whole scale that fits (1 until the module is there).
  function fittingScale(area) {
    return module ? gameLayout(area, false).k : 1;
  }
  // Fill mode's layout in the area, or null where a whole scale fills it or
  // the module is not there yet.
  function fillingLayout(area) {
    if (!module) return null;
    const { k, width, height } = gameLayout(area, true);
    if (width === kWidth * k && height === kHeight * k) return null;
    // The whole-factor copy must stay a canvas every browser draws (some
    // refuse one of more than about 16.7 million pixels): past that, the
    // largest whole scale shows instead.
    if (kWidth * k * kHeight * k > kLargestCanvasPixels) return null;
    return { k, width, height };
  }
  let ratioQuery = null;
  function layout() {
    const ratio = window.devicePixelRatio || 1;
    // The picture's area: the stage, less the touch controls' room.
    const area = screenApi.area(stage.clientWidth, stage.clientHeight);
    const fitting = document.fullscreenElement || settings.scale === 'auto';
    const filled = fitting ? fillingLayout(area) : null;
    scale = filled ? filled.k : fitting ? fittingScale(area) : settings.scale;
    // CSS size = game size x scale / devicePixelRatio: each game pixel is then
    // exactly scale x scale device pixels (in fill mode, the filled size).
    const deviceWidth = filled ? filled.width : kWidth * scale, deviceHeight = filled ? filled.height : kHeight * scale;
    picture = { width: deviceWidth, height: deviceHeight };
    canvas.style.width = `${deviceWidth / ratio}px`;
    canvas.style.height = `${deviceHeight / ratio}px`;
    // Centred in the area, on whole device pixels.
    const stageBox = stage.getBoundingClientRect();
    const left = Math.max(0, Math.floor(area.x * ratio + (area.width * ratio - deviceWidth) / 2));
    const top = Math.max(0, Math.floor(area.y * ratio + (area.height * ratio - deviceHeight) / 2));
    const stageLeft = stageBox.left * ratio, stageTop = stageBox.top * ratio;
    canvas.style.left = `${(Math.round(stageLeft + left) - stageLeft) / ratio}px`;
    canvas.style.top = `${(Math.round(stageTop + top) - stageTop) / ratio}px`;
    screenApi.setFill(filled, ratio, canvas.style.left, canvas.style.top, canvas);
    screenApi.placed({ left: parseFloat(canvas.style.left), top: parseFloat(canvas.style.top),
      width: deviceWidth / ratio, height: deviceHeight / ratio }, stage.clientWidth, stage.clientHeight);
    for (const item of document.querySelectorAll('[data-command="scale"]')) {
      item.setAttribute('aria-checked', String(item.dataset.scale === String(settings.scale)));
    }
    // A change of devicePixelRatio (zoom, another monitor) lays out again.
    if (ratioQuery) ratioQuery.removeEventListener('change', layout);
    ratioQuery = matchMedia(`(resolution: ${ratio}dppx)`);
    ratioQuery.addEventListener('change', layout);
  }
  window.addEventListener('resize', layout);
  // The stage changes size without the window too (on a phone the watch
  // bar takes a band of its own below the menu bar).
  if (window.ResizeObserver) new ResizeObserver(() => layout()).observe(stage);
  document.addEventListener('fullscreenchange', layout);
  function toggleFullscreen() {
    if (document.fullscreenElement) {
      document.exitFullscreen();
    } else if (stage.requestFullscreen) {
      stage.requestFullscreen().catch((e) => showMessage('Full screen is not available here: ' + e.message));
    }
  }

  // ---- Screenshot ----------------------------------------------------------
  function stamp() {
    const d = new Date();
    const two = (n) => String(n).padStart(2, '0');
    return `${d.getFullYear()}${two(d.getMonth() + 1)}${two(d.getDate())}-${two(d.getHours())}${two(d.getMinutes())}${two(d.getSeconds())}`;
  }
  function saveScreenshot() {
    canvas.toBlob((blob) => {
      if (!blob) return showMessage('The screenshot could not be made.');
      const link = document.createElement('a');
      link.href = URL.createObjectURL(blob);
      link.download = `avelune-${stamp()}.png`;
      document.body.appendChild(link);
      link.click();
      link.remove();
      setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    }, 'image/png');
  }

  // ---- A player's own atlas, kept in IndexedDB until the built-in is chosen --
  function atlasStore(mode, use) {
    return new Promise((resolve, reject) => {
      const request = indexedDB.open('avelune', 1);
      request.onupgradeneeded = () => request.result.createObjectStore('files');
      request.onerror = () => reject(request.error);
      request.onsuccess = () => {
        const db = request.result;
        const tx = db.transaction('files', mode);
        const asked = use(tx.objectStore('files'));
        tx.oncomplete = () => { db.close(); resolve(asked.result); };
        tx.onerror = tx.onabort = () => { db.close(); reject(tx.error); };
      };
    });
  }
  function keepAtlas(a) {
    return atlasStore('readwrite', (store) => store.put({ name: a.name, bytes: a.bytes }, 'atlas'))
      .catch((e) => console.warn('Avelune: your atlas cannot be kept for the next visit:', e));
  }
  function forgetAtlas() {
    return atlasStore('readwrite', (store) => store.delete('atlas'))
      .catch((e) => console.warn('Avelune: the kept atlas cannot be removed:', e));
  }
  async function keptAtlas() {
    try {
      const kept = await atlasStore('readonly', (store) => store.get('atlas'));
      return kept && kept.bytes instanceof ArrayBuffer && typeof kept.name === 'string' ? kept : null;
    } catch (e) {
      console.warn('Avelune: the kept atlas cannot be read, so the built-in one serves:', e);
      return null;
    }
  }
  function checkAtlas(bytes, name) {
    const at = module._malloc(bytes.byteLength || 1);
    module.HEAPU8.set(new Uint8Array(bytes), at);
    return withString(name, (namePtr) => module.UTF8ToString(module._avelune_check_atlas(at, bytes.byteLength, namePtr)));
  }
  function useAtlas(next) {
    atlas = next;
    document.querySelector('[data-command="builtin-atlas"]').hidden = !next.own;
  }
  async function useAtlasFile(file) {
    if (!module) return;
    if (!await unlessFlying('A new atlas starts the game again: the approach in flight is lost.', 'Open atlas')) return;
    let bytes;
    try {
      bytes = await file.arrayBuffer();
    } catch (e) {
      showMessage(`The atlas ${file.name} cannot be read: ${e.message}` + (running ? '\nAvelune goes on with the atlas it has.' : ''));
      return;
    }
    resumeAudio();
    const error = startGame(bytes, file.name);
    if (error) {
      showMessage(error);
      return;
    }
    useAtlas({ bytes, name: file.name, own: true });
    keepAtlas(atlas);
  }
  atlasInput.addEventListener('change', () => {
    const file = atlasInput.files[0];
    atlasInput.value = '';
    if (file) useAtlasFile(file);
  });
  window.addEventListener('dragover', (event) => {
    event.preventDefault();
    document.body.classList.add('dragging');
  });
  window.addEventListener('dragleave', () => document.body.classList.remove('dragging'));
  window.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dragging');
    const file = event.dataTransfer && event.dataTransfer.files[0];
    if (file && /\.avflight$/i.test(file.name)) watchFile(file);
    else if (file) useAtlasFile(file);
  });

  // ---- Menu bar ------------------------------------------------------------
  function menuOpen() {
    return document.querySelector('.menu-title[aria-expanded="true"]') !== null;
  }
  function closeMenus() {
    for (const title of document.querySelectorAll('.menu-title')) title.setAttribute('aria-expanded', 'false');
  }
  for (const title of document.querySelectorAll('.menu-title')) {
    title.addEventListener('click', (event) => {
      event.stopPropagation();
      const open = title.getAttribute('aria-expanded') === 'true';
      closeMenus();
      title.setAttribute('aria-expanded', String(!open));
    });
    // Only a mouse opens a menu by passing over its title: a tap's enter
    // comes just before its click, which then opens the menu itself.
    title.addEventListener('pointerenter', (event) => {
      if (event.pointerType === 'mouse' && menuOpen() && title.getAttribute('aria-expanded') !== 'true') {
        closeMenus();
        title.setAttribute('aria-expanded', 'true');
      }
    });
  }
  function markChecked(command, on) {
    const item = document.querySelector(`[data-command="${command}"]`);
    if (item) item.setAttribute('aria-checked', String(on));
  }
  // A click that closes an open menu, or resumes from a pause, does only
  // that: its press, release and click never reach the game or the card.
  let ownedPointer = null;
  document.addEventListener('pointerdown', (event) => {
    ownedPointer = null;
    if (event.target.closest('#menubar') || event.target.closest('dialog')) return;
    const menu = menuOpen();
    const resume = paused && event.target.closest('#stage') !== null;
    if (!menu && !resume) return;
    closeMenus();
    if (resume) setPaused(false);
    ownedPointer = event.pointerId;
    event.stopPropagation();
    event.preventDefault();
  }, true);
  for (const type of ['pointerup', 'click']) {
    document.addEventListener(type, (event) => {
      if (ownedPointer === null || event.target.closest('#menubar')) return;
      if (type === 'click') ownedPointer = null;
      event.stopPropagation();
      event.preventDefault();
    }, true);
  }
  function toggleMute() {
    settings.muted = !settings.muted;
    saveSettings();
    markChecked('mute', settings.muted);
    levelCues();
  }
  async function execute(command, item) {
    closeMenus();
    switch (command) {
    case 'restart':
      if (!module || !atlas) return;
      if (!await unlessFlying('Restart the game? The approach in flight is lost.', 'Restart')) return;
      resumeAudio();
      startGame(atlas.bytes, atlas.name);
      break;
    case 'pause':
      setPaused(!paused);
      break;
    case 'save-flight':
      saveFlight();
      break;
    case 'debrief':
      debriefLatest();
      break;
    case 'samples':
      saveSamples();
      break;
    case 'logbook':
      if (module) showLogbook();
      break;
    case 'open-flight':
      if (module) flightInput.click();
      break;
    case 'copy-link':
      copyLink();
      break;
    case 'mute':
      toggleMute();
      break;
    case 'sound-cues':
      toggleSoundCues();
      break;
    case 'power-pitch':
      settings.powerPitch = !settings.powerPitch;
      saveSettings();
      markChecked('power-pitch', settings.powerPitch);
      if (running) tellNews();
      break;
    case 'open-atlas':
      if (await unlessFlying('A new atlas starts the game again: the approach in flight is lost.', 'Open atlas')) {
        atlasInput.click();
      }
      break;
    case 'builtin-atlas':
      if (!module || !builtin) return;
      if (!await unlessFlying('The built-in atlas starts the game again: the approach in flight is lost.', 'Use it')) return;
      forgetAtlas();
      useAtlas(builtin);
      if (running) startGame(atlas.bytes, atlas.name);
      break;
    case 'screenshot':
      saveScreenshot();
      break;
    case 'quit':
      if (running) quitAsking();
      break;
    case 'scale':
      settings.scale = item.dataset.scale === 'auto' ? 'auto' : Number(item.dataset.scale);
      saveSettings();
      layout();
      break;
    case 'fullscreen':
      toggleFullscreen();
      break;
    case 'about':
      if (module) showAbout();
      break;
    }
  }
  for (const item of document.querySelectorAll('[data-command]')) {
    item.addEventListener('click', () => {
      // The focus goes back before the command; a dialog it opens gives it
      // back again when it closes.
      closeMenus();
      giveFocusBack();
      execute(item.dataset.command, item);
    });
  }
  markChecked('mute', settings.muted);
  markChecked('sound-cues', settings.soundCues);
  markChecked('power-pitch', settings.powerPitch);

  // ---- Start: the card asks for the click that lets sound play -----------
  function resumeAudio() {
    const ctx = audioContext();
    if (ctx && ctx.state !== 'running') ctx.resume().catch(() => {});
  }
  function onCardClick() {
    if (!module || !atlas || running) return;
    resumeAudio();
    timings.started = performance.now();
    const error = startGame(atlas.bytes, atlas.name);
    if (error) return showCard(error);
    if (sharedFlight !== null) {
      const shared = sharedFlight;
      sharedFlight = null;
      watchShared(shared);
    }
  }
  card.addEventListener('click', onCardClick);
  card.addEventListener('keydown', (event) => {
    if (event.key !== 'Enter' && event.key !== ' ') return;
    event.preventDefault();
    event.stopPropagation();  // the key that starts is not the game's too
    onCardClick();
  });
  // The filled picture shows the unseen game canvas's focus ring to a player
  // on the keyboard: the last thing they did was a key, not a pointer.
  for (const [type, keyed] of [['keydown', true], ['pointerdown', false]]) {
    window.addEventListener(type, () => stage.classList.toggle('keyed', keyed), true);
  }
  // Tab goes round the page's few stops and never out to its body: the card
  // while it shows, the menu bar's one title (and the watch bar), then the
  // picture once no card covers it.
  function tabStops() {
    const bar = Array.from(document.querySelectorAll('#menubar button'))
      .filter((b) => b.tabIndex >= 0 && b.getClientRects().length > 0);
    return card.hidden ? [...bar, canvas] : [card, ...bar];
  }
  window.addEventListener('keydown', (event) => {
    if (event.key !== 'Tab' || event.defaultPrevented || event.ctrlKey || event.altKey || event.metaKey
        || dialogOpen()) return;
    const stops = tabStops();
    const at = document.activeElement;
    let from = stops.indexOf(at);
    if (from < 0 && at && at.closest('#menus')) from = stops.indexOf(document.querySelector('#menus [tabindex="0"]'));
    event.preventDefault();
    const step = event.shiftKey ? -1 : 1;
    stops[from < 0 ? (step > 0 ? 0 : stops.length - 1) : (from + step + stops.length) % stops.length].focus();
  });

  // The module: served, its wasm comes deflated like the art and is
  // compiled here; in the one-file page it is inside the script.
  async function startModule() {
    if (document.getElementById('data-prop.bmp')) return createAvelune({ aveluneStartSound: startSound });
    const wasm = await loadData('avelune.wasm');
    let failed;
    const failure = new Promise((resolve, reject) => { failed = reject; });
    const created = createAvelune({
      aveluneStartSound: startSound,
      instantiateWasm: (imports, receive) => {
        WebAssembly.instantiate(wasm, imports).then((r) => receive(r.instance, r.module),
          (e) => failed(new Error(`avelune.wasm cannot be compiled (${e && e.message ? e.message : e})`)));
        return {};
      },
    });
    return Promise.race([created, failure]);
  }

  async function boot() {
    layout();
    try {
      const [mod, atlasBytes, soundFile] = await Promise.all([
        startModule(),
        loadData('prop.bmp'),
        loadData('AV1.wav').catch((e) => {
          console.warn('Avelune: no start sound:', e);
          return null;
        }),
      ]);
      module = mod;
      layout();
      builtin = { bytes: atlasBytes, name: 'prop.bmp', own: false };
      useAtlas(builtin);
      if (soundFile) {
        soundBytes.set('AV1.wav', soundFile);
        decodeSound('AV1.wav');
      }
    } catch (e) {
      showCard('Avelune cannot start: ' + (e && e.message ? e.message : e));
      timings.failed = performance.now();
      return;
    }
    // The player's own atlas from an earlier visit, if it still serves.
    const kept = await keptAtlas();
    if (kept) {
      const error = checkAtlas(kept.bytes, kept.name);
      if (error) {
        forgetAtlas();
        showMessage(`Your atlas ${kept.name} cannot serve any longer: ${error}\nThe built-in atlas serves instead.`);
      } else {
        useAtlas({ bytes: kept.bytes, name: kept.name, own: true });
      }
    }
    if (location.hash.startsWith('#flight=')) sharedFlight = await linkedFlight(location.hash.slice(8));
    timings.ready = performance.now();
    showCard(scripted ? 'Test mode' : sharedFlight !== null ? 'Click to watch the shared flight' : 'Click to start');
    card.focus();
  }

  // ---- Installable and offline: the service worker (served pages only) ----
  // Registered once the first picture shows, so that its copies of the files
  // never slow the start. A new version takes over at once; the page then
  // says that a reload brings it.
  const version = (document.querySelector('meta[name="avelune-version"]') || {}).content || '';
  function installOffline() {
    if (!('serviceWorker' in navigator) || !/^https?:$/.test(location.protocol)) return;
    const hadController = navigator.serviceWorker.controller !== null;
    navigator.serviceWorker.addEventListener('controllerchange', () => {
      if (hadController) document.getElementById('status').textContent = 'Updated: reload for the new version';
    });
    navigator.serviceWorker.register('sw.js').catch((e) => console.warn('Avelune: no offline start here:', e));
  }

  // ---- Calls for the browser tests ----------------------------------------
  if (testMode) {
    const readOnly = {
      ready: null,
      state: () => module.UTF8ToString(module._avelune_state()),
      running: () => running,
      scale: () => scale,
      fill: () => screenApi.fill(),
      audioState: () => (audio ? audio.state : 'none'),
      menuOpen,
      paused: () => paused,
      version: () => version,
      flightText,
      samplesCsv: () => (running ? module.UTF8ToString(module._avelune_samples_csv()) : ''),
      watchState: () => (running ? watchState() : { watching: false, replay: false }),
      muted: () => settings.muted,
      // What the live region said, the title and the bar's numbers.
      told: () => told.slice(),
      title: () => document.title,
      numbers: () => numbers.dataset.text || '',
      // The peak of the next `frames` stereo frames the sound cues would
      // play, and the level the page plays them at (no audio device needed).
      // The loudest sample the module makes in its fourth block from now (a
      // fade has ended by then), and the gain the page plays it at.
      cuePeak: (frames = 2048) => {
        let samples = null;
        for (let block = 0; block < 4; ++block) samples = cueFrames(frames);
        return samples ? samples.reduce((m, v) => Math.max(m, Math.abs(v)), 0) : 0;
      },
      cueLevel: () => cueLevel(),
      cuePlayer: () => (cueNode ? cueNode.constructor.name : ''),
      atlasName: () => atlas && atlas.name,
      focused: () => (document.activeElement ? document.activeElement.id || document.activeElement.tagName : ''),
      inFlight: () => running && module._avelune_in_flight() === 1,
      // The key of the map that stands for the control under a game pixel now.
      keyForPoint: (x, y) => (running ? module.UTF8ToString(module._avelune_key_for_point(x, y)) : ''),
      // The key a touch control (by its control's name) presses.
      keyForControl,
      // The whole picture as the canvas holds it, RGBA in base64.
      pixels: () => {
        const data = context.getImageData(0, 0, kWidth, kHeight).data;
        let text = '';
        for (let i = 0; i < data.length; i += 0x8000) text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
        return btoa(text);
      },
    };
    const drive = {
      start: () => {
        if (running) return '';
        const error = startGame(atlas.bytes, atlas.name);
        return error;
      },
      tick: (n = 1) => { module._avelune_tick(n); afterGame(); },
      press: (x, y) => { module._avelune_press(x, y); afterGame(); },
      release: (x, y) => { module._avelune_release(x, y); afterGame(); },
      move: (x, y) => { module._avelune_move(x, y); afterGame(); },
      quitRequested: () => !running || module._avelune_quit_requested() === 1,
      watchText,
      copyLink,
      logbookText: () => readKept('logbook'),
      benchCycles: (cycles) => {
        const at = module._malloc(atlas.bytes.byteLength);
        module.HEAPU8.set(new Uint8Array(atlas.bytes), at);
        return module._avelune_bench_cycles(at, atlas.bytes.byteLength, cycles);
      },
    };
    window.aveluneTest = Object.assign(readOnly, scripted ? drive : {});
    window.aveluneTest.ready = boot().then(() => timings);
  } else {
    boot();
  }
})();
