#include "core/protect.h"
#include "core/settingsdevices.h"
#include "core/settingsstore.h"
#include "scratchhome.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <memory>

namespace {

class FakeDevices : public SettingsDevices {
public:
  QStringList inputs{QStringLiteral("Built-in Mic"), QStringLiteral("USB 麦克风"), QStringLiteral("Headset Mic")};
  QStringList outputs{QStringLiteral("Speakers"), QStringLiteral("Headphones")};
  QStringList cameras{QStringLiteral("Front Camera"), QStringLiteral("Test Pattern"), QStringLiteral("USB Cam")};
  QString defaultInput = QStringLiteral("Headset Mic");
  QString defaultOutput = QStringLiteral("Headphones");
  int refreshes = 0;
  QList<QPair<int, int>> inputSelections, outputSelections;

  void refresh() override { ++refreshes; }
  QStringList inputNames() const override { return inputs; }
  QStringList outputNames() const override { return outputs; }
  QStringList cameraDescriptions() const override { return cameras; }
  QString defaultInputName() const override { return defaultInput; }
  QString defaultOutputName() const override { return defaultOutput; }
  void selectInput(int index, int volume) override { inputSelections.append({index, volume}); }
  void selectOutput(int index, int volume) override { outputSelections.append({index, volume}); }
};

// The same file the store uses, opened independently, as another process would see it.
std::unique_ptr<QSettings> openFile() {
  auto s = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("brannock"),
                                       QStringLiteral("quorvel"));
  s->setIniCodec("utf-8");
  return s;
}

void writeFile(const QVariantMap &values) {
  auto s = openFile();
  for (auto it = values.begin(); it != values.end(); ++it) s->setValue(it.key(), it.value());
}

int setting(const SettingsStore &store, const char *key) {
  return store.currentSettings().value(QLatin1String(key)).toInt();
}

} // namespace

class TestSettingsStore : public QObject {
  Q_OBJECT
  FakeDevices m_devices;
  std::unique_ptr<SettingsStore> m_store;

  SettingsStore &loaded() {
    m_store->loadSetting();
    return *m_store;
  }

private slots:
  void initTestCase() {
    // Never the real user's file.
    QVERIFY(openFile()->fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/brannock/")));
    QVERIFY(openFile()->fileName().endsWith(QStringLiteral("quorvel.ini")));
  }

  void init() {
    QFile::remove(openFile()->fileName());
    m_devices = FakeDevices();
    m_store = std::make_unique<SettingsStore>(&m_devices);
  }

  void freshUserGetsDefaults() {
    SettingsStore &store = loaded();
    QCOMPARE(m_devices.refreshes, 1);
    QCOMPARE(setting(store, "mic"), 2);     // the system default input
    QCOMPARE(setting(store, "speaker"), 1); // the system default output
    QCOMPARE(setting(store, "mic_vol"), 100);
    QCOMPARE(setting(store, "speaker_vol"), 100);
    QCOMPARE(setting(store, "camera_index"), 0);
    QCOMPARE(setting(store, "disable_camera"), 0);
    QCOMPARE(setting(store, "hide_up"), 0);
    QCOMPARE(store.currentSettings().size(), 7);
  }

  void freshUserWithoutDevices() {
    m_devices.inputs.clear();
    m_devices.outputs.clear();
    m_devices.cameras.clear();
    SettingsStore &store = loaded();
    QCOMPARE(setting(store, "mic"), -1);
    QCOMPARE(setting(store, "speaker"), -1);
    QCOMPARE(setting(store, "camera_index"), -1);
  }

  void audioResolution_data() {
    QTest::addColumn<QVariantMap>("file");
    QTest::addColumn<int>("mic");
    auto m = [](std::initializer_list<std::pair<const char *, QVariant>> kv) {
      QVariantMap map;
      for (const auto &p : kv) map.insert(QLatin1String(p.first), p.second);
      return map;
    };
    QTest::newRow("stored index, default still wins") << m({{"mic", 1}}) << 2;
    QTest::newRow("index kept when default is off") << m({{"mic", 0}, {"use_default_mic", 0}}) << 0;
    QTest::newRow("name found overrides index") << m({{"mic", 0}, {"mic_name", "USB 麦克风"}, {"use_default_mic", 0}}) << 1;
    QTest::newRow("name gone, default on") << m({{"mic", 0}, {"mic_name", "Gone"}}) << 2;
    QTest::newRow("name gone, default explicitly on") << m({{"mic_name", "Gone"}, {"use_default_mic", 1}}) << 2;
    QTest::newRow("name gone, default off falls back to default") << m({{"mic", 1}, {"mic_name", "Gone"}, {"use_default_mic", 0}}) << 2;
    QTest::newRow("no index, default off") << m({{"use_default_mic", 0}}) << 2;
  }
  void audioResolution() {
    QFETCH(QVariantMap, file);
    QFETCH(int, mic);
    writeFile(file);
    QCOMPARE(setting(loaded(), "mic"), mic);
  }

  void defaultDeviceMissingFromListGivesMinusOne() {
    m_devices.defaultInput = QStringLiteral("Not listed");
    writeFile({{QStringLiteral("mic"), 1}});
    QCOMPARE(setting(loaded(), "mic"), -1);
  }

  void speakerFollowsTheSameRules() {
    writeFile({{QStringLiteral("speaker"), 1}, {QStringLiteral("speaker_name"), QStringLiteral("Speakers")},
               {QStringLiteral("use_default_speaker"), 0}, {QStringLiteral("speaker_vol"), 35}});
    SettingsStore &store = loaded();
    QCOMPARE(setting(store, "speaker"), 0);
    QCOMPARE(setting(store, "speaker_vol"), 35);
  }

  void cameraResolution_data() {
    QTest::addColumn<QVariant>("index");
    QTest::addColumn<QVariant>("name");
    QTest::addColumn<int>("expected");
    QTest::newRow("index only") << QVariant(2) << QVariant() << 2;
    QTest::newRow("name past the first wins") << QVariant(0) << QVariant(QStringLiteral("USB Cam")) << 2;
    QTest::newRow("name of the first camera does not override") << QVariant(1) << QVariant(QStringLiteral("Front Camera")) << 1;
    QTest::newRow("unknown name keeps index") << QVariant(1) << QVariant(QStringLiteral("Gone")) << 1;
    QTest::newRow("no index, name found") << QVariant() << QVariant(QStringLiteral("Test Pattern")) << 1;
  }
  void cameraResolution() {
    QFETCH(QVariant, index);
    QFETCH(QVariant, name);
    QFETCH(int, expected);
    QVariantMap file;
    if (index.isValid()) file.insert(QStringLiteral("camera_index"), index);
    if (name.isValid()) file.insert(QStringLiteral("camera_name"), name);
    writeFile(file);
    QCOMPARE(setting(loaded(), "camera_index"), expected);
  }

  void settersWriteFileMapAndTellTheClassroom() {
    SettingsStore &store = loaded();
    QSignalSpy mic(&store, &SettingsStore::micChanged);
    QSignalSpy micVol(&store, &SettingsStore::micVolChanged);
    QSignalSpy speakerVol(&store, &SettingsStore::speakerVolChanged);
    QSignalSpy camera(&store, &SettingsStore::cameraChanged);
    QSignalSpy hideUp(&store, &SettingsStore::hideUpChanged);

    store.setMic(1, 60);
    store.setMicVol(7, 20); // out of range: no name
    store.setSpeakerVol(0, 45);
    store.setCamera(2);
    store.setHideUp(true);

    QCOMPARE(mic.size(), 1);
    QCOMPARE(mic[0], (QVariantList{1, 60}));
    QCOMPARE(micVol[0], (QVariantList{7, 20}));
    QCOMPARE(speakerVol[0], (QVariantList{0, 45}));
    QCOMPARE(camera[0], QVariantList{2});
    QCOMPARE(hideUp[0], QVariantList{true});
    QCOMPARE(m_devices.inputSelections, (QList<QPair<int, int>>{{1, 60}, {7, 20}}));
    QCOMPARE(m_devices.outputSelections, (QList<QPair<int, int>>{{0, 45}}));

    const QVariantMap written{{QStringLiteral("mic"), 7},          {QStringLiteral("mic_vol"), 20},
                              {QStringLiteral("mic_name"), QString()}, {QStringLiteral("speaker"), 0},
                              {QStringLiteral("speaker_vol"), 45},     {QStringLiteral("speaker_name"), QStringLiteral("Speakers")},
                              {QStringLiteral("camera_index"), 2},     {QStringLiteral("camera_name"), QStringLiteral("USB Cam")},
                              {QStringLiteral("hide_up"), 1}};
    store.resetStore(); // writes the file out
    auto file = openFile();
    for (auto it = written.begin(); it != written.end(); ++it) {
      QCOMPARE(store.currentSettings().value(it.key()).toString(), it.value().toString());
      QCOMPARE(file->value(it.key()).toString(), it.value().toString());
    }
  }

  // The typed record reads the same values as the map, and writes the map back unchanged.
  void typedRecordMatchesTheMap() {
    SettingsStore &store = loaded();
    DeviceSettings fresh = store.deviceSettings();
    QCOMPARE(fresh.mic, 2);
    QCOMPARE(fresh.speaker, 1);
    QCOMPARE(fresh.micVol, 100);
    QCOMPARE(fresh.speakerVol, 100);
    QCOMPARE(fresh.cameraIndex, 0);
    QVERIFY(!fresh.disableCamera && !fresh.hideUp);
    QVERIFY(!fresh.micName && !fresh.speakerName && !fresh.cameraName);
    QCOMPARE(fresh.toMap(), store.currentSettings());

    store.setMic(1, 60);
    store.setSpeakerVol(9, 45); // out of range: an empty name, still present
    store.setCamera(2);
    store.setDisableCamera(true);
    store.setHideUp(true);
    const DeviceSettings set = store.deviceSettings();
    QCOMPARE(set.mic, 1);
    QCOMPARE(set.micVol, 60);
    QCOMPARE(set.micName, std::optional<QString>(QStringLiteral("USB 麦克风")));
    QCOMPARE(set.speaker, 9);
    QCOMPARE(set.speakerVol, 45);
    QCOMPARE(set.speakerName, std::optional<QString>(QString()));
    QCOMPARE(set.cameraIndex, 2);
    QCOMPARE(set.cameraName, std::optional<QString>(QStringLiteral("USB Cam")));
    QVERIFY(set.disableCamera && set.hideUp);
    QCOMPARE(set.toMap(), store.currentSettings());
    QCOMPARE(DeviceSettings::fromMap(set.toMap()), set);
    QVERIFY(DeviceSettings::fromMap(fresh.toMap()) != set);
  }

  void typedRecordDefaultsForMissingKeys() {
    const DeviceSettings none = DeviceSettings::fromMap(QVariantMap());
    QCOMPARE(none.mic, -1);
    QCOMPARE(none.speaker, -1);
    QCOMPARE(none.cameraIndex, -1);
    QCOMPARE(none.micVol, 100);
    QCOMPARE(none.speakerVol, 100);
    QVERIFY(!none.disableCamera && !none.hideUp);
    // Stored as text, as a settings file hands them back.
    const DeviceSettings text = DeviceSettings::fromMap(
        {{QStringLiteral("mic"), QStringLiteral("3")}, {QStringLiteral("disable_camera"), QStringLiteral("1")}});
    QCOMPARE(text.mic, 3);
    QVERIFY(text.disableCamera);
  }

  void settingsSurviveAReload() {
    loaded().setMic(1, 33);
    m_store->setSpeaker(0, 70);
    m_store->setCamera(2);
    m_store->resetStore();
    SettingsStore fresh(&m_devices);
    writeFile({{QStringLiteral("use_default_mic"), 0}, {QStringLiteral("use_default_speaker"), 0}});
    fresh.loadSetting();
    QCOMPARE(setting(fresh, "mic"), 1);
    QCOMPARE(setting(fresh, "mic_vol"), 33);
    QCOMPARE(setting(fresh, "speaker"), 0);
    QCOMPARE(setting(fresh, "speaker_vol"), 70);
    QCOMPARE(setting(fresh, "camera_index"), 2);
  }

  void disableCameraRewritesCameraKeysInFileOnly() {
    SettingsStore &store = loaded();
    store.setCamera(1);
    QSignalSpy spy(&store, &SettingsStore::disableCameraChanged);
    m_devices.cameras = QStringList{QStringLiteral("A"), QStringLiteral("B")};
    store.setDisableCamera(true);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy[0], QVariantList{true});
    QCOMPARE(store.currentSettings().value(QStringLiteral("disable_camera")).toInt(), 1);
    // The map keeps its name; the file gets the name the current list gives the index.
    QCOMPARE(store.currentSettings().value(QStringLiteral("camera_name")).toString(), QStringLiteral("Test Pattern"));
    store.resetStore();
    auto file = openFile();
    QCOMPARE(file->value(QStringLiteral("disable_camera")).toInt(), 1);
    QCOMPARE(file->value(QStringLiteral("camera_index")).toInt(), 1);
    QCOMPARE(file->value(QStringLiteral("camera_name")).toString(), QStringLiteral("B"));
  }

  void closedStoreIgnoresSettersAndPassword() {
    QSignalSpy spy(m_store.get(), &SettingsStore::micChanged);
    QSignalSpy hide(m_store.get(), &SettingsStore::hideUpChanged);
    m_store->setMic(1, 10); // never opened
    m_store->storePassword(QStringLiteral("13800000000"), QStringLiteral("pw"));
    loaded();
    m_store->resetStore();
    QVERIFY(!m_store->isOpen());
    m_store->setHideUp(true);
    m_store->setCamera(1);
    m_store->setDisableCamera(true);
    QCOMPARE(spy.size(), 0);
    QCOMPARE(hide.size(), 0);
    QVERIFY(m_devices.inputSelections.isEmpty());
    auto file = openFile();
    for (const char *key : {"mic", "hide_up", "camera_index", "disable_camera", "phone", "password"})
      QVERIFY2(!file->contains(QLatin1String(key)), key);
  }

  void resetStoreRereadsTheFile() {
    SettingsStore &store = loaded();
    writeFile({{QStringLiteral("hide_up"), 1}}); // written behind the open store's back
    store.resetStore();
    store.loadSetting();
    QCOMPARE(setting(store, "hide_up"), 1);
  }

  void passwordRoundTrip_data() {
    QTest::addColumn<QString>("password");
    QTest::newRow("ascii") << QStringLiteral("abc123");
    QTest::newRow("chinese") << QStringLiteral("我的密码");
  }
  void passwordRoundTrip() {
    QFETCH(QString, password);
    QString phone, pw;
    m_store->loadPassword(phone, pw); // opens the store
    QVERIFY(phone.isEmpty() && pw.isEmpty());
    m_store->storePassword(QStringLiteral(" 13800000000 "), password);
    m_store->resetStore();
    auto file = openFile();
    QCOMPARE(file->value(QStringLiteral("phone")).toString(), QStringLiteral("13800000000"));
    QCOMPARE(file->value(QStringLiteral("encrypt")).toInt(), 1);
    const QString stored = file->value(QStringLiteral("password")).toString();
    QVERIFY(!stored.isEmpty() && !stored.contains(password));
    m_store->loadPassword(phone, pw);
    QCOMPARE(phone, QStringLiteral("13800000000"));
    QCOMPARE(pw, password);
  }

  void emptyPasswordStoredEmptyButMarked() {
    QString phone, pw;
    m_store->loadPassword(phone, pw);
    m_store->storePassword(QStringLiteral("1"), QStringLiteral("   "));
    m_store->resetStore();
    auto file = openFile();
    QCOMPARE(file->value(QStringLiteral("password")).toString(), QString());
    QCOMPARE(file->value(QStringLiteral("encrypt")).toInt(), 1);
    m_store->loadPassword(phone, pw);
    QCOMPARE(pw, QString());
  }

  void unreadablePasswordLoadsEmpty() {
    writeFile({{QStringLiteral("phone"), QStringLiteral("139")}, {QStringLiteral("password"), QStringLiteral("Zm9vYmFy")},
               {QStringLiteral("encrypt"), 1}});
    QString phone, pw = QStringLiteral("stale");
    m_store->loadPassword(phone, pw);
    QCOMPARE(phone, QStringLiteral("139"));
    QCOMPARE(pw, QString());
  }

  void unprotectedPasswordIsReadAsIs() {
    writeFile({{QStringLiteral("phone"), QStringLiteral("139")}, {QStringLiteral("password"), QStringLiteral("plain")}});
    QString phone, pw;
    m_store->loadPassword(phone, pw);
    QCOMPARE(pw, QStringLiteral("plain"));
  }
};

SCRATCH_HOME_TEST_MAIN(QCoreApplication, TestSettingsStore)
#include "test_settingsstore.moc"
