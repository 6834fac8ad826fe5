// The class chat page. The program posts two kinds of text through the "sendText" event:
// a chat message as JSON ({"name", "type": "message" | "image", "contents" | "url"}) or the
// bare word "toBottom". Whatever arrives is drawn with text nodes only, never as markup, and
// pictures are loaded only from the picture store the program names in the page's address
// ("?store=<store address>"); without it no picture is shown. A click on a picture calls the
// program's "imageView" with its address.
//
// Page bridge of the program: tarnwick.invoke(method, ...args) calls a program method;
// events arrive as DOM events whose detail holds their string properties.
(function () {
  'use strict';

  var SYSTEM_NAME = '系统消息';
  var FACE_PATH = '../png/emoji/image';
  var list = document.getElementById('messages');

  function el(tag, cls) {
    var node = document.createElement(tag);
    if (cls) node.className = cls;
    return node;
  }

  var STORE = (function () {
    try {
      var store = new URL(new URLSearchParams(window.location.search).get('store'));
      if (store.protocol !== 'http:' && store.protocol !== 'https:') return null;
      return { origin: store.origin, path: store.pathname.replace(/\/?$/, '/') };
    } catch (e) {
      return null;
    }
  })();

  // The parsed address has its dot segments resolved, so "%2e%2e" cannot climb out.
  function pictureAddress(text) {
    if (typeof text !== 'string' || !STORE) return null;
    try {
      var url = new URL(text);
      if (url.username || url.password || url.origin !== STORE.origin) return null;
      return url.pathname.indexOf(STORE.path) === 0 && url.pathname.length > STORE.path.length ? url.href : null;
    } catch (e) {
      return null;
    }
  }

  function clock(time) {
    var seconds = Number(time);
    var when = seconds > 0 ? new Date(seconds * 1000) : new Date();
    function two(n) { return (n < 10 ? '0' : '') + n; }
    return two(when.getHours()) + ':' + two(when.getMinutes()) + ':' + two(when.getSeconds());
  }

  function addItem(body, item) {
    if (!item || typeof item.value !== 'string') return;
    if (item.type === 'face' && /^\d{3}$/.test(item.value)) {
      var face = el('img', 'face');
      face.src = FACE_PATH + item.value + '.png';
      face.alt = '[' + item.value + ']';
      body.appendChild(face);
    } else if (item.type === 'text') {
      body.appendChild(document.createTextNode(item.value));
    }
  }

  function addPicture(body, address) {
    var href = pictureAddress(address);
    if (!href) return;
    var picture = el('img', 'picture');
    picture.src = href;
    picture.addEventListener('click', function () {
      if (window.tarnwick) window.tarnwick.invoke('imageView', href);
    });
    body.appendChild(picture);
  }

  function show(message, time) {
    if (!message || typeof message !== 'object') return;
    var row = el('li', message.name === SYSTEM_NAME ? 'msg system' : 'msg');
    var head = el('div', 'head');
    var name = el('span', 'name');
    name.textContent = typeof message.name === 'string' ? message.name : '';
    var stamp = el('span', 'time');
    stamp.textContent = clock(time);
    head.appendChild(name);
    head.appendChild(stamp);
    var body = el('div', 'body');
    if (message.type === 'image') addPicture(body, message.url);
    else if (Array.isArray(message.contents)) message.contents.forEach(function (item) { addItem(body, item); });
    if (!body.hasChildNodes()) return;
    row.appendChild(head);
    row.appendChild(body);
    list.appendChild(row);
  }

  function toBottom() { window.scrollTo(0, document.body.scrollHeight); }

  window.addEventListener('sendText', function (e) {
    var detail = e.detail || {};
    if (detail.message === 'toBottom') {
      toBottom();
      return;
    }
    var message;
    try {
      message = JSON.parse(detail.message);
    } catch (err) {
      return;
    }
    var atBottom = window.innerHeight + window.scrollY >= document.body.scrollHeight - 4;
    show(message, detail.time);
    // Others' messages follow the newest line only while the reader is already there.
    if (atBottom) toBottom();
  });
})();
