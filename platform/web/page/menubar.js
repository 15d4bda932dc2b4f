// The menu bar by the keyboard, as a desktop's menu bar answers it: F10 or
// Tab reaches the titles; Left and Right go from title to title (the open
// menu follows), Down, Enter or Space open a menu on its first item, Up on
// its last; in a menu Up and Down go round its items, Home and End to the
// ends, Left and Right to the next menu, Enter or Space choose, Escape closes
// it and gives the focus back to its title, and Escape on a title gives it
// back to what had it before the bar (the game's picture while it is flown).
// One title at a time is in the Tab order.
//
// window.aveluneMenus.giveBack() hands the focus back to where the player
// was before the menus or a dialog took it: the page calls it after a command
// and when a dialog closes.
(() => {
  'use strict';

  const bar = document.getElementById('menus');
  const titles = Array.from(bar.querySelectorAll('.menu-title'));
  let back = null;   // what had the focus before the bar or a dialog took it

  for (const title of titles) {
    title.setAttribute('role', 'menuitem');
    title.setAttribute('aria-haspopup', 'menu');
    title.parentElement.setAttribute('role', 'none');
    title.tabIndex = title === titles[0] ? 0 : -1;
    const list = title.nextElementSibling;
    list.setAttribute('aria-label', title.textContent);
    for (const item of list.querySelectorAll('button')) item.tabIndex = -1;
  }

  function items(title) {
    return Array.from(title.nextElementSibling.querySelectorAll('[role^="menuitem"]')).filter((b) => !b.hidden);
  }
  function closeAll() {
    for (const title of titles) title.setAttribute('aria-expanded', 'false');
  }
  function focusTitle(title) {
    for (const t of titles) t.tabIndex = t === title ? 0 : -1;
    title.focus();
  }
  // Opens a title's menu; `at` 'first' or 'last' puts the focus on that item.
  function openMenu(title, at) {
    closeAll();
    for (const t of titles) t.tabIndex = t === title ? 0 : -1;
    title.setAttribute('aria-expanded', 'true');
    const list = items(title);
    if (at && list.length) (at === 'last' ? list[list.length - 1] : list[0]).focus();
    else title.focus();
  }
  function neighbour(title, step) {
    return titles[(titles.indexOf(title) + step + titles.length) % titles.length];
  }
  function usable(element) {
    return element && element.isConnected && !element.closest('[hidden]') && element.getClientRects().length > 0
      && !bar.contains(element) && !element.closest('dialog');
  }

  // What had the focus before the bar or a dialog: whatever outside them last
  // took it.
  document.addEventListener('focusin', (event) => {
    if (usable(event.target)) back = event.target;
  });
  function giveBack(fallback) {
    if (document.querySelector('dialog[open]')) return;
    const target = usable(back) ? back : fallback;
    if (target) target.focus();
  }

  bar.addEventListener('keydown', (event) => {
    if (event.ctrlKey || event.altKey || event.metaKey) return;
    const title = event.target.closest('.menu-title');
    const item = title ? null : event.target.closest('[role^="menuitem"]');
    if (!title && !item) return;
    const owner = title || item.closest('.menu').querySelector('.menu-title');
    const open = owner.getAttribute('aria-expanded') === 'true';
    let handled = true;
    switch (event.key) {
    case 'ArrowRight':
    case 'ArrowLeft': {
      const next = neighbour(owner, event.key === 'ArrowRight' ? 1 : -1);
      if (item || open) openMenu(next, item ? 'first' : null);
      else focusTitle(next);
      break;
    }
    case 'ArrowDown':
    case 'ArrowUp':
      if (title) {
        openMenu(owner, event.key === 'ArrowDown' ? 'first' : 'last');
      } else {
        const list = items(owner);
        const at = list.indexOf(item);
        list[(at + (event.key === 'ArrowDown' ? 1 : -1) + list.length) % list.length].focus();
      }
      break;
    case 'Home':
    case 'End':
      if (title) {
        focusTitle(event.key === 'Home' ? titles[0] : titles[titles.length - 1]);
        if (open) openMenu(document.activeElement, null);
      } else {
        const list = items(owner);
        list[event.key === 'Home' ? 0 : list.length - 1].focus();
      }
      break;
    case 'Enter':
    case ' ':
      if (title) openMenu(owner, 'first');
      else if (!event.repeat) item.click();
      break;
    case 'Escape':
      if (item || open) {
        closeAll();
        focusTitle(owner);
      } else {
        giveBack(null);
      }
      break;
    case 'Tab':
      closeAll();
      handled = false;
      break;
    default:
      handled = false;
    }
    if (handled) {
      event.preventDefault();
      event.stopPropagation();
    }
  });
  // Space chooses on its press above; its release must not click again.
  bar.addEventListener('keyup', (event) => {
    if (event.key === ' ' && event.target.closest('#menus')) event.preventDefault();
  });
  // F10 reaches the bar when the game has no use for it.
  window.addEventListener('keydown', (event) => {
    if (event.key !== 'F10' || event.defaultPrevented || event.ctrlKey || event.altKey || event.metaKey) return;
    if (document.querySelector('dialog[open]') || bar.contains(document.activeElement)) return;
    event.preventDefault();
    focusTitle(titles[0]);
  });

  window.aveluneMenus = { giveBack };
})();
