#pragma once
// Runs a script in a page and waits (up to 10 s) for its value.

#include <QString>
#include <QVariant>

class QWebEngineView;

QVariant js(QWebEngineView *view, const QString &script);
