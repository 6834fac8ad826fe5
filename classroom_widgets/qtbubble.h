#pragma once
// Speech bubble that floats above a control: a frameless tool window made of one row of
// pictures (left cap, stretched body, tip in the middle, stretched body, right cap) with a
// white text over it. The tip sits at the horizontal centre, pointing down.

#include <QWidget>

class QLabel;

class QtBubble : public QWidget {
  Q_OBJECT
public:
  explicit QtBubble(QWidget *parent = nullptr);

  // Fixes the bubble's width (and that of its row and text) to width, sets the text and
  // shows the bubble.
  void setText(const QString &text, int width);
  QString text() const;

protected:
  void resizeEvent(QResizeEvent *event) override;

private:
  QLabel *addPicture(const char *name, const QString &file, bool stretched);
  void layoutRow();
  void shapeToPictures();

  QLabel *labelLeft = nullptr;
  QLabel *labelBodyLeft = nullptr;
  QLabel *labelCenter = nullptr;
  QLabel *labelBodyRight = nullptr;
  QLabel *labelRight = nullptr;
  QLabel *labelText = nullptr;
};
