#pragma once
// An image button with a caption label inside it (the toolbar's microphone and speaker).
// The owner places the label (geometry, alignment). With colour switching on, the caption
// turns orange while the pointer is over the button and grey otherwise.

#include "widgets/qtimagebutton.h"

class QLabel;

class QtImageButton2 : public QtImageButton {
  Q_OBJECT
public:
  explicit QtImageButton2(QWidget *parent = nullptr);
  explicit QtImageButton2(const QString &imageName, QWidget *parent = nullptr);

  // The caption, object name "label".
  QLabel *label() const { return m_label; }

  void setColorSwitching(bool on);
  bool colorSwitching() const { return m_colorSwitching; }

  static QString hoverCaptionStyle();
  static QString normalCaptionStyle();

public slots:
  void refreshImage() override;

private:
  QLabel *m_label = nullptr;
  bool m_colorSwitching = false;
};
