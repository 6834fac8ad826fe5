#pragma once
// The small bar under the discussion: the emoji picker button and the screenshot button.

#include <QWidget>

class QtImageButton;

class QtMessageToolBar : public QWidget {
  Q_OBJECT
public:
  static constexpr int kButtonSide = 24;

  explicit QtMessageToolBar(QWidget *parent = nullptr);

public slots:
  void btnEmojiClicked();
  void btnScreenShotClicked();

signals:
  void emojiRequested();
  void screenShotRequested();

private:
  QtImageButton *addButton(const char *objectName, const QString &image, const QString &tip);
};
