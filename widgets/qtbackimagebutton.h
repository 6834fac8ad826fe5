#pragma once
// An image button whose picture is the background of a centred caption ("yellow_button",
// "gray_button" with "确定", "取消" and the like).

#include "widgets/qtimagebutton.h"

class QLabel;

class QtBackImageButton : public QtImageButton {
  Q_OBJECT
public:
  explicit QtBackImageButton(QWidget *parent = nullptr);
  explicit QtBackImageButton(const QString &imageName, QWidget *parent = nullptr);

  void setCaptionText(const QString &text);
  QString captionText() const;
  void setCaptionStyle(const QString &styleSheet);

  // The caption, object name "labelText".
  QLabel *labelText() const { return m_labelText; }

  static QString defaultCaptionStyle();

private:
  void build();

  QLabel *m_labelText = nullptr;
};
