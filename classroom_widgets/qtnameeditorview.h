#pragma once
// The body of the class-name editor: the name field and "提交". It checks the name, hands it
// to the submit function and applies the answer.

#include <QVariantMap>
#include <QWidget>
#include <functional>

class QLineEdit;
class QtBackImageButton;

class QtNameEditorView : public QWidget {
  Q_OBJECT
public:
  // Answer of the name call: error code, error text, data.
  using Reply = std::function<void(int errorCode, const QString &errorInfo, const QVariantMap &data)>;
  // Sends the name to the backend; reply is called once with the envelope's parts.
  using Submit = std::function<void(const QString &name, const Reply &reply)>;

  explicit QtNameEditorView(QWidget *parent = nullptr);

  void setSubmit(Submit submit) { m_submit = std::move(submit); }
  // Where the backend's error tips appear: asked at the time of the answer, since the editor
  // outlives classes and the classroom window of the class it was opened in may be gone by
  // then. Null (or no function) puts the tip over the editor.
  using TipParent = std::function<QWidget *()>;
  void setTipParent(TipParent parent) { m_tipParent = std::move(parent); }
  // Shows the current name, a three-digit ordering prefix hidden.
  void setName(const QString &name);
  QString name() const;
  // The backend's answer to a submitted name.
  void onReply(int errorCode, const QString &errorInfo, const QVariantMap &data);

signals:
  // The backend accepted this name: the title bar and the classroom take it.
  void nameAccepted(const QString &name);
  void nameChanged();

public slots:
  void btnOKClicked();

private:
  void showError(const QString &message, QWidget *parent);

  QLineEdit *m_txtName;
  QtBackImageButton *m_btnOK;
  Submit m_submit;
  TipParent m_tipParent;
};
