// Backend calls from the pages: form-encoded POST to "/<service>/<path>", answered with the
// envelope {"errorCode", "errorInfo", "data"}. Failures come back as envelopes too, so a
// page has one way to show an error.
(function () {
  "use strict";

  var NETWORK_ERROR = "网络连接失败，请检查网络后重试";
  var PARSE_ERROR = "服务器返回的数据无法识别，请稍后重试";

  function call(service, path, params) {
    var body = new URLSearchParams();
    Object.keys(params || {}).forEach(function (k) {
      body.append(k, params[k] === undefined || params[k] === null ? "" : String(params[k]));
    });
    return fetch("/" + service + "/" + path, {
      method: "POST",
      headers: { "Content-Type": "application/x-www-form-urlencoded" },
      body: body.toString(),
      credentials: "same-origin",
    })
      .then(function (response) {
        return response.text();
      })
      .then(function (text) {
        var reply;
        try {
          reply = JSON.parse(text);
        } catch (e) {
          return { errorCode: -2, errorInfo: PARSE_ERROR, data: {} };
        }
        if (!reply || typeof reply !== "object") return { errorCode: -2, errorInfo: PARSE_ERROR, data: {} };
        return {
          errorCode: reply.errorCode || 0,
          errorInfo: reply.errorInfo || "",
          data: reply.data && typeof reply.data === "object" ? reply.data : {},
        };
      })
      .catch(function () {
        return { errorCode: -1, errorInfo: NETWORK_ERROR, data: {} };
      });
  }

  window.TwApi = { call: call };
})();
