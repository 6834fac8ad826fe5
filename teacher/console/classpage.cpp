#include "teacher/console/classpage.h"

#include "classroom_widgets/reconnectbanner.h"
#include "av/qwidgetvideorender.h"
#include "teacher/console/consolechat.h"
#include "teacher/console/consoleclass.h"
#include "teacher/console/consolemedia.h"
#include "teacher/console/rosterpanel.h"
#include "teacher/console/studenttiles.h"
#include "teacher/teacherboardlink.h"
#include "whiteboard/qwindowwhiteboard.h"

#include "whiteboard/boardservice.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int kNoticeMs = 6000;
const char kBarStyle[] = "#classBar { background: #2a6fdb; } #classBar QLabel { color: white; }"
                         "#classBar QPushButton { color: white; background: #3b7de6; border: 1px solid #5d95ee;"
                         " border-radius: 4px; padding: 5px 12px; }"
                         "#classBar QPushButton:checked { background: #ffb400; border-color: #ffc940; }"
                         "#classBar QPushButton#btnEndClass { background: #e5484d; border-color: #ef6e72; }";
} // namespace

ClassPage::ClassPage(ConsoleClass *klass, const QString &title, const QString &chatPageUrl, const QString &previewUrl,
                     QWidget *parent)
    : QWidget(parent), m_class(klass), m_media(new ConsoleMedia(&klass->session(), this)) {
  m_roster = new RosterPanel(klass, this);
  m_chat = new ConsoleChat(klass, chatPageUrl, this);
  makeWhiteboard(previewUrl);

  auto *side = new QTabWidget(this);
  side->setObjectName(QStringLiteral("sideTabs"));
  side->addTab(m_roster, QStringLiteral("学生名单"));
  side->addTab(m_chat, QStringLiteral("讨论区"));
  side->setFixedWidth(kSideWidth);

  auto *centre = new QVBoxLayout;
  centre->addWidget(makeStage());
  centre->addWidget(m_board, 1);
  auto *body = new QHBoxLayout;
  body->addLayout(centre, 1);
  body->addWidget(side);

  m_notice = new QLabel(this);
  m_notice->setObjectName(QStringLiteral("labelNotice"));
  m_notice->setStyleSheet(QStringLiteral("color: #d0021b; padding: 2px 8px;"));
  m_notice->hide();
  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(makeBar(title));
  column->addWidget(m_notice);
  column->addLayout(body, 1);

  connect(klass, &ConsoleClass::problem, this, &ClassPage::showProblem);
  connect(m_media, &ConsoleMedia::problem, this, &ClassPage::showProblem);
  connect(&klass->session(), &TeacherSession::pictureReceived, m_tiles, &StudentTiles::onFrame);
  connect(&klass->session(), &TeacherSession::streamEnded, m_tiles, &StudentTiles::onStreamEnded);
  connect(&klass->session(), &TeacherSession::reconnecting, this, &ClassPage::showReconnecting);
  connect(&klass->roster(), &ConsoleRoster::handRaised, this, [this](const QString &userId) {
    showProblem(QStringLiteral("%1 举手了，点名单里的“应答”请他发言").arg(m_class->roster().nameOf(userId)));
  });
}

ClassPage::~ClassPage() { m_media->stopAll(); }

QPushButton *ClassPage::toggle(const char *objectName, const QString &text) {
  auto *b = new QPushButton(text, this);
  b->setObjectName(QLatin1String(objectName));
  b->setCheckable(true);
  return b;
}

QWidget *ClassPage::makeBar(const QString &title) {
  auto *bar = new QWidget(this);
  bar->setObjectName(QStringLiteral("classBar"));
  bar->setAttribute(Qt::WA_StyledBackground);
  bar->setStyleSheet(QLatin1String(kBarStyle));
  auto *label = new QLabel(title, bar);
  label->setObjectName(QStringLiteral("labelClassTitle"));
  label->setStyleSheet(QStringLiteral("font-size: 15px; font-weight: bold;"));

  m_showScreen = toggle("btnShowScreen", QStringLiteral("显示屏幕"));
  m_showBoard = toggle("btnShowBoard", QStringLiteral("显示白板"));
  m_showScreen->setChecked(true);
  auto *display = new QButtonGroup(bar);
  display->addButton(m_showScreen);
  display->addButton(m_showBoard);
  m_discussion = toggle("btnCloseDiscussion", QStringLiteral("关闭讨论区"));
  auto *offStage = new QPushButton(QStringLiteral("全体下台"), bar);
  offStage->setObjectName(QStringLiteral("btnEveryoneOffStage"));
  QPushButton *camera = toggle("btnCamera", QStringLiteral("摄像头"));
  QPushButton *screen = toggle("btnShareScreen", QStringLiteral("共享屏幕"));
  m_mic = toggle("btnMicrophone", QStringLiteral("麦克风"));
  auto *end = new QPushButton(QStringLiteral("下课"), bar);
  end->setObjectName(QStringLiteral("btnEndClass"));

  auto *row = new QHBoxLayout(bar);
  row->setContentsMargins(10, 6, 10, 6);
  row->addWidget(label);
  row->addStretch();
  for (QPushButton *b : {m_showScreen, m_showBoard, offStage, m_discussion, camera, screen, m_mic, end}) {
    b->setParent(bar);
    row->addWidget(b);
  }

  connect(m_showBoard, &QPushButton::toggled, this, &ClassPage::onDisplayChosen);
  connect(m_discussion, &QPushButton::toggled, this, &ClassPage::onDiscussionToggled);
  connect(offStage, &QPushButton::clicked, m_class, &ConsoleClass::everyoneOffStage);
  connect(camera, &QPushButton::toggled, m_media, &ConsoleMedia::setCamera);
  connect(camera, &QPushButton::toggled, m_cameraOff, &QWidget::setHidden);
  connect(screen, &QPushButton::toggled, m_media, &ConsoleMedia::setScreen);
  connect(m_mic, &QPushButton::toggled, this, &ClassPage::onMicrophoneToggled);
  connect(end, &QPushButton::clicked, this, [this, end] {
    end->setEnabled(false);
    m_media->stopAll();
    m_class->endClass();
  });
  return bar;
}

QWidget *ClassPage::makeStage() {
  auto *stage = new QWidget(this);
  m_selfView = new QWidgetVideoRender(stage);
  m_selfView->setObjectName(QStringLiteral("selfView"));
  m_selfView->setFixedSize(kSelfViewWidth, kSelfViewHeight);
  m_selfView->setName(m_class->teacherName());
  m_cameraOff = new QLabel(QStringLiteral("摄像头未开启"), m_selfView);
  m_cameraOff->setAlignment(Qt::AlignCenter);
  m_cameraOff->setStyleSheet(QStringLiteral("color: #bbbbbb; background: transparent;"));
  m_cameraOff->setGeometry(0, 0, kSelfViewWidth, kSelfViewHeight);
  m_tiles = new StudentTiles(m_class->credentials().userId, &m_class->roster(), stage);
  auto *row = new QHBoxLayout(stage);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(m_selfView);
  row->addWidget(m_tiles, 1);

  connect(m_media, &ConsoleMedia::cameraFrame, this, [this](const QByteArray &i420, int width, int height) {
    ilive::LiveVideoFrame f;
    const QByteArray me = m_class->credentials().userId.toUtf8();
    f.identifier = me.constData();
    f.width = uint32_t(width);
    f.height = uint32_t(height);
    f.dataSize = uint32_t(i420.size());
    f.data = reinterpret_cast<const uint8_t *>(i420.constData());
    m_selfView->inputFrame(f);
  });
  return stage;
}

void ClassPage::makeWhiteboard(const QString &previewUrl) {
  BoardClassData data;
  data.userId = m_class->credentials().userId;
  data.roomId = 0; // the teacher starts the board: no history to load
  data.groupId = std::to_string(m_class->session().roomId());
  data.previewUrl = previewUrl;
  QPointer<ConsoleClass> klass(m_class);
  // Action data comes on the board library's thread; it is sent from the GUI thread.
  auto link = std::make_unique<TeacherBoardLink>([klass](const QByteArray &bytes) {
    if (!klass)
      return;
    QMetaObject::invokeMethod(klass.data(), [klass, bytes] {
      if (klass)
        klass->session().sendWhiteboard(bytes, [](int, const QString &) {});
    }, Qt::QueuedConnection);
  });
  m_board = new QWindowWhiteBoard(this, data, std::move(link));
  m_board->setObjectName(QStringLiteral("whiteboard"));
  m_board->setInteractive(true);
}

void ClassPage::setDocuments(const QList<LessonDocument> &documents) {
  auto *upload = m_board->findChild<QAbstractButton *>(QStringLiteral("btnUpload"));
  if (!upload || documents.isEmpty())
    return;
  if (!m_documents) {
    // The button offers the service's documents instead of adding one it knows by name (its
    // only tie to the window is that by-name slot).
    disconnect(upload, nullptr, m_board, nullptr);
    m_documents = new QMenu(upload);
    m_documents->setObjectName(QStringLiteral("menuDocuments"));
    connect(upload, &QAbstractButton::clicked, m_documents, [upload, menu = m_documents] {
      menu->popup(upload->mapToGlobal(QPoint(upload->width(), 0)));
    });
  }
  m_documents->clear();
  for (const LessonDocument &d : documents) {
    QAction *a = m_documents->addAction(QStringLiteral("%1（%2，%3 页）").arg(d.title, d.file).arg(d.pages));
    a->setData(d.file);
    connect(a, &QAction::triggered, m_board, [board = m_board, d] {
      board->boardService()->addDocument(d.file, unsigned(d.pages));
      board->on_updatePageWindow();
    });
  }
}

void ClassPage::onDisplayChosen(bool whiteboard) {
  m_class->setDisplay(QLatin1String(whiteboard ? ConsoleClass::kWhiteBoard : ConsoleClass::kScreen));
}

void ClassPage::onDiscussionToggled(bool closed) {
  m_discussion->setText(closed ? QStringLiteral("打开讨论区") : QStringLiteral("关闭讨论区"));
  m_class->setDiscussionOpen(!closed);
}

void ClassPage::onMicrophoneToggled(bool on) {
  if (!m_media->setMicrophone(on)) {
    const QSignalBlocker quiet(m_mic);
    m_mic->setChecked(false);
  }
}

void ClassPage::showReconnecting(bool on) {
  const QString text = QString::fromUtf8(ReconnectBanner::kText);
  if (on) {
    m_notice->setText(text);
    m_notice->show();
  } else if (m_notice->text() == text) {
    m_notice->hide();
  }
}

void ClassPage::showProblem(const QString &what) {
  m_notice->setText(what);
  m_notice->show();
  QTimer::singleShot(kNoticeMs, m_notice, [label = m_notice, what] {
    if (label->text() == what)
      label->hide();
  });
}
