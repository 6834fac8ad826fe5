// What every portal page shares: who is signed in (phone and token from the address, kept
// for the pages opened from here), the navigation shown outside the client, the profile
// hand-over to the client's title bar, entering a class, and the small view helpers.
(function () {
  "use strict";

  var STORE_KEY = "tarnwick.session";
  var BAD_TOKEN = 10005;
  var SUBJECT_COLORS = { "数学": "#5B8DEF", "物理": "#9B7BD8", "化学": "#3CB784", "英语": "#F08A5D", "语文": "#E5484D" };
  var NAV = [
    { page: "live", title: "直播" },
    { page: "course", title: "课程" },
    { page: "shop", title: "金币商城" },
    { page: "download", title: "资料下载" },
    { page: "my-info", title: "个人信息" },
  ];

  function readSession() {
    var q = new URLSearchParams(location.search);
    var s = { phone: q.get("phone") || "", token: q.get("token") || "", build: q.get("build") || "1011" };
    if (s.token) {
      try { sessionStorage.setItem(STORE_KEY, JSON.stringify(s)); } catch (e) { /* storage may be off */ }
      return s;
    }
    try {
      var kept = JSON.parse(sessionStorage.getItem(STORE_KEY) || "null");
      if (kept && kept.token) return kept;
    } catch (e) { /* fall through */ }
    return s;
  }

  var session = readSession();

  function link(page, extra) {
    var q = new URLSearchParams(Object.assign({ phone: session.phone, token: session.token }, extra || {}));
    q.set("build", session.build);
    return "/portal/" + page + "?" + q.toString();
  }

  function esc(text) {
    return String(text === undefined || text === null ? "" : text).replace(/[&<>"']/g, function (c) {
      return { "&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;", "'": "&#39;" }[c];
    });
  }

  var toastTimer = 0;
  function toast(text) {
    var el = document.querySelector(".toast");
    if (!el) {
      el = document.createElement("div");
      el.className = "toast";
      document.body.appendChild(el);
    }
    el.textContent = text;
    el.classList.add("show");
    clearTimeout(toastTimer);
    toastTimer = setTimeout(function () { el.classList.remove("show"); }, 2400);
  }

  function greeting() {
    var h = new Date().getHours();
    if (h < 6) return "夜深了";
    if (h < 11) return "早上好";
    if (h < 13) return "中午好";
    if (h < 18) return "下午好";
    return "晚上好";
  }

  function today() {
    var d = new Date();
    var week = "日一二三四五六".charAt(d.getDay());
    return (d.getMonth() + 1) + "月" + d.getDate() + "日 星期" + week;
  }

  function maskPhone(p) {
    return p && p.length === 11 ? p.slice(0, 3) + "****" + p.slice(7) : p || "";
  }

  function subjectColor(subject) {
    return SUBJECT_COLORS[subject] || "#FFB300";
  }

  function fileSize(bytes) {
    if (bytes < 1024) return bytes + " B";
    if (bytes < 1024 * 1024) return (bytes / 1024).toFixed(1) + " KB";
    return (bytes / 1024 / 1024).toFixed(1) + " MB";
  }

  function renderNav(active) {
    var nav = document.getElementById("nav");
    if (!nav) return;
    var html = '<a class="brand" href="' + esc(link("live")) + '"><img src="/assets/img/logo.svg" alt="">Tarnwick</a>';
    NAV.forEach(function (n) {
      html += '<a class="tab' + (n.page === active ? " active" : "") + '" href="' + esc(link(n.page)) + '">' + esc(n.title) + "</a>";
    });
    html += '<span class="spacer"></span><span class="who" id="navWho"></span>';
    nav.innerHTML = html;
  }

  // A centred message in place of content: "loading", "empty" or "error".
  function stateBox(el, kind, text, action) {
    var art = kind === "loading" ? '<span class="spinner"></span>'
      : '<img src="/assets/img/' + (kind === "empty" ? "empty" : "error") + '.svg" alt="" width="96" height="96"><br>';
    el.innerHTML = '<div class="state-box card">' + art + esc(text) +
      (action ? '<br><button class="btn btn-small" type="button">' + esc(action.title) + "</button>" : "") + "</div>";
    if (action) el.querySelector("button").addEventListener("click", action.run);
  }

  // Runs a call; a refused token turns the whole page into the "signed out" message.
  function call(service, path, params) {
    return TwApi.call(service, path, Object.assign({ token: session.token }, params || {})).then(function (reply) {
      if (reply.errorCode === BAD_TOKEN) signedOut();
      return reply;
    });
  }

  function signedOut() {
    var main = document.getElementById("main");
    stateBox(main, "error", "登录已失效，请重新登录后再试。", TwBridge.available() ? null : {
      title: "返回登录",
      run: function () { location.href = "/client-login/login?build=" + encodeURIComponent(session.build); },
    });
  }

  function publishUser(user) {
    TwBridge.invoke("setUserInfo", JSON.stringify({ avatar: user.avatar, name: user.name, gold: String(user.gold) }));
    var who = document.getElementById("navWho");
    if (who) who.textContent = user.name + " · 金币 " + user.gold;
  }

  function loadUser() {
    return call("quorvel", "user-info").then(function (reply) {
      if (reply.errorCode !== 0) return null;
      publishUser(reply.data);
      return reply.data;
    });
  }

  // Hands the enter-class command to the client ("enterRoom", or "replay" for a past lesson).
  function enterClass(command, method) {
    if (!TwBridge.invoke(method || "enterRoom", JSON.stringify(command))) {
      toast("请在 Tarnwick 客户端中进入教室");
    }
  }

  // Page start: navigation, the session check, then the page's own content.
  function start(page, run) {
    if (!TwBridge.available()) document.body.classList.add("standalone");
    renderNav(page);
    if (!session.token) {
      signedOut();
      return;
    }
    loadUser().then(function (user) {
      if (user) run(user);
    });
  }

  window.TwPortal = {
    session: session,
    link: link,
    esc: esc,
    toast: toast,
    greeting: greeting,
    today: today,
    maskPhone: maskPhone,
    subjectColor: subjectColor,
    fileSize: fileSize,
    stateBox: stateBox,
    call: call,
    publishUser: publishUser,
    enterClass: enterClass,
    start: start,
  };
})();
