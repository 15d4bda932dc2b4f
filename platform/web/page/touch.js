// The picture filling the page sharply, and the controls a phone is flown
// with by the thumbs.
//
// Fill mode: the game's canvas (632 x 440, the picture as the game drew it)
// is enlarged by a whole factor with nearest-neighbour into a second canvas,
// then drawn at the size that fills the area with linear filtering. The
// whole factor and the size are the desktop's rule (FitPictureFill), asked of
// the module, so the middle of every game pixel keeps its own colour.
//
// Touch: on a coarse pointer the stage holds buttons beside the picture
// (landscape) or below it (portrait). Each names a control of the key map;
// a press sends that control's key down through the page's key path, a
// release sends it up, so the game sees exactly what a key would give it.
// page.js asks window.aveluneScreen for the picture's area and hands it the
// calls it needs (attach).
(() => {
  'use strict';

  const kWidth = 632, kHeight = 440;
  const kTarget = 48;       // a button's side in CSS pixels (at least 44)
  const kGap = 4;
  const query = new URLSearchParams(location.search);
  const coarse = matchMedia('(pointer: coarse)');

  // ---- Fill mode ---------------------------------------------------------
  const fill = document.createElement('canvas');
  fill.id = 'fill';
  fill.hidden = true;
  fill.setAttribute('aria-hidden', 'true');
  const enlarged = document.createElement('canvas');
  let fillLayout = null;    // { k, width, height } in device pixels, or null

  // Shows the picture by fill mode's layout (null: the canvas shows itself),
  // at CSS position left, top; draws it whole from `source` at once.
  function setFill(layout, ratio, left, top, source) {
    fillLayout = layout;
    fill.hidden = !layout;
    source.classList.toggle('filled', Boolean(layout));
    if (!layout) {
      enlarged.width = enlarged.height = 0;
      fill.width = fill.height = 0;
      return;
    }
    if (enlarged.width !== kWidth * layout.k) {
      enlarged.width = kWidth * layout.k;
      enlarged.height = kHeight * layout.k;
    }
    fill.width = layout.width;
    fill.height = layout.height;
    fill.style.width = `${layout.width / ratio}px`;
    fill.style.height = `${layout.height / ratio}px`;
    fill.style.left = left;
    fill.style.top = top;
    drawFill(source, 0, 0, kWidth, kHeight);
  }
  // The rectangle x, y, w, h of the game's canvas changed: enlarge it by the
  // whole factor, then draw the part of the filled picture it reaches.
  function drawFill(source, x, y, w, h) {
    if (!fillLayout || w <= 0 || h <= 0) return;
    const k = fillLayout.k;
    const big = enlarged.getContext('2d', { alpha: false });
    big.imageSmoothingEnabled = false;
    big.drawImage(source, x, y, w, h, x * k, y * k, w * k, h * k);
    const g = fill.getContext('2d', { alpha: false });
    const sx = fillLayout.width / kWidth, sy = fillLayout.height / kHeight;
    // Linear filtering reaches a pixel beyond the rectangle on each side.
    const x0 = Math.max(0, Math.floor((x - 1) * sx)), y0 = Math.max(0, Math.floor((y - 1) * sy));
    const x1 = Math.min(fillLayout.width, Math.ceil((x + w + 1) * sx));
    const y1 = Math.min(fillLayout.height, Math.ceil((y + h + 1) * sy));
    g.save();
    g.beginPath();
    g.rect(x0, y0, x1 - x0, y1 - y0);
    g.clip();
    g.imageSmoothingEnabled = true;
    g.imageSmoothingQuality = 'low';  // bilinear, no mipmaps
    g.drawImage(enlarged, 0, 0, fillLayout.width, fillLayout.height);
    g.restore();
  }

  // ---- Touch controls ----------------------------------------------------
  // Each button names a control of the key map; labels are what the panel
  // shows, so a player finds them.
  const kPad = [
    ['PadUpperLeft', '\u2196'], ['PadUp', '\u25B2'], ['PadUpperRight', '\u2197'],
    ['PadLeft', '\u25C0'], [null, ''], ['PadRight', '\u25B6'],
    ['PadLowerLeft', '\u2199'], ['PadDown', '\u25BC'], ['PadLowerRight', '\u2198'],
  ];
  const kPower = [
    ['FullPower', 'MAX'], ['PowerUp', 'PWR +'],
    ['IdlePower', 'IDLE'], ['PowerDown', 'PWR \u2212'],
    ['LeftPedal', '\u25C0 RUD'], ['RightPedal', 'RUD \u25B6'],
  ];
  // Each switch: its name, then its up and down controls with what each does
  // (VIEW up hides the outside view).
  const kSwitches = [
    ['DRAG', 'DragOn', 'ON', 'DragOff', 'OFF'], ['LIFT', 'LiftOn', 'ON', 'LiftOff', 'OFF'],
    ['TURB', 'TurbulenceOn', 'ON', 'TurbulenceOff', 'OFF'], ['VIEW', 'OutsideViewOff', 'OFF', 'OutsideViewOn', 'ON'],
    ['PAGE', 'PageSwitchOn', 'ON', 'PageSwitchOff', 'OFF'], ['RESTART', 'Restart', 'restart', 'QuitLever', 'quit'],
  ];
  const kNames = {
    PadUpperLeft: 'nose down, turn left', PadUp: 'nose down', PadUpperRight: 'nose down, turn right',
    PadLeft: 'turn left', PadRight: 'turn right', PadLowerLeft: 'nose up, turn left', PadDown: 'nose up',
    PadLowerRight: 'nose up, turn right', FullPower: 'power MAX', PowerUp: 'power up', PowerDown: 'power down',
    IdlePower: 'power IDLE', LeftPedal: 'left pedal', RightPedal: 'right pedal', Restart: 'restart',
    QuitLever: 'quit',
  };

  const panel = document.createElement('div');
  panel.id = 'touch';
  panel.hidden = true;
  let hooks = null;         // page.js: keyFor(control), key(down, name)

  function button(control, label, title) {
    const b = document.createElement('button');
    b.type = 'button';
    b.className = 'touch-key';
    b.tabIndex = -1;          // the keyboard stays with the picture
    b.dataset.control = control;
    b.textContent = label;
    b.setAttribute('aria-label', title || kNames[control] || label);
    return b;
  }
  function group(id, className) {
    const g = document.createElement('div');
    g.id = id;
    g.className = className;
    panel.appendChild(g);
    return g;
  }
  const pad = group('touch-pad', 'touch-grid');
  for (const [control, label] of kPad) {
    if (control) pad.appendChild(button(control, label));
    else pad.appendChild(document.createElement('span'));
  }
  const power = group('touch-power', 'touch-grid');
  for (const [control, label] of kPower) power.appendChild(button(control, label));
  const switches = group('touch-switches', 'touch-switches');
  for (const [name, up, upDoes, down, downDoes] of kSwitches) {
    const column = document.createElement('div');
    column.className = 'touch-switch';
    const caption = document.createElement('span');
    caption.textContent = name;
    column.append(caption, button(up, `\u25B2\n${upDoes}`, `${name} switch up: ${upDoes}`),
      button(down, `\u25BC\n${downDoes}`, `${name} switch down: ${downDoes}`));
    switches.appendChild(column);
  }
  const drawer = document.createElement('button');
  drawer.type = 'button';
  drawer.id = 'touch-drawer';
  drawer.tabIndex = -1;
  drawer.textContent = 'SWITCHES';
  drawer.setAttribute('aria-expanded', 'false');
  panel.appendChild(drawer);

  // A finger on a button: its control's key goes down, and up when the
  // finger lifts or the browser takes the touch away. Nothing repeats.
  const held = new Map();   // pointerId -> { button, key }
  function lift(pointerId) {
    const h = held.get(pointerId);
    if (!h) return;
    held.delete(pointerId);
    h.button.classList.remove('down');
    if (hooks && h.key) hooks.key(false, h.key);
    // A switch set, the drawer gives the picture back.
    if (switches.contains(h.button)) setDrawer(false);
  }
  panel.addEventListener('pointerdown', (event) => {
    const b = event.target.closest('button');
    event.preventDefault();   // no focus, no text selection, no zoom
    if (!b) return;
    if (b === drawer) {
      setDrawer(!panel.classList.contains('drawer-open'));
      return;
    }
    if (held.has(event.pointerId)) lift(event.pointerId);
    b.setPointerCapture(event.pointerId);
    b.classList.add('down');
    const key = hooks ? hooks.keyFor(b.dataset.control) : '';
    held.set(event.pointerId, { button: b, key: key && hooks.key(true, key) ? key : '' });
  });
  for (const type of ['pointerup', 'pointercancel', 'lostpointercapture']) {
    panel.addEventListener(type, (event) => lift(event.pointerId));
  }
  panel.addEventListener('contextmenu', (event) => event.preventDefault());
  let lastPlace = null;      // the arguments of the last placed()
  function setDrawer(open) {
    panel.classList.toggle('drawer-open', open);
    drawer.setAttribute('aria-expanded', String(open));
    if (open && lastPlace) placed(...lastPlace);  // its size is known once shown
  }

  function touchMode() {
    return query.get('touch') === '1' || (query.get('touch') !== '0' && coarse.matches);
  }
  function portrait(width, height) {
    return height > width;
  }
  // The room the controls take: in landscape a margin each side, in
  // portrait a band below the picture.
  const kMargin = 3 * kTarget + 3 * kGap;
  const kBand = 3 * kTarget + 2 * kGap + 18 + 2 * kTarget + 10 * kGap;

  // The picture's area in the stage, in CSS pixels.
  function area(width, height) {
    panel.hidden = !touchMode();
    if (panel.hidden) return { x: 0, y: 0, width, height };
    // Portrait: the picture spans the width right below the menu bar, the
    // controls right below it.
    if (portrait(width, height)) {
      const tall = Math.max(0, Math.min(height - kBand, Math.ceil(width * kHeight / kWidth)));
      return { x: 0, y: 0, width, height: tall };
    }
    return { x: kMargin, y: 0, width: Math.max(0, width - 2 * kMargin), height };
  }
  // The picture now lies at `box` (CSS pixels in the stage): the controls
  // go around it.
  function placed(box, width, height) {
    if (panel.hidden) return;
    lastPlace = [box, width, height];
    const upright = portrait(width, height);
    panel.classList.toggle('portrait', upright);
    panel.classList.toggle('landscape', !upright);
    if (upright) setDrawer(false);
    const put = (element, left, top) => {
      element.style.left = `${Math.round(left)}px`;
      element.style.top = `${Math.round(top)}px`;
    };
    const gridSide = 3 * kTarget + 2 * kGap;
    const powerWidth = power.offsetWidth;
    if (upright) {
      // Under the picture: the pad left, power and pedals right, the
      // switches in a row at the bottom, where the thumbs are.
      const rowTop = box.top + box.height + 3 * kGap;
      put(pad, kGap * 2, rowTop);
      put(power, width - kGap * 2 - powerWidth, rowTop);
      put(switches, (width - switches.offsetWidth) / 2, rowTop + gridSide + 3 * kGap);
    } else {
      const left = Math.max(0, box.left), right = box.left + box.width;
      const middle = (height - gridSide) / 2;
      put(pad, (left - gridSide) / 2, middle - kTarget / 2);
      put(drawer, (left - gridSide) / 2, middle + gridSide);
      put(power, right + (width - right - powerWidth) / 2, middle);
      // The drawer opens over the outside view, never over the instruments.
      put(switches, box.left + (box.width - switches.offsetWidth) / 2, box.top + kGap);
    }
  }

  function attach(stage, before, pageHooks) {
    hooks = pageHooks;
    stage.insertBefore(fill, stage.firstChild);
    stage.insertBefore(panel, before);
    coarse.addEventListener('change', () => pageHooks.relayout());
  }
  // Every held button lets go (the page lost the game, or paused).
  function releaseAll() {
    for (const id of Array.from(held.keys())) lift(id);
  }

  window.aveluneScreen = {
    attach, area, placed, setFill, drawFill, releaseAll,
    fill: () => fillLayout && { ...fillLayout },
    touch: () => !panel.hidden,
  };
})();
