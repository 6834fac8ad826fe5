#include "classroom_widgets/qtnameeditorview.h"

#include "core/classname.h"
#include "widgets/qtbackimagebutton.h"
#include "widgets/tips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

namespace {

const char *const kNameStyle = "QLineEdit {\n    border: 1px solid #E7E7E7;\n    border-radius: 4px;\n    padding: 0 8px;\n}";

} // namespace

QtNameEditorView::QtNameEditorView(QWidget *parent)
    : QWidget(parent), m_txtName(new QLineEdit(this)),
      m_btnOK(new QtBackImageButton(QStringLiteral("yellow_button"), this)) {
  m_txtName->setObjectName(QStringLiteral("txtName"));
  m_txtName->setStyleSheet(QLatin1String(kNameStyle));
  m_txtName->setFixedHeight(36);
  m_txtName->setPlaceholderText(QStringLiteral("请输入班级姓名"));
  m_btnOK->setObjectName(QStringLiteral("btnOK"));
  m_btnOK->setCaptionText(QStringLiteral("提交"));
  m_btnOK->setFixedSize(110, 36);
  auto *column = new QVBoxLayout(this);
  column->setContentsMargins(40, 24, 40, 24);
  column->setSpacing(20);
  column->addWidget(m_txtName);
  column->addWidget(m_btnOK, 0, Qt::AlignHCenter);
  column->addStretch(1);
  connect(m_btnOK, &QPushButton::clicked, this, &QtNameEditorView::btnOKClicked);
}

void QtNameEditorView::setName(const QString &name) { m_txtName->setText(classname::shown(name)); }

QString QtNameEditorView::name() const { return m_txtName->text(); }

void QtNameEditorView::showError(const QString &message, QWidget *parent) {
  ShowCodeErrorTips(message, parent);
}

void QtNameEditorView::btnOKClicked() {
  const QString name = m_txtName->text(); // as typed: the rules refuse what trimming would hide
  const QString refusal = classname::refusal(name);
  if (!refusal.isEmpty()) {
    showError(refusal, window());
    return;
  }
  if (!m_submit) return;
  QPointer<QtNameEditorView> self(this);
  m_submit(name, [self](int errorCode, const QString &errorInfo, const QVariantMap &data) {
    if (self) self->onReply(errorCode, errorInfo, data);
  });
}

void QtNameEditorView::onReply(int errorCode, const QString &errorInfo, const QVariantMap &data) {
  if (errorCode != 0) {
    QWidget *over = m_tipParent ? m_tipParent() : nullptr;
    showError(errorInfo, over ? over : window());
    return;
  }
  const QString key = QStringLiteral("name");
  if (!data.contains(key)) return;
  emit nameAccepted(data.value(key).toString());
  emit nameChanged();
}
