#pragma once
// Answers the program's message boxes from a test: the yes/no question runs its own event
// loop, so the answer has to come from a timer while it is up.

#include <QPointer>
#include <QString>
#include <QStringList>

class QtMessageBox;

class BoxDriver {
public:
  // Answers every question that comes up from now on with `yes`, recording title and text.
  explicit BoxDriver(bool yes);
  ~BoxDriver();

  void setAnswer(bool yes) { yes_ = yes; }
  QStringList questions() const { return questions_; } // "title|text", in order

  // Information boxes currently open, as "title|text".
  static QStringList openInformation();
  // Closes every open information box.
  static void closeInformation();

private:
  void poll();

  bool yes_;
  QStringList questions_;
  class QTimer *timer_;
};
