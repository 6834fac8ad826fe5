#pragma once
// The pages: sign-in, the portal entry that checks the token, the portal pages, support,
// their assets and the downloadable files.

#include "service/formparams.h"
#include "service/pageresponse.h"

#include <QString>

class AccountStore;
class DocumentPreviews;
class SeedData;
class WebAssets;
struct ServiceConfig;

class PageRoutes {
public:
  PageRoutes(const AccountStore &accounts, const WebAssets &assets, const SeedData &catalog,
             const ServiceConfig &config)
      : m_accounts(accounts), m_assets(assets), m_catalog(catalog), m_config(config) {}

  PageResponse get(const QString &path, const FormParams &query) const;
  // Serves /preview/<file> from them; set before the server starts.
  void setPreviews(const DocumentPreviews *previews) { m_previews = previews; }

  // error.html with its title and message filled in (HTML-escaped).
  PageResponse errorPage(int status, const QString &title, const QString &message) const;

private:
  PageResponse file(const QString &relativePath) const;
  PageResponse checkToken(const FormParams &query) const;
  PageResponse download(const QString &name) const;
  PageResponse redirect(const QString &location) const;

  const AccountStore &m_accounts;
  const WebAssets &m_assets;
  const SeedData &m_catalog;
  const ServiceConfig &m_config;
  const DocumentPreviews *m_previews = nullptr;
};
