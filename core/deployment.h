#pragma once
// Where this installation's service lives: portal, backend, storage, hub and the live-SDK
// account values. Read once from deployment.ini (core/places.h says where); every value can be
// overridden by an environment variable so tests can point the program at their own service.

#include <QString>

struct Deployment {
  QString portalUrl;      // TARNWICK_PORTAL_URL   web portal base, e.g. http://127.0.0.1:18080
  QString backendUrl;     // TARNWICK_BACKEND_URL  backend API base ("<base>/<service>/<path>")
  QString staticUrl;      // TARNWICK_STATIC_URL   static content (emoji, pictures)
  QString storageUrl;     // TARNWICK_STORAGE_URL  cloud store for chat pictures
  QString storageAccount; // TARNWICK_STORAGE_ACCOUNT
  QString previewUrl;     // TARNWICK_PREVIEW_URL  document-preview images
  QString hubUrl;         // TARNWICK_HUB_URL      real-time hub, e.g. ws://127.0.0.1:18081
  QString siteUrl;        // TARNWICK_SITE_URL     public web site
  QString im;             // TARNWICK_IM           who carries IM: "hub" (default) or "xmpp"
  QString xmppUrl;        // TARNWICK_XMPP_URL     the XMPP server, xmpp://host:port/domain
  QString media;          // TARNWICK_MEDIA        who carries audio and video: "hub" (default) or "janus"
  QString janusUrl;       // TARNWICK_JANUS_URL    Janus's WebSocket API, ws://host:port, when the
                          //                       class sign-in names none (docs/service.md)
  int sdkAppId = 0;       // TARNWICK_SDK_APPID
  int sdkAccountType = 0; // TARNWICK_SDK_ACCOUNT_TYPE
  QString upgradeProgram; // TARNWICK_UPGRADE_PROGRAM  file name beside the executable
  QString updateKey;      // TARNWICK_UPDATE_KEY  Base64 Ed25519 key that signs update manifests

  // What the live SDK is given as its IM address: empty for the hub, else xmppUrl.
  QString imAddress() const;
  // The same for media: empty for the hub, else janusUrl.
  QString mediaAddress() const;

  // The record of this process, loaded on first use from the folder core/places.h chooses.
  static const Deployment &instance();
  // Reads <dir>/deployment.ini, then applies the environment overrides. Missing values keep
  // the built-in defaults, which point at the local service's default ports.
  static Deployment load(const QString &dir);
  // For tests: replaces the process record (e.g. after changing the environment).
  static void setInstance(const Deployment &d);
};
