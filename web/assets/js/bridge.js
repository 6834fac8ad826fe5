// Talking to the Tarnwick client from a page.
//
// Inside the client a script is injected before the page runs and provides
// window.tarnwick.invoke(method, ...args); broadcasts arrive as DOM events whose detail
// carries the properties (window.addEventListener("fillPassword", e => e.detail.phone)).
// In an ordinary browser window.tarnwick is missing: invoke() then does nothing and answers
// false, so each page can fall back to what a browser can do by itself.
(function () {
  "use strict";

  function available() {
    return !!(window.tarnwick && typeof window.tarnwick.invoke === "function");
  }

  function invoke(method) {
    var args = Array.prototype.slice.call(arguments, 1).map(function (a) {
      return a === undefined || a === null ? "" : String(a);
    });
    if (!available()) {
      if (window.console) console.info("[tarnwick] not in the client, skipped:", method);
      return false;
    }
    try {
      window.tarnwick.invoke.apply(window.tarnwick, [method].concat(args));
      return true;
    } catch (e) {
      if (window.console) console.warn("[tarnwick] " + method + " failed:", e);
      return false;
    }
  }

  function on(name, handler) {
    window.addEventListener(name, function (e) {
      handler((e && e.detail) || {});
    });
  }

  window.TwBridge = { available: available, invoke: invoke, on: on };
})();
