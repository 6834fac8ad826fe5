#pragma once
// The one progress box of the whiteboard's file transfers: a frameless, translucent card
// with a drop shadow, a message, a percentage and a spinning indicator. Created on first use
// by instance(); any thread may emit its signals, the box reacts on the GUI thread.

#include <QDialog>

class QLabel;
class QProgressIndicator;
class QTimer;

class QDialogProgress : public QDialog {
  Q_OBJECT
public:
  static QDialogProgress *instance();

  explicit QDialogProgress(QWidget *parent = nullptr);
  ~QDialogProgress() override;

  QLabel *labelMsg() const { return m_labelMsg; }
  QLabel *labelProgress() const { return m_labelProgress; }
  QProgressIndicator *indicator() const { return m_indicator; }

signals:
  // Emitted by the transfer code; the message label hides when msg is empty.
  void showProgress(const QString &msg, int progress);
  void hideAfter(int milliseconds);

public slots:
  void on_showProgress(const QString &msg, int progress);
  void on_hideAfter(int milliseconds);

protected:
  void showEvent(QShowEvent *event) override;
  void hideEvent(QHideEvent *event) override;

private:
  QLabel *m_labelMsg = nullptr;
  QLabel *m_labelProgress = nullptr;
  QProgressIndicator *m_indicator = nullptr;
  QTimer *m_hideTimer = nullptr;
};
