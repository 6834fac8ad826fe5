#pragma once
// The frame of every small dialog: white, frameless, a yellow line on top, a title bar with a
// centred title and a close button, a thin separator, then the subclass's content (added to
// mainLayout()). A soft shadow (PopShadow) follows the window; a press on any free spot of
// the window drags it.
//
// Child object names: "labelTopLine", "frameTitle", "labelTitle", "btnClose", "labelLine".

#include <QDialog>

namespace Ui {
class PopWindow;
}
class PopShadow;
class ShadowFollower;
class QLabel;
class QVBoxLayout;
class QtImageButton;

class PopWindow : public QDialog {
  Q_OBJECT
public:
  explicit PopWindow(QWidget *parent = nullptr);
  ~PopWindow() override;

  void setTitle(const QString &text);
  QString title() const;

  PopShadow *shadow() const;
  QVBoxLayout *mainLayout() const;
  QLabel *titleLabel() const;
  QtImageButton *closeButton() const;

public slots:
  // Shows the shadow around the window; runs one event-loop turn after the window is shown.
  void initWidget();

protected:
  // Called when the close button is clicked, before the window closes. Does nothing here;
  // subclasses store their state in it.
  virtual void beforeClose();

  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;

private slots:
  void onBtnCloseClicked();

private:
  void layoutTitleBar();

  Ui::PopWindow *ui;
  ShadowFollower *m_chrome = nullptr;
};
