// SPDX-License-Identifier: MIT
// A source page's list of its procedures: folded on a phone, open beside them on a wide screen.
(function () {
  'use strict';
  var details = document.querySelector('nav.toc details');
  var wide = window.matchMedia('(min-width: 64em)');
  function fit() { if (details) details.open = wide.matches; }
  fit();
  wide.addEventListener('change', fit);
})();

// The search box in every page's header. The index of all procedures (search-index.js beside
// this script, a script that sets glossaIndex, so that it loads from file:// pages too) is
// loaded when the box is first used. Names that are the text come first, then names that start
// with it, then names with a word that starts with it (after "_" or at a capital), then names
// that hold it, then summaries that hold it; at most 50 are shown.
(function () {
  'use strict';
  var max = 50;
  var base = document.currentScript ? document.currentScript.src.replace(/[^\/]*$/, '') : '';
  var box = document.getElementById('q');
  var list = document.getElementById('results');
  var index = null, names, fulls, summaries, loading = false, timer = 0, failed = false;
  if (!box || !list)
    return;

  function prepare() {
    var all = window.glossaIndex.procedures, i, p;
    index = window.glossaIndex;
    names = []; fulls = []; summaries = [];
    for (i = 0; i < all.length; i++) {
      p = all[i];
      names.push(p[0].toLowerCase());
      fulls.push((p[1] ? p[1] + '::' + p[0] : p[0]).toLowerCase());
      summaries.push(p[4].toLowerCase());
    }
  }

  function load() {
    if (index || loading)
      return;
    loading = true;
    var script = document.createElement('script');
    script.src = base + 'search-index.js';
    script.onload = function () { prepare(); run(); };
    script.onerror = function () { failed = true; run(); };
    document.head.appendChild(script);
  }

  function upper(c) { return c >= 'A' && c <= 'Z'; }
  function smallOrDigit(c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); }

  // Whether a word of name starts at k: after anything but a letter or digit, at a capital
  // after a small letter, or at the last capital of a run before a small letter ("HTMLPage").
  function wordStart(name, k) {
    var before = name.charAt(k - 1), c = name.charAt(k);
    if (!upper(before) && !smallOrDigit(before))
      return true;
    return upper(c) && (smallOrDigit(before) || smallOrDigit(name.charAt(k + 1)));
  }

  function rank(i, q, qualified) {
    var p = index.procedures[i];
    var name = qualified ? fulls[i] : names[i];
    var shown = qualified && p[1] ? p[1] + '::' + p[0] : p[0];
    var k = name.indexOf(q);
    if (k === 0)
      return name.length === q.length ? 0 : 1;
    if (k > 0) {
      for (; k >= 0; k = name.indexOf(q, k + 1)) {
        if (wordStart(shown, k))
          return 2;
      }
      return 3;
    }
    return summaries[i].indexOf(q) >= 0 ? 4 : -1;
  }

  // The procedures that match, best first; equal ranks keep the index's order.
  function find(text) {
    var q = text.trim().toLowerCase(), ranks = [[], [], [], [], []], i, r, found = [];
    if (!q)
      return found;
    var qualified = q.indexOf('::') >= 0;
    for (i = 0; i < names.length && ranks[0].length < max; i++) {
      r = rank(i, q, qualified);
      if (r >= 0 && ranks[r].length < max)
        ranks[r].push(i);
    }
    for (r = 0; r < ranks.length; r++)
      found = found.concat(ranks[r]);
    return found.slice(0, max);
  }

  function item(i) {
    var p = index.procedures[i], li = document.createElement('li');
    var a = document.createElement('a'), code = document.createElement('code');
    var anchor = p[3] || (p[1] ? p[1] + '::' + p[0] : p[0]);
    a.href = base + index.pages[p[2]] + '#' + anchor.replace(/#/g, '%23');
    code.textContent = p[0] + '()';
    a.appendChild(code);
    li.appendChild(a);
    if (p[1]) {
      var where = document.createElement('span');
      where.className = 'where';
      where.textContent = ' ' + p[1];
      li.appendChild(where);
    }
    if (p[4])
      li.appendChild(document.createTextNode(' \u2014 ' + p[4]));
    return li;
  }

  function say(text) {
    var li = document.createElement('li');
    li.className = 'none';
    li.textContent = text;
    list.appendChild(li);
  }

  // Shows the results for what the box holds; the count, or -1 while the index loads.
  function run() {
    clearTimeout(timer);
    timer = 0;
    var text = box.value;
    list.textContent = '';
    list.hidden = !text.trim();
    if (list.hidden)
      return 0;
    if (failed) {
      say('The search index (search-index.js) could not be loaded.');
      return 0;
    }
    if (!index) {
      load();
      return -1;
    }
    var found = find(text);
    if (!found.length)
      say('No procedure matches');
    found.forEach(function (i) { list.appendChild(item(i)); });
    return found.length;
  }

  box.hidden = false;
  box.addEventListener('focus', load);
  box.addEventListener('input', function () {
    load();
    clearTimeout(timer);
    timer = setTimeout(run, 100);
  });
  box.addEventListener('keydown', function (e) {
    if (e.key === 'Escape') {
      box.value = '';
      run();
    } else if (e.key === 'Enter') {
      e.preventDefault();
      if (timer || !list.firstChild)
        run();
      var first = list.querySelector('a');
      if (first)
        window.location.href = first.href;
    }
  });
  document.addEventListener('keydown', function (e) {
    var t = e.target;
    if (e.key !== '/' || e.ctrlKey || e.metaKey || e.altKey || t === box ||
        /^(INPUT|TEXTAREA|SELECT)$/.test(t.tagName) || t.isContentEditable)
      return;
    e.preventDefault();
    box.focus();
  });
  // For the browser's console and the benchmark: the search for a text, shown at once.
  window.glossaSearch = function (text) {
    box.value = text;
    return run();
  };
})();
