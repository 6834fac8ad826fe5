#pragma once
// The teacher console's window: the sign-in page until a class is entered, then the class
// page; ending the class (or losing the hub) brings the sign-in page back.

#include "sdk/net/hubtransport.h"
#include "teacher/console/teacherservice.h"
#include "teacher/servicesignin.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>

class ClassPage;
class ConsoleClass;
class QStackedWidget;
class SignInPage;

struct ConsoleSetup {
  QString serviceUrl;
  QString hubUrl; // empty: what the service says, else the deployment's
  QString chatPageUrl;
  QString previewUrl;
  // Where the hub is reached; null: a WebSocket to the hub address.
  std::function<sdk::HubTransportFactory(const QString &hubUrl)> transports;

  static ConsoleSetup fromDeployment();
};

class ConsoleWindow : public QMainWindow {
  Q_OBJECT
public:
  static constexpr int kWidth = 1280;
  static constexpr int kHeight = 860;

  explicit ConsoleWindow(ConsoleSetup setup, QWidget *parent = nullptr);
  ~ConsoleWindow() override;

  SignInPage *signInPage() const { return m_signIn; }
  // Null while no class runs.
  ClassPage *classPage() const;
  ConsoleClass *consoleClass() const;

signals:
  void classEntered();
  void classEnded();

protected:
  // Closing during a class ends it first, so the students are told.
  void closeEvent(QCloseEvent *event) override;

private:
  static constexpr int kEndTimeoutMs = 3000;
  // How often the roster's names are read again from the service, as the students' clients do.
  static constexpr int kNameRefreshMs = 5000;
  void enter(const TeacherClass &chosen);
  void onCredentials(const TeacherCredentials &credentials, const QString &error);
  void onEntered();
  void followRoomNames();
  void onProblemBeforeEntering(const QString &what);
  void backToSignIn(const QString &status, bool isError);

  ConsoleSetup m_setup;
  QStackedWidget *m_pages;
  SignInPage *m_signIn;
  ServiceSignIn m_serviceSignIn;
  TeacherClass m_chosen;
  QPointer<ConsoleClass> m_class;
  QPointer<ClassPage> m_classPage;
  bool m_closing = false;
};
