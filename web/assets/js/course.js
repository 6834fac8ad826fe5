// The course tab: every course with its lessons; the live lesson enters the class, finished
// ones open their replay, and each course links to its materials.
(function () {
  "use strict";

  var P = window.TwPortal;
  var STATES = {
    finished: '<span class="tag tag-muted">已结束</span>',
    live: '<span class="tag tag-ok live"><span class="pill-dot"></span>今日直播</span>',
    upcoming: '<span class="tag">未开始</span>',
  };

  function lessonAction(lesson, ci) {
    if (lesson.state === "live") return '<button class="btn btn-small" type="button" data-act="enterRoom" data-course="' + ci + '">进入教室</button>';
    if (lesson.state === "finished") return '<button class="btn btn-small btn-ghost" type="button" data-act="replay" data-course="' + ci + '">看回放</button>';
    return '<span style="color:var(--muted);font-size:13px">敬请期待</span>';
  }

  function courseCard(course, ci) {
    var color = P.subjectColor(course.subject);
    var done = course.lessons.filter(function (l) { return l.state === "finished"; }).length;
    var total = course.lessons.length;
    var rows = course.lessons.map(function (l) {
      return '<div class="list-row' + (l.state === "live" ? " is-live" : "") + '">' +
        '<span class="num">第' + l.number + "讲</span>" +
        '<span class="title">' + P.esc(l.title.replace(/^第\d+讲\s*/, "")) + "</span>" +
        '<span class="state">' + STATES[l.state] + "</span>" +
        '<span class="act">' + (course.live || l.state === "upcoming" ? lessonAction(l, ci) : "") + "</span></div>";
    }).join("");
    return '<article class="card course-card">' +
      '<div class="course-head">' +
      '<div class="course-icon" style="background:' + color + '">' + P.esc((course.subject || "课").charAt(0)) + "</div>" +
      '<div class="info"><h3>' + P.esc(course.name) + "</h3>" +
      '<div class="sub">' + P.esc(course.teacherName) + " · 共 " + total + ' 讲 · <a href="' + P.esc(P.link("download")) + '">课程资料</a></div></div>' +
      '<div class="progress"><div class="label">已学 ' + done + " / " + total + " 讲</div>" +
      '<div class="bar"><span style="width:' + Math.round(total ? (done * 100) / total : 0) + '%"></span></div></div>' +
      "</div>" +
      '<div class="list">' + rows + "</div></article>";
  }

  function render(courses) {
    var box = document.getElementById("courses");
    document.getElementById("courseHint").textContent = courses.length ? "共 " + courses.length + " 门课程" : "";
    if (!courses.length) {
      P.stateBox(box, "empty", "还没有报名的课程");
      return;
    }
    box.innerHTML = courses.map(courseCard).join("");
    box.querySelectorAll("button[data-act]").forEach(function (b) {
      b.addEventListener("click", function () {
        var course = courses[Number(b.dataset.course)];
        if (course.live) P.enterClass(course.live.enter, b.dataset.act);
      });
    });
  }

  function load() {
    var box = document.getElementById("courses");
    P.stateBox(box, "loading", "正在加载课程…");
    P.call("quorvel", "courses").then(function (reply) {
      if (reply.errorCode !== 0) {
        P.stateBox(box, "error", reply.errorInfo, { title: "重新加载", run: load });
        return;
      }
      render(reply.data.courses || []);
    });
  }

  P.start("course", load);
})();
