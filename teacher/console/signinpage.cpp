#include "teacher/console/signinpage.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kFormWidth = 520;

QLineEdit *field(const char *objectName, const QString &text, QWidget *parent) {
  auto *edit = new QLineEdit(text, parent);
  edit->setObjectName(QLatin1String(objectName));
  edit->setMinimumHeight(30);
  return edit;
}
} // namespace

SignInPage::SignInPage(const QString &serviceUrl, QWidget *parent) : QWidget(parent) {
  auto *title = new QLabel(QStringLiteral("教师控制台"), this);
  title->setObjectName(QStringLiteral("consoleTitle"));
  title->setStyleSheet(QStringLiteral("font-size: 24px; font-weight: bold; color: #2a6fdb;"));
  auto *hint = new QLabel(QStringLiteral("用教师账号登录，选择要上的课，进入教室。"), this);
  hint->setStyleSheet(QStringLiteral("color: #666666;"));

  m_service = field("editService", serviceUrl, this);
  m_phone = field("editPhone", QLatin1String(kDemoPhone), this);
  m_password = field("editPassword", QLatin1String(kDemoPassword), this);
  m_password->setEchoMode(QLineEdit::Password);
  auto *form = new QFormLayout;
  form->addRow(QStringLiteral("课堂服务"), m_service);
  form->addRow(QStringLiteral("手机号"), m_phone);
  form->addRow(QStringLiteral("密码"), m_password);

  m_signIn = new QPushButton(QStringLiteral("登录"), this);
  m_signIn->setObjectName(QStringLiteral("btnSignIn"));
  m_signIn->setDefault(true);
  m_list = new QListWidget(this);
  m_list->setObjectName(QStringLiteral("listClasses"));
  m_list->setMinimumHeight(140);
  m_list->setStyleSheet(QStringLiteral("QListWidget::item { padding: 6px; border-bottom: 1px solid #e5e5e5; color: #333333; }"
                                        "QListWidget::item:selected { background: #2a6fdb; color: white; }"));
  m_enter = new QPushButton(QStringLiteral("进入教室"), this);
  m_enter->setObjectName(QStringLiteral("btnEnter"));
  m_enter->setEnabled(false);
  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("labelStatus"));
  m_status->setWordWrap(true);

  auto *box = new QWidget(this);
  box->setFixedWidth(kFormWidth);
  auto *column = new QVBoxLayout(box);
  column->addWidget(title);
  column->addWidget(hint);
  column->addSpacing(12);
  column->addLayout(form);
  column->addWidget(m_signIn);
  column->addSpacing(12);
  column->addWidget(new QLabel(QStringLiteral("我的课程"), this));
  column->addWidget(m_list);
  column->addWidget(m_enter);
  column->addWidget(m_status);
  auto *outer = new QVBoxLayout(this);
  outer->addStretch();
  outer->addWidget(box, 0, Qt::AlignHCenter);
  outer->addStretch(2);

  connect(m_signIn, &QPushButton::clicked, this, &SignInPage::signIn);
  connect(m_password, &QLineEdit::returnPressed, this, &SignInPage::signIn);
  connect(&m_teacherService, &TeacherService::finished, this, &SignInPage::onClasses);
  connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { m_enter->setEnabled(row >= 0); });
  connect(m_list, &QListWidget::itemDoubleClicked, this, &SignInPage::enterChosen);
  connect(m_enter, &QPushButton::clicked, this, &SignInPage::enterChosen);
}

QString SignInPage::serviceUrl() const { return m_service->text().trimmed(); }
QString SignInPage::phone() const { return m_phone->text().trimmed(); }
QString SignInPage::password() const { return m_password->text(); }

void SignInPage::setAccount(const QString &phone, const QString &password) {
  m_phone->setText(phone);
  m_password->setText(password);
}

void SignInPage::setStatus(const QString &text, bool isError) {
  m_status->setStyleSheet(isError ? QStringLiteral("color: #d0021b;") : QStringLiteral("color: #333333;"));
  m_status->setText(text);
}

void SignInPage::setBusy(bool busy) {
  m_signIn->setEnabled(!busy);
  m_enter->setEnabled(!busy && m_list->currentRow() >= 0);
}

void SignInPage::signIn() {
  setBusy(true);
  m_list->clear();
  m_listed.clear();
  setStatus(QStringLiteral("正在登录…"));
  m_teacherService.fetch(serviceUrl(), phone(), password());
}

void SignInPage::onClasses(const QList<TeacherClass> &classes, const QString &error) {
  m_listed = classes;
  for (const TeacherClass &c : classes)
    m_list->addItem(c.title());
  if (!classes.isEmpty())
    m_list->setCurrentRow(0);
  setBusy(false);
  setStatus(error.isEmpty() ? QStringLiteral("请选择一门课，点击“进入教室”。") : error, !error.isEmpty());
}

void SignInPage::enterChosen() {
  const int row = m_list->currentRow();
  if (row < 0 || row >= m_listed.size())
    return;
  setBusy(true);
  setStatus(QStringLiteral("正在进入教室…"));
  emit enterRequested(m_listed.at(row));
}
