// Tarnwick page bridge. The program injects this script (after the web-channel library) into
// every page at document creation, in the page's main world; only pages of the service's own
// origins get the channel to the program, so elsewhere calls stay queued and no events come.
// Pages use only what is written here:
//
//   tarnwick.invoke(method, ...args)
//       Calls the program's bridge method `method` with the argument list; the program reads
//       each argument as text. Calls made before the channel to the program is open are queued
//       and delivered in order once it opens.
//
//   tarnwick.query(text) -> Promise<string>
//       A round trip through the program; resolves with the program's answer.
//
//   tarnwick.requestUrl(url)
//       Hands an address to the program (it shows it in a box; a diagnostic aid).
//
//   window.addEventListener(name, e => e.detail.<property>)
//       Events the program broadcasts arrive as DOM CustomEvents on window (and on the windows
//       of same-origin frames), their string properties in e.detail. For example the sign-in
//       page receives "fillPassword" with e.detail.phone and e.detail.password. Events sent
//       before the page's own start-up is over (DOMContentLoaded) arrive after it, so
//       listeners added by deferred scripts or at DOMContentLoaded miss none.
(function () {
  'use strict';
  if (window.tarnwick) return;

  var TRANSPORT_POLL_MS = 50;
  var TRANSPORT_TRIES = 200;

  var bridge = null;
  var pending = [];

  function deliver(call) {
    if (call.kind === 'invoke') {
      bridge.invoke(call.method, call.args);
    } else if (call.kind === 'query') {
      bridge.query(call.text, call.resolve);
    } else if (call.kind === 'url') {
      bridge.requestUrl(call.url);
    }
  }

  function send(call) {
    if (bridge) deliver(call);
    else pending.push(call);
  }

  function plain(value) {
    // Objects travel as their JSON text so that the program still sees one argument.
    if (value === null || value === undefined) return '';
    if (typeof value === 'object') return JSON.stringify(value);
    return value;
  }

  function dispatch(target, name, props) {
    try {
      target.dispatchEvent(new target.CustomEvent(name, { detail: props }));
    } catch (e) {
      // A cross-origin frame cannot be reached; it has its own bridge.
    }
  }

  function broadcast(name, props) {
    dispatch(window, name, props);
    for (var i = 0; i < window.frames.length; ++i) dispatch(window.frames[i], name, props);
  }

  window.tarnwick = Object.freeze({
    invoke: function (method) {
      var args = Array.prototype.slice.call(arguments, 1).map(plain);
      send({ kind: 'invoke', method: String(method), args: args });
    },
    query: function (text) {
      return new Promise(function (resolve) {
        send({ kind: 'query', text: String(text), resolve: resolve });
      });
    },
    requestUrl: function (url) {
      send({ kind: 'url', url: String(url) });
    }
  });

  // The channel usually opens while the document is still being parsed, before the page's
  // deferred scripts have added their listeners; events dispatched then reach nobody. The
  // program keeps its events until the page's own start-up (DOMContentLoaded) is over.
  var started = document.readyState === 'complete';
  var whenStarted = [];

  function afterStartUp(fn) {
    if (started) fn();
    else whenStarted.push(fn);
  }

  function startUpOver() {
    if (started) return;
    started = true;
    var waiting = whenStarted;
    whenStarted = [];
    waiting.forEach(function (fn) { fn(); });
  }

  document.addEventListener('DOMContentLoaded', startUpOver, { once: true });
  window.addEventListener('load', startUpOver, { once: true });

  var opened = false;

  function open() {
    if (opened) return true;
    if (typeof qt === 'undefined' || !qt.webChannelTransport) return false;
    opened = true;
    new QWebChannel(qt.webChannelTransport, function (channel) {
      bridge = channel.objects.tarnwickBridge;
      bridge.broadcast.connect(broadcast);
      var queued = pending;
      pending = [];
      queued.forEach(deliver);
      // Events the program sent before this point were kept for us; now they may come.
      afterStartUp(function () { bridge.pageConnected(); });
    });
    return true;
  }

  if (!open()) {
    // The transport is normally there at document creation. A service page reached through a
    // link from another origin gets it only once it has replaced that page, a moment later;
    // pages of other origins never get it, so the search ends.
    var tries = 0;
    var search = setInterval(function () {
      if (open() || ++tries >= TRANSPORT_TRIES) clearInterval(search);
    }, TRANSPORT_POLL_MS);
  }
})();
