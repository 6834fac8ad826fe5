#include "shell/qtmymenu.h"

#include "widgets/qtmenuitem.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

const QString QtMyMenu::kGold = QStringLiteral("gold");
const QString QtMyMenu::kMyInfo = QStringLiteral("my_info");
const QString QtMyMenu::kModifyPassword = QStringLiteral("modify_password");
const QString QtMyMenu::kLogout = QStringLiteral("logout");

namespace {

constexpr int kAvatarSide = 56;
constexpr int kAvatarRadius = 28;
constexpr int kMenuWidth = 180;

// Its own white: the title bar's yellow would otherwise reach the menu, a child of the bar.
const char *const kMenuStyle =
    "#QtMyMenu { background-color: rgb(255, 255, 255); border: 1px solid rgb(231, 231, 231); }"
    "#QtMyMenu QWidget { background-color: transparent; }";
const char *const kNameStyle = "font: 75 14px \"微软雅黑\"; color: rgb(37, 27, 24);";
const char *const kGoldStyle = "font: 13px \"微软雅黑\"; color: rgb(254, 140, 0);";

} // namespace

QtMyMenu::QtMyMenu(QWidget *parent) : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("QtMyMenu"));
  setAttribute(Qt::WA_StyledBackground, true);
  setStyleSheet(QLatin1String(kMenuStyle));
  setFixedWidth(kMenuWidth);
  m_hideTimer.setSingleShot(true);
  m_hideTimer.setInterval(kHideDelayMs);
  connect(&m_hideTimer, &QTimer::timeout, this, &QtMyMenu::onTimeout);
  setAttribute(Qt::WA_ShowWithoutActivating, true); // the shell keeps the keyboard

  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(1, 1, 1, 1);
  column->setSpacing(0);
  column->addWidget(buildHeader());
  const struct {
    const char *object;
    const char *icon;
    QString text;
    void (QtMyMenu::*slot)();
  } items[] = {
      {"menuItem2", "menu_gold", QStringLiteral("金币商城"), &QtMyMenu::menuItem2Clicked},
      {"menuItem3", "menu_info", QStringLiteral("个人信息"), &QtMyMenu::menuItem3Clicked},
      {"menuItem4", "menu_password", QStringLiteral("修改密码"), &QtMyMenu::menuItem4Clicked},
      {"menuItem5", "menu_logout", QStringLiteral("退出登录"), &QtMyMenu::menuItem5Clicked},
  };
  for (const auto &item : items) {
    auto *row = new QtMenuItem(QLatin1String(item.icon), item.text, this);
    row->setObjectName(QLatin1String(item.object));
    connect(row, &QtMenuItem::clicked, this, item.slot);
    column->addWidget(row);
  }
  adjustSize();
}

QWidget *QtMyMenu::buildHeader() {
  auto *header = new QWidget(this);
  auto *row = new QHBoxLayout(header);
  row->setContentsMargins(14, 12, 14, 12);
  row->setSpacing(10);
  m_labelAvatar = new QLabel(header);
  m_labelAvatar->setObjectName(QStringLiteral("labelAvatar"));
  m_labelAvatar->setFixedSize(kAvatarSide, kAvatarSide);
  QPixmap fallback(QStringLiteral(":/res/Resources/avatar_default.png"));
  setAvatar(fallback);
  auto *text = new QVBoxLayout;
  m_labelName = new QLabel(header);
  m_labelName->setObjectName(QStringLiteral("labelName"));
  m_labelName->setStyleSheet(QLatin1String(kNameStyle));
  auto *goldRow = new QHBoxLayout;
  auto *coin = new QLabel(header);
  coin->setPixmap(QPixmap(QStringLiteral(":/res/Resources/gold.png")).scaled(16, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  m_labelGold = new QLabel(header);
  m_labelGold->setObjectName(QStringLiteral("labelGold"));
  m_labelGold->setStyleSheet(QLatin1String(kGoldStyle));
  goldRow->addWidget(coin);
  goldRow->addWidget(m_labelGold, 1);
  text->addWidget(m_labelName);
  text->addLayout(goldRow);
  row->addWidget(m_labelAvatar);
  row->addLayout(text, 1);
  return header;
}

void QtMyMenu::setAvatar(const QPixmap &picture) {
  QPixmap copy = picture;
  m_labelAvatar->setPixmap(PixmapToRound(copy, kAvatarRadius));
}

void QtMyMenu::setName(const QString &name) { m_labelName->setText(name); }

void QtMyMenu::setGold(const QString &gold) { m_labelGold->setText(gold); }

QPixmap QtMyMenu::PixmapToRound(QPixmap &src, int radius) {
  return roundPixmap(src, m_labelAvatar->size(), radius);
}

QPixmap QtMyMenu::roundPixmap(const QPixmap &source, const QSize &size, int radius) {
  QPixmap out(size);
  out.fill(Qt::transparent);
  if (source.isNull()) return out;
  QPainter p(&out);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  QPainterPath clip;
  clip.addRoundedRect(QRectF(QPointF(0, 0), size), radius, radius);
  p.setClipPath(clip);
  p.drawPixmap(out.rect(), source.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation));
  return out;
}

void QtMyMenu::onTimeout() { hide(); }

void QtMyMenu::choose(const QString &itemName) {
  hide();
  emit itemClicked(itemName);
}

void QtMyMenu::menuItem2Clicked() { choose(kGold); }

void QtMyMenu::menuItem3Clicked() { choose(kMyInfo); }

void QtMyMenu::menuItem4Clicked() { choose(kModifyPassword); }

void QtMyMenu::menuItem5Clicked() { choose(kLogout); }

// The pointer reaching the menu from the user button keeps it open; leaving it starts the wait.
void QtMyMenu::enterEvent(QEvent *event) {
  m_hideTimer.stop();
  QWidget::enterEvent(event);
}

void QtMyMenu::leaveEvent(QEvent *event) {
  m_hideTimer.start();
  QWidget::leaveEvent(event);
}
