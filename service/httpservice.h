#pragma once
// The HTTP side on 127.0.0.1: API calls ("POST /<service>/<path>") go to the router, GET
// requests to the page routes, and the picture store's address to the store. cpp-httplib's
// blocking server runs on a thread of its own, with the time and connection limits of
// GuardedServer; handlers run on its worker threads, which is why the stores lock.

#include <QString>

#include <memory>
#include <thread>

class GuardedServer;
namespace httplib {
struct Request;
struct Response;
} // namespace httplib

class ApiRouter;
class PageRoutes;
class PictureStore;

class HttpService {
public:
  HttpService(const ApiRouter &api, const PageRoutes &pages, const PictureStore &pictures);
  ~HttpService();
  HttpService(const HttpService &) = delete;
  HttpService &operator=(const HttpService &) = delete;

  // Binds 127.0.0.1:port (0 picks a free one). False, with *error, when that fails.
  bool bind(quint16 port, QString *error);
  quint16 port() const { return m_port; }
  // Serves on a new thread; returns once the server accepts connections.
  bool start();
  void stop();

  // Larger bodies are refused before they reach a handler.
  static constexpr size_t MaxBodyBytes = 16 * 1024 * 1024;

private:
  void handleApi(const httplib::Request &req, httplib::Response &res) const;
  void handlePage(const httplib::Request &req, httplib::Response &res) const;
  void handleUpload(const httplib::Request &req, httplib::Response &res) const;
  void handleDownload(const httplib::Request &req, httplib::Response &res) const;

  const ApiRouter &m_api;
  const PageRoutes &m_pages;
  const PictureStore &m_pictures;
  std::unique_ptr<GuardedServer> m_server;
  std::thread m_thread;
  quint16 m_port = 0;
};
