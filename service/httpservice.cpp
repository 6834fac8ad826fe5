#include "service/httpservice.h"

#include "service/apirouter.h"
#include "service/guardedserver.h"
#include "service/pageroutes.h"
#include "service/picturestore.h"

#include <httplib.h>

#include <QDebug>

#include <chrono>

#include <sys/socket.h>

namespace {

const char *const kStoreContentType = "X-Tarnwick-Store-Content-Type";

QByteArray queryOf(const httplib::Request &req) {
  const size_t q = req.target.find('?');
  return q == std::string::npos ? QByteArray() : QByteArray::fromStdString(req.target.substr(q + 1));
}

bool isFormBody(const httplib::Request &req) {
  const std::string type = req.get_header_value("Content-Type");
  // Some callers send no type at all; treat those bodies as forms too.
  return type.empty() || type.find("application/x-www-form-urlencoded") == 0 || type.find("text/plain") == 0;
}

} // namespace

HttpService::HttpService(const ApiRouter &api, const PageRoutes &pages, const PictureStore &pictures)
    : m_api(api), m_pages(pages), m_pictures(pictures), m_server(std::make_unique<GuardedServer>()) {
  m_server->set_payload_max_length(MaxBodyBytes);
  // The library's default shares the port with any other process (SO_REUSEPORT), so a second
  // service on a busy port would split the requests with the first. Take the port alone.
  m_server->set_socket_options([](socket_t sock) {
    int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
  });
  m_server->set_read_timeout(10, 0);
  // The library would split a multipart body itself and drop the classroom's file part (its
  // Content-Disposition ends in ";"). For the store the type is moved aside before the body
  // is read, so the body arrives whole and the store splits it.
  m_server->set_pre_routing_handler([](const httplib::Request &req, httplib::Response &) {
    if (req.method == "POST" && req.path.rfind(PictureStore::prefix().toStdString() + '/', 0) == 0) {
      auto &headers = const_cast<httplib::Headers &>(req.headers);
      const auto type = headers.find("Content-Type");
      if (type != headers.end()) {
        headers.emplace(kStoreContentType, type->second);
        headers.erase(type);
      }
    }
    return httplib::Server::HandlerResponse::Unhandled;
  });
  // The store's routes come first: the API's pattern would take its POSTs otherwise.
  const std::string store = PictureStore::prefix().toStdString() + "(/.*)";
  m_server->Post(store, [this](const httplib::Request &req, httplib::Response &res) { handleUpload(req, res); });
  m_server->Get(store, [this](const httplib::Request &req, httplib::Response &res) { handleDownload(req, res); });
  m_server->Post(R"(/([A-Za-z0-9_\-]+)/([A-Za-z0-9_\-/]+))",
                 [this](const httplib::Request &req, httplib::Response &res) { handleApi(req, res); });
  m_server->Get(R"(/.*)", [this](const httplib::Request &req, httplib::Response &res) { handlePage(req, res); });
  // Requests no route took (a POST elsewhere, an oversized body) still get an envelope.
  m_server->set_error_handler([](const httplib::Request &, httplib::Response &res) {
    if (!res.body.empty()) return;
    const ApiReply reply = ApiReply::error(ApiError::BadRequest, QString::number(res.status));
    res.set_content(reply.toJson().toStdString(), "application/json; charset=utf-8");
  });
  m_server->set_exception_handler([](const httplib::Request &req, httplib::Response &res, std::exception_ptr) {
    qWarning().noquote() << "http" << QString::fromStdString(req.path) << "failed";
    res.status = 500;
    res.set_content(ApiReply::error(ApiError::Internal).toJson().toStdString(), "application/json; charset=utf-8");
  });
}

HttpService::~HttpService() { stop(); }

bool HttpService::bind(quint16 port, QString *error) {
  bool ok = false;
  if (port == 0) {
    const int bound = m_server->bind_to_any_port("127.0.0.1");
    ok = bound > 0;
    if (ok) m_port = quint16(bound);
  } else {
    ok = m_server->bind_to_port("127.0.0.1", port);
    if (ok) m_port = port;
  }
  if (!ok && error) *error = QStringLiteral("cannot listen on 127.0.0.1:%1").arg(port);
  return ok;
}

bool HttpService::start() {
  if (m_port == 0 || m_thread.joinable()) return false;
  m_thread = std::thread([this] { m_server->listen_after_bind(); });
  // stop() before the accept loop runs would be lost, so wait until it does.
  for (int i = 0; i < 500 && !m_server->is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return m_server->is_running();
}

void HttpService::stop() {
  if (!m_thread.joinable()) return;
  m_server->stop();
  m_thread.join();
}

void HttpService::handleApi(const httplib::Request &req, httplib::Response &res) const {
  const QString service = QString::fromStdString(req.matches[1].str());
  const QString path = QString::fromStdString(req.matches[2].str());
  ApiReply reply = ApiReply::error(ApiError::UnknownApi, service + QLatin1Char('/') + path);
  if (m_api.knowsService(service)) {
    const QByteArray body = isFormBody(req) ? QByteArray::fromStdString(req.body) : QByteArray();
    FormParams params = FormParams::parse(body, queryOf(req));
    params.setPeer(QString::fromStdString(req.remote_addr));
    reply = m_api.dispatch(service, path, params);
  }
  qInfo().noquote() << "POST" << service + QLatin1Char('/') + path << "->" << reply.errorCode();
  res.status = reply.httpStatus();
  res.set_content(reply.toJson().toStdString(), "application/json; charset=utf-8");
}

void HttpService::handlePage(const httplib::Request &req, httplib::Response &res) const {
  const PageResponse page =
      m_pages.get(QString::fromStdString(req.path), FormParams::parse(QByteArray(), queryOf(req)));
  res.status = page.status;
  for (const auto &h : page.headers) res.set_header(h.first.toStdString().c_str(), h.second.toStdString());
  res.set_content(page.body.toStdString(), page.contentType.toStdString().c_str());
}

void HttpService::handleUpload(const httplib::Request &req, httplib::Response &res) const {
  const QString path = QString::fromStdString(req.matches[1].str());
  const QByteArray type = QByteArray::fromStdString(req.get_header_value(kStoreContentType));
  const ApiReply reply = m_pictures.upload(path, QByteArray::fromStdString(req.get_header_value("Authorization")),
                                           type, QByteArray::fromStdString(req.body));
  qInfo().noquote() << "POST" << PictureStore::prefix() + path << "->" << reply.errorCode();
  res.status = reply.httpStatus();
  res.set_content(reply.toJson().toStdString(), "application/json; charset=utf-8");
}

void HttpService::handleDownload(const httplib::Request &req, httplib::Response &res) const {
  const PageResponse page = m_pictures.download(QString::fromStdString(req.matches[1].str()), queryOf(req));
  res.status = page.status;
  res.set_content(page.body.toStdString(), page.contentType.toStdString().c_str());
}
