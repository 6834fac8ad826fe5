#include "core/protect.h"

#include "core/places.h"

#include <QByteArray>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

// Protected form: Base64 of nonce || secretbox(blob) under a random 32-byte key of this user.

namespace {

struct Key {
  unsigned char bytes[crypto_secretbox_KEYBYTES];
  ~Key() { sodium_memzero(bytes, sizeof bytes); }
};

// Reads exactly one key; errno-style code on failure.
int readKey(const QByteArray &path, Key &key) {
  const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat st {};
  if (fstat(fd, &st) == 0 && (st.st_mode & 077)) fchmod(fd, 0600);
  const ssize_t n = ::read(fd, key.bytes, sizeof key.bytes);
  const int err = n < 0 ? errno : 0;
  char extra;
  const bool longer = n == static_cast<ssize_t>(sizeof key.bytes) && ::read(fd, &extra, 1) > 0;
  ::close(fd);
  if (err) return err;
  return n == static_cast<ssize_t>(sizeof key.bytes) && !longer ? 0 : EINVAL;
}

// Writes a fresh key to a private temporary file, then moves it into place: a reader never
// sees a half-written key. With replace false, a key that another process put there first wins.
int createKey(const QByteArray &path, bool replace) {
  QByteArray temp = path + ".XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC); // mode 0600
  if (fd < 0) return errno;
  Key key;
  randombytes_buf(key.bytes, sizeof key.bytes);
  const bool written = ::write(fd, key.bytes, sizeof key.bytes) == static_cast<ssize_t>(sizeof key.bytes) &&
                       fsync(fd) == 0;
  int err = written ? 0 : (errno ? errno : EIO);
  ::close(fd);
  if (!err) {
    const int rc = replace ? ::rename(temp.constData(), path.constData()) : ::link(temp.constData(), path.constData());
    if (rc != 0 && !(errno == EEXIST && !replace)) err = errno;
  }
  ::unlink(temp.constData());
  return err;
}

int loadKey(Key &key, bool create) {
  if (sodium_init() < 0) return ENOSYS;
  const QString file = protectKeyFilePath();
  const QString dir = QFileInfo(file).absolutePath();
  if (create && !QDir().mkpath(dir)) return errno ? errno : EACCES;
  const QByteArray path = QFile::encodeName(file);
  int err = readKey(path, key);
  if (!create || err == 0) return err;
  err = createKey(path, err == EINVAL);
  return err ? err : readKey(path, key);
}

} // namespace

QString protectKeyFilePath() { return Places::userConfigDir() + QStringLiteral("/quorvel.key"); }

QString protectString(const QString &plain) {
  QByteArray blob = plain.toUtf8();
  blob.append('\0');
  qDebug() << "cbDataInput:" << blob.size();
  Key key;
  const int err = loadKey(key, true);
  if (err) {
    qDebug() << "error:" << err;
    return QString();
  }
  QByteArray out(int(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES) + blob.size(), '\0');
  auto *nonce = reinterpret_cast<unsigned char *>(out.data());
  randombytes_buf(nonce, crypto_secretbox_NONCEBYTES);
  crypto_secretbox_easy(nonce + crypto_secretbox_NONCEBYTES, reinterpret_cast<const unsigned char *>(blob.constData()),
                        static_cast<unsigned long long>(blob.size()), nonce, key.bytes);
  sodium_memzero(blob.data(), static_cast<size_t>(blob.size()));
  return QString::fromLatin1(out.toBase64());
}

QString unprotectString(const QString &stored) {
  const auto decoded = QByteArray::fromBase64Encoding(stored.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
  const QByteArray &in = decoded.decoded;
  const int overhead = int(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES);
  if (!decoded || in.size() <= overhead) {
    qDebug() << "error" << EINVAL;
    return QString();
  }
  Key key;
  const int err = loadKey(key, false);
  if (err) {
    qDebug() << "error" << err;
    return QString();
  }
  QByteArray plain(in.size() - overhead, '\0');
  const auto *nonce = reinterpret_cast<const unsigned char *>(in.constData());
  if (crypto_secretbox_open_easy(reinterpret_cast<unsigned char *>(plain.data()), nonce + crypto_secretbox_NONCEBYTES,
                                 static_cast<unsigned long long>(in.size() - int(crypto_secretbox_NONCEBYTES)), nonce,
                                 key.bytes) != 0) {
    qDebug() << "error" << EBADMSG;
    return QString();
  }
  const QString text = QString::fromUtf8(plain.constData()); // up to the terminating zero
  sodium_memzero(plain.data(), static_cast<size_t>(plain.size()));
  return text;
}
