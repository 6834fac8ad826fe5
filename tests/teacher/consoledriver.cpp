#include "consoledriver.h"

#include "support/seedaccounts.h"
#include "teacher/console/consolewindow.h"
#include "teacher/console/signinpage.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QTest>

namespace consoledriver {

bool click(QWidget *parent, const char *name) {
  auto *button = parent->findChild<QAbstractButton *>(QLatin1String(name));
  if (!button || !button->isEnabled())
    return false;
  QTest::mouseClick(button, Qt::LeftButton);
  return true;
}

ClassPage *enterDemoClass(ConsoleWindow &console, int timeoutMs) {
  console.show();
  if (!QTest::qWaitForWindowExposed(&console))
    return nullptr;
  SignInPage *signIn = console.signInPage();
  if (signIn->phone() != QLatin1String(SignInPage::kDemoPhone) || !click(signIn, "btnSignIn"))
    return nullptr;
  auto *classes = signIn->findChild<QListWidget *>(QStringLiteral("listClasses"));
  if (!classes || !QTest::qWaitFor([classes] { return classes->count() == 2; }, timeoutMs))
    return nullptr;
  const QList<QListWidgetItem *> math = classes->findItems(QString::number(seed::kRoomId), Qt::MatchContains);
  if (math.size() != 1)
    return nullptr;
  classes->setCurrentItem(math.first());
  if (!click(signIn, "btnEnter") || !QTest::qWaitFor([&console] { return console.classPage() != nullptr; }, timeoutMs))
    return nullptr;
  return console.classPage();
}

} // namespace consoledriver
