#pragma once
// The avatar button: the user's picture (labelAvatar, avatar_default.png until one is set)
// under a mask (labelMask, avatar_mask.png) that makes it look round.

#include <QPushButton>

class QLabel;
class QPixmap;

class QtMyButton : public QPushButton {
  Q_OBJECT
public:
  explicit QtMyButton(QWidget *parent = nullptr);

  void setAvatar(const QPixmap &picture);
  void resetAvatar();

  QLabel *labelAvatar() const { return m_labelAvatar; }
  QLabel *labelMask() const { return m_labelMask; }

protected:
  void resizeEvent(QResizeEvent *event) override;

private:
  QLabel *m_labelAvatar = nullptr;
  QLabel *m_labelMask = nullptr;
};
