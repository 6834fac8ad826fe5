#pragma once
// The console's first page: the class service, the teacher's phone and password (the demo
// teacher filled in), the teacher's classes once signed in, and the button that enters the
// chosen class.

#include "teacher/console/teacherservice.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class SignInPage : public QWidget {
  Q_OBJECT
public:
  static constexpr const char *kDemoPhone = "13900000001";
  static constexpr const char *kDemoPassword = "teacher01";

  explicit SignInPage(const QString &serviceUrl, QWidget *parent = nullptr);

  QString serviceUrl() const;
  QString phone() const;
  QString password() const;
  void setAccount(const QString &phone, const QString &password);
  // Shown under the buttons; empty hides it.
  void setStatus(const QString &text, bool isError = false);
  void setBusy(bool busy);
  TeacherService *service() { return &m_teacherService; }

signals:
  void enterRequested(const TeacherClass &chosen);

private:
  void signIn();
  void onClasses(const QList<TeacherClass> &classes, const QString &error);
  void enterChosen();

  TeacherService m_teacherService;
  QList<TeacherClass> m_listed;
  QLineEdit *m_service, *m_phone, *m_password;
  QPushButton *m_signIn, *m_enter;
  QListWidget *m_list;
  QLabel *m_status;
};
