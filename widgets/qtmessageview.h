#pragma once
// The content of a message box: an icon, the message and up to two buttons (OK in yellow,
// Cancel in grey). It only reports what the user did; the box decides what follows.

#include <QWidget>

namespace Ui {
class QtMessageView;
}
class ExLabel;
class QLabel;
class QtBackImageButton;

class QtMessageView : public QWidget {
  Q_OBJECT
public:
  explicit QtMessageView(QWidget *parent = nullptr);
  ~QtMessageView() override;

  void setMessage(const QString &text);
  QString message() const;
  // Loads ":/res/Resources/" + name + ".png" into labelIcon.
  void setIconName(const QString &name);
  // Captions of the two buttons; an empty cancel caption hides the cancel button.
  void setButtonTexts(const QString &okText, const QString &cancelText);

  QLabel *labelIcon() const;
  ExLabel *labelMessage() const;
  QtBackImageButton *btnOK() const;
  QtBackImageButton *btnCancel() const;

signals:
  void okClicked();
  void cancelClicked();
  void messageDoubleClicked();

public slots:
  void onBtnOKClicked();
  void onBtnCancelClicked();
  void onMessageDoubleClicked();

protected:
  void showEvent(QShowEvent *event) override;

private:
  void fitMessage();

  Ui::QtMessageView *ui;
};
