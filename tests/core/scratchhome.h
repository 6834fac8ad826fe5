#pragma once
// Points the per-user config and data folders at a scratch folder for the life of the test
// process, so tests never read or write the real user's settings, key or cache. Must exist
// before the application object and any settings object.

#include <QTemporaryDir>
#include <QTest>

class ScratchHome {
public:
  ScratchHome();
  QString configDir() const;
  QString dataDir() const;

private:
  QTemporaryDir m_dir;
};

#define SCRATCH_HOME_TEST_MAIN(AppClass, TestClass)                                                                    \
  int main(int argc, char **argv) {                                                                                    \
    ScratchHome home;                                                                                                  \
    AppClass app(argc, argv);                                                                                          \
    TestClass test;                                                                                                    \
    return QTest::qExec(&test, argc, argv);                                                                            \
  }
