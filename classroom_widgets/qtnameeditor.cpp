#include "classroom_widgets/qtnameeditor.h"

#include "classroom_widgets/qtnameeditorview.h"

#include <QVBoxLayout>

QtNameEditor::QtNameEditor(QWidget *parent) : PopWindow(parent), m_view(new QtNameEditorView(this)) {
  setObjectName(QStringLiteral("QtNameEditor"));
  setTitle(QStringLiteral("修改班级姓名"));
  setFixedSize(420, 219);
  mainLayout()->addWidget(m_view);
  connect(m_view, &QtNameEditorView::nameChanged, this, &QtNameEditor::onNameChanged);
}

void QtNameEditor::setName(const QString &name) { m_view->setName(name); }

void QtNameEditor::onNameChanged() { close(); }
