#pragma once
// The side panel's two tabs, discussion ("讨论区") and members ("成员"). The chosen tab takes
// the selected look; the classroom is told which page to show (again, if it is already shown).

#include <QWidget>

class QtBackImageButton;

class QtMessageTab : public QWidget {
  Q_OBJECT
public:
  explicit QtMessageTab(QWidget *parent = nullptr);

  static QString selectedCaptionStyle();
  static QString unselectedCaptionStyle();

public slots:
  void btnMessageClicked();
  void btnMemberClicked();

signals:
  void messageViewRequested();
  void memberViewRequested();

private:
  QtBackImageButton *addTab(const char *objectName, const QString &caption);
  void select(QtBackImageButton *chosen, QtBackImageButton *other);

  QtBackImageButton *btnMessage = nullptr;
  QtBackImageButton *btnMember = nullptr;
};
