#pragma once
// The chat picture's way to the cloud store and into the chat, without a window: the upload
// signature and its renewal, the object address, the signed multipart POST, and what the
// store's answer turns into. The classroom window forwards to it and wires the two outputs:
// the picture message goes to the class as command 2056 and into its own chat page.

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVariantMap>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

class ChatPictureUpload : public QObject {
  Q_OBJECT
public:
  // A signature is renewed within its last ten minutes.
  static constexpr qint64 kRenewalMarginS = 600;

  explicit ChatPictureUpload(QObject *parent = nullptr);
  ~ChatPictureUpload() override;

  void setUser(const QString &userId, const QString &userName);
  // Where pictures go: <storageUrl>/files/v2/<account>/public/chatPicture/...
  void setStorage(const QString &storageUrl, const QString &account);
  // The current local time; the system clock unless a test sets one.
  void setClock(std::function<QDateTime()> clock) { clock_ = std::move(clock); }

  // Once closing has begun, signature answers change nothing and none is due.
  void setLeaving(bool leaving) { leaving_ = leaving; }
  // Whether the heartbeat should ask for a signature now: none yet, or in its last 600 s.
  bool signatureDue() const;
  // The answer of "cos_multi_effect_signature2", whatever its code.
  void onSignatureReply(const QVariantMap &data);
  QString signature() const { return signature_; }
  qint32 signatureExpiry() const { return signatureExpiry_; }

  // The object's path for a picture taken now. A second picture in the same second gets a
  // short suffix, so it does not replace the first.
  QString nextObjectPath();
  // "----" and 32 lower-case hex digits of a new random UUID.
  static QByteArray newBoundary();
  static QByteArray multipartBody(const QByteArray &boundary, const QByteArray &png);

  // The picture's address in the store's answer ({"data": {"access_url": ...}}); empty when
  // the answer has none.
  static QString accessUrlOf(const QByteArray &answer);
  // The JSON text of a picture message, as the class and the chat page get it.
  static QVariantMap pictureMessage(const QString &userName, const QString &url);

public slots:
  void uploadPicture(QByteArray fileContent);
  void onUploadPictureSucc(QNetworkReply *reply);

signals:
  // The picture message's JSON text, for the group command 2056.
  void pictureMessageReady(const QString &json);
  // The same message for the student's own chat page (the sender hears no echo over IM).
  void showMessageMap(const QVariantMap &message);

private:
  QNetworkAccessManager *manager();

  std::function<QDateTime()> clock_;
  QString userId_;
  QString userName_;
  QString storageUrl_;
  QString account_;
  QString signature_;
  qint32 signatureExpiry_ = 0;
  bool leaving_ = false;
  QSet<QString> usedNames_;
  QNetworkAccessManager *manager_ = nullptr;
};
