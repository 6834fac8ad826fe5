#pragma once
// The user button's drop-down menu: the round avatar, the name, the coin balance, and the
// items "金币商城", "个人信息", "修改密码", "退出登录". A click on an item hides the menu and
// emits itemClicked with the item's key; the hide timer hides it when it fires.

#include <QString>
#include <QTimer>
#include <QWidget>

class QLabel;

class QtMyMenu : public QWidget {
  Q_OBJECT
public:
  static constexpr int kHideDelayMs = 500;
  // Keys of the items, in menu order.
  static const QString kGold;
  static const QString kMyInfo;
  static const QString kModifyPassword;
  static const QString kLogout;

  explicit QtMyMenu(QWidget *parent = nullptr);

  void setAvatar(const QPixmap &picture);
  void setName(const QString &name);
  void setGold(const QString &gold);
  QTimer *hideTimer() { return &m_hideTimer; }

signals:
  void itemClicked(const QString &itemName);

public slots:
  void onTimeout();
  void menuItem2Clicked();
  void menuItem3Clicked();
  void menuItem4Clicked();
  void menuItem5Clicked();
  // Masks a picture, scaled to the avatar label, with a rounded rectangle of that radius.
  QPixmap PixmapToRound(QPixmap &src, int radius);

public:
  // The picture scaled to cover size, masked with a rounded rectangle of that radius.
  static QPixmap roundPixmap(const QPixmap &source, const QSize &size, int radius);

protected:
  void enterEvent(QEvent *event) override;
  void leaveEvent(QEvent *event) override;

private:
  QWidget *buildHeader();
  void choose(const QString &itemName);

  QTimer m_hideTimer;
  QLabel *m_labelAvatar = nullptr;
  QLabel *m_labelName = nullptr;
  QLabel *m_labelGold = nullptr;
};
