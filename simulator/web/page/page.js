'use strict';
// The page's JavaScript: runs the frames, hands the program the mouse over
// alice's settings page, and shows what the program reports. The program
// (glimmerfade.js) calls Module.onRuntimeInitialized once it is ready.
//
// window.glimmer tells the tests and the budget script what happens: frames
// drawn, when the first was, how long each took, and the match's state.

const TICKS_PER_SECOND = 120;
const STEP_TICKS = 12;
const CONSOLE_LINES = 8;
const TRANSCRIPT_LINES = 300;
const KEPT_FRAME_TIMES = 2000;
const STATE_EVERY = 4;  // frames between updates of the page's text

const glimmer = {
  frames: 0,
  firstFrameAt: null,  // ms since navigation
  frameTimes: [],      // ms the program took for each frame
  playing: true,
  started: false,
  state: () => JSON.parse(Module.UTF8ToString(Module._page_state())),
  runLine: (line) => runLine(line),
  pause: () => setPlaying(false),
  play: () => setPlaying(true),
  tick: (ticks) => Module._page_tick(ticks),
};
window.glimmer = glimmer;

// The mouse over the settings canvas, in its pixels. Presses and releases
// wait in order, each with where it happened, and a frame takes one of them:
// every press and release is seen by a frame, however quick the clicks.
const mouse = { x: -1, y: -1, down: false };
const buttonChanges = [];
let lastFrameTime = null;
let shownConsoleLines = [];

var Module = {
  print: (text) => console.log(text),
  printErr: (text) => console.error(text),
  onRuntimeInitialized: start,
};

function $(selector) { return document.querySelector(selector); }

function fail(message) {
  const failure = $('#failure');
  failure.textContent = message;
  failure.hidden = false;
  console.error(message);
}

function start() {
  if (!Module._page_start()) {
    fail('The match could not be set up (the browser console says why).');
    return;
  }
  glimmer.started = true;
  wireSettingsCanvas($('#settings'));
  wireControls();
  showPrompt();
  requestAnimationFrame(frame);
}

function frame(time) {
  const begun = performance.now();
  const seconds = lastFrameTime === null ? 1 / 60 : Math.min((time - lastFrameTime) / 1000, 0.1);
  lastFrameTime = time;
  if (glimmer.playing) Module._page_tick(Math.max(1, Math.round(seconds * TICKS_PER_SECOND)));
  const change = buttonChanges.shift();
  if (change) mouse.down = change.down;
  const place = change ?? mouse;
  Module._page_frame(place.x, place.y, mouse.down ? 1 : 0, seconds);
  if (glimmer.frames % STATE_EVERY === 0) showState(glimmer.state());
  glimmer.frames += 1;
  if (glimmer.firstFrameAt === null) glimmer.firstFrameAt = performance.now();
  glimmer.frameTimes.push(performance.now() - begun);
  if (glimmer.frameTimes.length > KEPT_FRAME_TIMES) glimmer.frameTimes.shift();
  requestAnimationFrame(frame);
}

function wireSettingsCanvas(canvas) {
  let pressed = false;
  const place = (event) => {
    const box = canvas.getBoundingClientRect();
    mouse.x = (event.clientX - box.left) * canvas.width / box.width;
    mouse.y = (event.clientY - box.top) * canvas.height / box.height;
  };
  canvas.addEventListener('pointermove', place);
  canvas.addEventListener('pointerdown', (event) => {
    if (event.button !== 0) return;
    place(event);
    pressed = true;
    buttonChanges.push({ down: true, x: mouse.x, y: mouse.y });
  });
  window.addEventListener('pointerup', (event) => {
    if (event.button !== 0 || !pressed) return;
    pressed = false;
    place(event);
    buttonChanges.push({ down: false, x: mouse.x, y: mouse.y });
  });
  canvas.addEventListener('pointerleave', () => {
    if (!pressed) mouse.x = mouse.y = -1;
  });
}

function wireControls() {
  $('#restart').addEventListener('click', () => {
    Module._page_restart();
    shownConsoleLines = [];
    appendTranscript('(the match is set up again)\n');
    showPrompt();
  });
  $('#step').addEventListener('click', () => {
    setPlaying(false);
    Module._page_tick(STEP_TICKS);
  });
  $('#play').addEventListener('click', () => setPlaying(!glimmer.playing));
  document.querySelectorAll('.client .enabled').forEach((box, index) => {
    box.addEventListener('change', () => Module._page_set_enabled(index, box.checked ? 1 : 0));
  });
  const history = [];
  let back = 0;
  const input = $('#line');
  $('#line-form').addEventListener('submit', (event) => {
    event.preventDefault();
    const line = input.value;
    input.value = '';
    if (line.trim()) history.push(line);
    back = 0;
    runLine(line);
  });
  input.addEventListener('keydown', (event) => {
    if (event.key !== 'ArrowUp' && event.key !== 'ArrowDown') return;
    back = Math.max(0, Math.min(history.length, back + (event.key === 'ArrowUp' ? 1 : -1)));
    input.value = back ? history[history.length - back] : '';
    event.preventDefault();
  });
}

function setPlaying(playing) {
  glimmer.playing = playing;
  $('#play').textContent = playing ? 'Pause' : 'Play';
}

// Runs a line as corvane-sim runs a typed one; returns what it printed.
function runLine(line) {
  const prompt = $('#prompt').textContent;
  const output = Module.ccall('page_run_line', 'string', ['string'], [line]);
  appendTranscript(prompt + ' ' + line + '\n', output);
  showPrompt();
  return output;
}

function appendTranscript(echo, output = '') {
  const transcript = $('#transcript');
  transcript.append(echo);
  for (const line of output.split('\n').filter((text) => text !== '')) {
    const span = document.createElement('span');
    if (line.startsWith('error: ')) span.className = 'error';
    span.textContent = line + '\n';
    transcript.append(span);
  }
  while (transcript.childNodes.length > TRANSCRIPT_LINES) transcript.firstChild.remove();
  transcript.scrollTop = transcript.scrollHeight;
}

function showPrompt() {
  $('#prompt').textContent = Module.UTF8ToString(Module._page_prompt());
}

function showState(state) {
  $('#now').textContent = state.now.toFixed(2) + ' s';
  const articles = document.querySelectorAll('.client');
  state.clients.forEach((client, index) => {
    const article = articles[index];
    if (!article) return;
    article.querySelector('.name').textContent = client.name;
    const box = article.querySelector('.enabled');
    box.disabled = client.enabled === null;
    if (document.activeElement !== box) box.checked = client.enabled === true;
    if (shownConsoleLines[index] !== client.consoleLines) {
      shownConsoleLines[index] = client.consoleLines;
      const console = article.querySelector('.console');
      console.textContent = Module.UTF8ToString(Module._page_console(index, CONSOLE_LINES));
      console.scrollTop = console.scrollHeight;
    }
  });
}
