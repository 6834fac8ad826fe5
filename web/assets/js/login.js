// The sign-in page. In the client: ask for stored credentials ("loadPassword", answered by
// the "fillPassword" event), sign in against the service, then hand phone, token,
// configuration and avatar to the program ("storePassword", "setToken"). In a browser the
// same sign-in opens the portal entry page directly.
(function () {
  "use strict";

  var BACKGROUND = "#ffffff";
  var BUILD = new URLSearchParams(location.search).get("build") || "1011";
  var PHONE_PATTERN = /^1\d{10}$/;

  var $ = function (id) { return document.getElementById(id); };
  var form = $("loginForm");
  var phone = $("phone");
  var password = $("password");
  var code = $("code");
  var remember = $("remember");
  var errorLine = $("error");
  var submit = $("submit");
  var sendCode = $("sendCode");
  var mode = "password";
  var countdown = 0;

  function showMessage(text, ok) {
    errorLine.textContent = text || "";
    errorLine.classList.toggle("form-ok", !!ok);
  }

  function setMode(next) {
    mode = next;
    document.querySelectorAll(".login-tab").forEach(function (tab) {
      tab.classList.toggle("active", tab.dataset.mode === next);
    });
    document.querySelector('[data-for="password"]').classList.toggle("hidden", next !== "password");
    document.querySelector('[data-for="code"]').classList.toggle("hidden", next !== "code");
    remember.parentNode.classList.toggle("hidden", next !== "password");
    showMessage("");
  }

  function checkPhone() {
    var p = phone.value.trim();
    if (!p) return "请输入手机号";
    if (!PHONE_PATTERN.test(p)) return "请输入正确的11位手机号";
    return "";
  }

  function validate() {
    var problem = checkPhone();
    if (problem) return problem;
    if (mode === "password" && !password.value) return "请输入密码";
    if (mode === "code" && !code.value.trim()) return "请输入验证码";
    return "";
  }

  function portalEntry(p, token, config) {
    var q = new URLSearchParams({
      phone: p, token: token, socketPort: "0", useCefChannel: "true", useWebReplay: "true",
      ver: String(config.ver || ""), build: BUILD,
    });
    return "/check-token?" + q.toString();
  }

  function signedIn(p, data) {
    var config = data.config || {};
    if (!TwBridge.available()) {
      location.href = portalEntry(p, data.token, config);
      return;
    }
    if (mode === "password") TwBridge.invoke("storePassword", p, remember.checked ? password.value : "");
    TwBridge.invoke("setToken", p, data.token, JSON.stringify(config), data.avatar || "");
  }

  function busy(on) {
    submit.disabled = on;
    submit.innerHTML = on ? '<span class="spinner"></span>登录中…' : "登 录";
  }

  form.addEventListener("submit", function (e) {
    e.preventDefault();
    var problem = validate();
    if (problem) {
      showMessage(problem);
      return;
    }
    var p = phone.value.trim();
    var params = mode === "password" ? { phone: p, password: password.value } : { phone: p, code: code.value.trim() };
    busy(true);
    showMessage("");
    TwApi.call("login", "sign-in", params).then(function (reply) {
      busy(false);
      if (reply.errorCode !== 0) {
        showMessage(reply.errorInfo || "登录失败，请稍后重试");
        return;
      }
      signedIn(p, reply.data);
    });
  });

  function tick() {
    if (countdown <= 0) {
      sendCode.disabled = false;
      sendCode.textContent = "重新获取";
      return;
    }
    sendCode.textContent = countdown + "秒后重发";
    countdown -= 1;
    setTimeout(tick, 1000);
  }

  sendCode.addEventListener("click", function () {
    var problem = checkPhone();
    if (problem) {
      showMessage(problem);
      return;
    }
    sendCode.disabled = true;
    TwApi.call("login", "auth-code", { phone: phone.value.trim() }).then(function (reply) {
      if (reply.errorCode !== 0) {
        sendCode.disabled = false;
        showMessage(reply.errorInfo);
        return;
      }
      showMessage("验证码已发送，请注意查收", true);
      countdown = reply.data.interval || 60;
      tick();
    });
  });

  $("togglePassword").addEventListener("click", function () {
    var shown = password.type === "text";
    password.type = shown ? "password" : "text";
    this.textContent = shown ? "显示" : "隐藏";
  });

  document.querySelectorAll(".login-tab").forEach(function (tab) {
    tab.addEventListener("click", function () { setMode(tab.dataset.mode); });
  });

  $("forgot").addEventListener("click", function (e) {
    e.preventDefault();
    setMode("code");
    showMessage("可用验证码登录，登录后在「个人信息」中修改密码", true);
  });

  // The login window has no system frame: the page's head moves it.
  $("dragArea").addEventListener("mousedown", function (e) {
    if (e.button === 0) TwBridge.invoke("onDragAreaMouseDown");
  });

  TwBridge.on("fillPassword", function (d) {
    if (d.phone) phone.value = d.phone;
    password.value = d.password || "";
    remember.checked = !!d.password;
  });

  if (TwBridge.available()) {
    // The window takes the same colour, so page and frame read as one surface.
    document.body.style.backgroundColor = BACKGROUND;
    TwBridge.invoke("loadPassword", BACKGROUND);
  } else {
    document.body.classList.add("standalone");
  }
  phone.focus();
})();
