// The coin shop: the items with their prices and the exchange, which updates the balance
// here and in the client's title bar.
(function () {
  "use strict";

  var P = window.TwPortal;
  var TINTS = ["#FFF6D6", "#E8F0FE", "#E6F6EE", "#F3EDFC"];
  var ICONS = [
    '<svg viewBox="0 0 48 48" fill="none" stroke="#E5A800" stroke-width="2.5" stroke-linejoin="round"><rect x="11" y="6" width="26" height="36" rx="3"/><path d="M17 6v36M22 15h10M22 22h10M22 29h6"/></svg>',
    '<svg viewBox="0 0 48 48" fill="none" stroke="#5B8DEF" stroke-width="2.5" stroke-linecap="round" stroke-linejoin="round"><path d="M14 38l4-12 16-16 8 8-16 16z"/><path d="M30 14l8 8M14 38l8-4"/></svg>',
    '<svg viewBox="0 0 48 48" fill="none" stroke="#22A861" stroke-width="2.5" stroke-linejoin="round"><rect x="6" y="12" width="36" height="24" rx="4"/><path d="M6 19h36M13 29h8"/><circle cx="35" cy="29" r="2.5"/></svg>',
    '<svg viewBox="0 0 48 48" fill="none" stroke="#9B7BD8" stroke-width="2.5" stroke-linejoin="round"><circle cx="24" cy="20" r="11"/><path d="M18 29l-3 13 9-5 9 5-3-13"/><path d="M24 14l2 4 4 .6-3 2.8.8 4-3.8-2-3.8 2 .8-4-3-2.8 4-.6z"/></svg>',
  ];

  var gold = 0;
  var items = [];

  function render() {
    document.getElementById("gold").textContent = gold;
    var box = document.getElementById("items");
    if (!items.length) {
      P.stateBox(box, "empty", "商品正在上架中，敬请期待");
      return;
    }
    box.className = "shop-grid";
    box.innerHTML = items.map(function (it, i) {
      var enough = gold >= it.price;
      return '<article class="card shop-item">' +
        '<div class="art" style="background:' + TINTS[i % TINTS.length] + '">' + ICONS[i % ICONS.length] + "</div>" +
        "<h3>" + P.esc(it.name) + "</h3><p>" + P.esc(it.description) + "</p>" +
        '<div class="buy"><span class="price"><span class="coin" style="padding:0;background:none"><i></i></span>' + it.price + "</span>" +
        '<button class="btn btn-small" type="button" data-item="' + P.esc(it.id) + '"' + (enough ? "" : " disabled") + ">" +
        (enough ? "立即兑换" : "金币不足") + "</button></div></article>";
    }).join("");
    box.querySelectorAll("button[data-item]").forEach(function (b) {
      b.addEventListener("click", function () { exchange(b); });
    });
  }

  function exchange(button) {
    button.disabled = true;
    P.call("quorvel", "exchange", { item: button.dataset.item }).then(function (reply) {
      if (reply.errorCode !== 0) {
        P.toast(reply.errorInfo);
        button.disabled = false;
        return;
      }
      gold = reply.data.gold;
      P.toast("兑换成功：" + reply.data.item);
      render();
      P.call("quorvel", "user-info").then(function (r) {
        if (r.errorCode === 0) P.publishUser(r.data);
      });
    });
  }

  function load() {
    var box = document.getElementById("items");
    P.stateBox(box, "loading", "正在加载商品…");
    P.call("quorvel", "shop").then(function (reply) {
      if (reply.errorCode !== 0) {
        P.stateBox(box, "error", reply.errorInfo, { title: "重新加载", run: load });
        return;
      }
      gold = reply.data.gold;
      items = reply.data.items || [];
      render();
    });
  }

  P.start("shop", load);
})();
