#include "service/pageroutes.h"

#include "service/accountstore.h"
#include "service/documentpreviews.h"
#include "service/seeddata.h"
#include "service/serviceconfig.h"
#include "service/webassets.h"

#include "core/places.h"

#include <QFile>
#include <QRegularExpression>
#include <QUrl>

PageResponse PageRoutes::get(const QString &path, const FormParams &query) const {
  if (path == QLatin1String("/"))
    return redirect(QStringLiteral("/client-login/login?build=%1").arg(m_config.buildNumber));
  if (path == QLatin1String("/client-login/login")) return file(QStringLiteral("login.html"));
  if (path == QLatin1String("/check-token")) return checkToken(query);
  if (path == QLatin1String("/support")) return file(QStringLiteral("support.html"));
  if (path.startsWith(QLatin1String("/portal/"))) {
    const QString page = path.mid(8);
    if (!page.isEmpty() && !page.contains(QLatin1Char('.')))
      return file(QStringLiteral("portal/") + page + QStringLiteral(".html"));
  }
  if (path.startsWith(QLatin1String("/assets/"))) return file(path.mid(1));
  if (path.startsWith(QLatin1String("/files/"))) return download(path.mid(7));
  if (path.startsWith(QLatin1String("/static/live/"))) return file(path.mid(8));
  if (path.startsWith(QLatin1String("/static/png/emoji/"))) return face(path.mid(18));
  if (m_previews && path.startsWith(QLatin1String(DocumentPreviews::kPathPrefix)))
    return m_previews->get(path.mid(int(qstrlen(DocumentPreviews::kPathPrefix))), query);
  return errorPage(404, QStringLiteral("页面不存在"), QStringLiteral("您访问的页面不存在或已被移除。"));
}

PageResponse PageRoutes::file(const QString &relativePath) const {
  const std::optional<QByteArray> body = m_assets.read(relativePath);
  if (!body)
    return errorPage(404, QStringLiteral("页面不存在"), QStringLiteral("您访问的页面不存在或已被移除。"));
  PageResponse r;
  r.contentType = WebAssets::contentType(relativePath);
  r.body = *body;
  r.headers.append(qMakePair(QByteArray("Cache-Control"), QByteArray("no-cache")));
  return r;
}

PageResponse PageRoutes::face(const QString &name) const {
  // The faces are drawn at build time and shipped with the programs; only their own names are served.
  static const QRegularExpression faceName(QStringLiteral("^image\\d{3}\\.png$"));
  QFile png(Places::current().sharedDataDir() + QStringLiteral("/png/emoji/") + name);
  if (!faceName.match(name).hasMatch() || !png.open(QIODevice::ReadOnly))
    return errorPage(404, QStringLiteral("页面不存在"), QStringLiteral("您访问的页面不存在或已被移除。"));
  PageResponse r;
  r.contentType = WebAssets::contentType(name);
  r.body = png.readAll();
  return r;
}

PageResponse PageRoutes::checkToken(const FormParams &query) const {
  const QString token = query.value(QStringLiteral("token"));
  const QString phone = query.value(QStringLiteral("phone"));
  const std::optional<Account> account = m_accounts.byToken(token);
  if (token.isEmpty() || !account || account->phone != phone)
    return errorPage(401, QStringLiteral("登录已失效"),
                     QStringLiteral("您的登录信息已过期或无效，请重新登录后再试。"));
  // The portal opens on the live tab; the page reads phone and token from this address.
  return file(QStringLiteral("portal/live.html"));
}

PageResponse PageRoutes::download(const QString &name) const {
  PageResponse r = file(QStringLiteral("files/") + name);
  if (r.status != 200) return r;
  QString title = name;
  for (const DownloadFile &d : m_catalog.downloads)
    if (d.file == name) title = d.title;
  // The ASCII name for old clients, the student-facing name for everyone else.
  r.headers.append(qMakePair(QByteArray("Content-Disposition"),
                             "attachment; filename=\"" + name.toLatin1() + "\"; filename*=UTF-8''" +
                                 QUrl::toPercentEncoding(title)));
  return r;
}

PageResponse PageRoutes::redirect(const QString &location) const {
  PageResponse r;
  r.status = 302;
  r.contentType = "text/plain; charset=utf-8";
  r.headers.append(qMakePair(QByteArray("Location"), location.toUtf8()));
  return r;
}

PageResponse PageRoutes::errorPage(int status, const QString &title, const QString &message) const {
  PageResponse r;
  r.status = status;
  r.contentType = "text/html; charset=utf-8";
  const std::optional<QByteArray> page = m_assets.read(QStringLiteral("error.html"));
  QString html = page ? QString::fromUtf8(*page)
                      : QStringLiteral("<!doctype html><meta charset=\"utf-8\"><h1>{{title}}</h1><p>{{message}}</p>");
  html.replace(QLatin1String("{{title}}"), title.toHtmlEscaped());
  html.replace(QLatin1String("{{message}}"), message.toHtmlEscaped());
  r.body = html.toUtf8();
  return r;
}
