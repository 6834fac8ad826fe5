// The class-name editor: the local checks stop a bad name before the backend hears of it and
// show the first failing check's message; the backend's answer either closes the editor with
// the accepted name or leaves it open with the reply's text.

#include "classroom_widgets/qtnameeditor.h"
#include "classroom_widgets/qtnameeditorview.h"
#include "widgets/qtbackimagebutton.h"
#include "widgets/qtmessagebox.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Open error boxes as "title|text", and closes them.
QStringList takeErrorBoxes() {
  QStringList out;
  for (QWidget *w : QApplication::topLevelWidgets()) {
    auto *box = qobject_cast<QtMessageBox *>(w);
    if (!box || !box->isVisible()) continue;
    out << box->title() + QLatin1Char('|') + box->message();
    box->close();
  }
  return out;
}

} // namespace

class TestNameEditor : public QObject {
  Q_OBJECT
  QStringList submitted;
  QtNameEditorView::Reply pending;

  void attach(QtNameEditor &editor) {
    submitted.clear();
    pending = nullptr;
    editor.view()->setSubmit([this](const QString &name, const QtNameEditorView::Reply &reply) {
      submitted << name;
      pending = reply;
    });
  }
  QLineEdit *field(QtNameEditor &editor) { return editor.findChild<QLineEdit *>(QStringLiteral("txtName")); }
  void submit(QtNameEditor &editor, const QString &text) {
    field(editor)->setText(text);
    editor.findChild<QtBackImageButton *>(QStringLiteral("btnOK"))->click();
  }

private slots:
  void frame() {
    QtNameEditor editor;
    QCOMPARE(editor.title(), QStringLiteral("修改班级姓名"));
    QCOMPARE(editor.size(), QSize(420, 219));
    auto *ok = editor.findChild<QtBackImageButton *>(QStringLiteral("btnOK"));
    QCOMPARE(ok->imageName(), QStringLiteral("yellow_button"));
    QCOMPARE(ok->captionText(), QStringLiteral("提交"));
  }

  void storedNameLosesItsPrefix() {
    QtNameEditor editor;
    editor.setName(QStringLiteral("012李四"));
    QCOMPARE(field(editor)->text(), QStringLiteral("李四"));
    editor.setName(QStringLiteral("0123"));
    QCOMPARE(field(editor)->text(), QStringLiteral("0123"));
  }

  void refusedNamesNeverReachTheBackend() {
    QtNameEditor editor;
    attach(editor);
    editor.show();
    submit(editor, QString());
    QCOMPARE(takeErrorBoxes(), QStringList{QStringLiteral("错误|姓名不可以为空！")});
    submit(editor, QStringLiteral("2班张三"));
    QCOMPARE(takeErrorBoxes(), QStringList{QStringLiteral("错误|姓名不能以数字开头！")});
    submit(editor, QStringLiteral("张").repeated(21));
    QCOMPARE(takeErrorBoxes(), QStringList{QStringLiteral("错误|姓名长度不能超过 20 个字符！")});
    submit(editor, QStringLiteral("张 三"));
    QCOMPARE(takeErrorBoxes(), QStringList{QStringLiteral("错误|姓名中不能包含特殊字符！")});
    QCOMPARE(submitted, QStringList());
    QVERIFY(editor.isVisible());

    submit(editor, QStringLiteral("张三2"));
    QCOMPARE(submitted, QStringList{QStringLiteral("张三2")});
    QCOMPARE(takeErrorBoxes(), QStringList());
  }

  void acceptedNameClosesTheEditor() {
    QtNameEditor editor;
    attach(editor);
    QSignalSpy accepted(editor.view(), &QtNameEditorView::nameAccepted);
    editor.show();
    submit(editor, QStringLiteral("张_三"));
    QVERIFY(pending);
    QVERIFY(editor.isVisible()); // nothing changes before the answer
    pending(0, QString(), {{QStringLiteral("name"), QStringLiteral("007张_三")}});
    QCOMPARE(accepted.size(), 1);
    QCOMPARE(accepted.at(0).at(0).toString(), QStringLiteral("007张_三"));
    QVERIFY(!editor.isVisible());
  }

  void answerWithoutNameChangesNothing() {
    QtNameEditor editor;
    attach(editor);
    QSignalSpy accepted(editor.view(), &QtNameEditorView::nameAccepted);
    editor.show();
    submit(editor, QStringLiteral("张-三"));
    pending(0, QString(), {});
    QCOMPARE(accepted.size(), 0);
    QVERIFY(editor.isVisible());
  }

  void refusalShowsTheRepliesTextAndStaysOpen() {
    QWidget classroom;
    classroom.show();
    QtNameEditor editor;
    attach(editor);
    editor.view()->setTipParent([&classroom] { return &classroom; });
    QSignalSpy accepted(editor.view(), &QtNameEditorView::nameAccepted);
    editor.show();
    submit(editor, QStringLiteral("张三"));
    pending(4001, QStringLiteral("登录已过期"), {});
    QList<QtMessageBox *> boxes = classroom.findChildren<QtMessageBox *>();
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first()->message(), QStringLiteral("登录已过期"));
    QCOMPARE(accepted.size(), 0);
    QVERIFY(editor.isVisible());
    QCOMPARE(field(editor)->text(), QStringLiteral("张三"));
    takeErrorBoxes();
  }
};

QTEST_MAIN(TestNameEditor)
#include "test_nameeditor.moc"
