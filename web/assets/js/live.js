// The live tab: today's classes with the teacher's presence, each with its enter button,
// and the next lessons of the student's courses.
(function () {
  "use strict";

  var P = window.TwPortal;
  var REFRESH_MS = 15000;

  function lineTag(lineType) {
    return lineType === "bgp" ? '<span class="tag tag-accent">BGP 线路</span>' : '<span class="tag">普通线路</span>';
  }

  function presenceTag(c) {
    return c.teacherInRoom
      ? '<span class="tag tag-ok live"><span class="pill-dot"></span>老师已进入教室</span>'
      : '<span class="tag tag-muted">老师尚未进入</span>';
  }

  function classCard(c, index) {
    var color = P.subjectColor(c.subject);
    return '<article class="card class-card">' +
      '<div class="stripe" style="background:' + color + '"></div>' +
      '<div class="body">' +
      '<div class="tags"><span class="tag" style="background:' + color + '1f;color:' + color + '">' + P.esc(c.subject || "课程") + "</span>" +
      lineTag(c.lineType) + presenceTag(c) + "</div>" +
      "<h3>" + P.esc(c.courseName) + "</h3>" +
      '<div class="lesson">' + P.esc(c.lessonName) + "</div>" +
      '<div class="meta">' +
      '<span class="teacher"><span class="initial" style="background:' + color + '">' + P.esc((c.teacherName || "师").charAt(0)) + "</span>" + P.esc(c.teacherName) + "</span>" +
      "<span>" + P.esc(c.startTime) + " - " + P.esc(c.endTime) + "</span>" +
      "<span>" + (c.online || 0) + " 人在教室</span>" +
      "</div>" +
      '<div class="actions"><span class="hint" style="color:var(--muted);font-size:13px">教室号 ' + P.esc(c.roomId) + "</span>" +
      '<button class="btn" type="button" data-index="' + index + '">进入教室</button></div>' +
      "</div></article>";
  }

  function renderClasses(list) {
    var box = document.getElementById("classes");
    document.getElementById("classHint").textContent = list.length ? "共 " + list.length + " 节课" : "";
    if (!list.length) {
      P.stateBox(box, "empty", "今天没有直播课，去看看课程回放吧");
      return;
    }
    box.className = "class-grid";
    box.innerHTML = list.map(classCard).join("");
    box.querySelectorAll("button[data-index]").forEach(function (b) {
      b.addEventListener("click", function () {
        P.enterClass(list[Number(b.dataset.index)].enter);
      });
    });
  }

  function loadClasses(first) {
    var box = document.getElementById("classes");
    if (first) P.stateBox(box, "loading", "正在加载今日课程…");
    return P.call("quorvel", "classes").then(function (reply) {
      if (reply.errorCode !== 0) {
        if (first) P.stateBox(box, "error", reply.errorInfo, { title: "重新加载", run: function () { loadClasses(true); } });
        return;
      }
      renderClasses(reply.data.classes || []);
    });
  }

  function renderUpcoming(courses) {
    var box = document.getElementById("upcoming");
    var rows = [];
    courses.forEach(function (course) {
      course.lessons.filter(function (l) { return l.state === "upcoming"; }).slice(0, 2).forEach(function (l) {
        rows.push('<div class="list-row"><span class="num">第' + l.number + "讲</span>" +
          '<span class="title">' + P.esc(l.title.replace(/^第\d+讲\s*/, "")) + "</span>" +
          '<span class="tag" style="flex:none">' + P.esc(course.name) + "</span>" +
          '<span class="state"><span class="tag tag-muted">未开始</span></span></div>');
      });
    });
    if (!rows.length) {
      P.stateBox(box, "empty", "本期课程已全部结束");
      return;
    }
    box.innerHTML = rows.join("");
  }

  P.start("live", function (user) {
    document.getElementById("hello").textContent = P.greeting() + "，" + user.name;
    document.getElementById("date").textContent = P.today() + " · 今天也要认真听讲哦";
    document.getElementById("gold").textContent = user.gold;
    document.getElementById("allCourses").href = P.link("course");
    loadClasses(true);
    setInterval(function () { loadClasses(false); }, REFRESH_MS);
    P.call("quorvel", "courses").then(function (reply) {
      if (reply.errorCode === 0) renderUpcoming(reply.data.courses || []);
    });
  });
})();
