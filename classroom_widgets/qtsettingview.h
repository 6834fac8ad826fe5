#pragma once
// The body of the settings dialog: a "设备" page (camera, microphone and speaker choices,
// the two volumes, the microphone and speaker tests, the two stage switches) and an "关于"
// page (logo, version, update check). Every choice goes straight to the host, which applies
// and stores it.

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QtBackImageButton;
class QtMySlider;
class SettingHost;

class QtSettingView : public QWidget {
  Q_OBJECT
public:
  // The result of an update check shows this long after the answer, at the earliest.
  static constexpr int kVersionResultDelayMs = 2000;

  // host must outlive the view.
  explicit QtSettingView(SettingHost *host, QWidget *parent = nullptr);

  bool hideUp() const { return m_hideUp; }
  bool disableCamera() const { return m_disableCamera; }
  // Stores the switches and the volumes once more (the dialog's close button).
  void storeAll();

public slots:
  void btnTestMicClicked();
  void btnStopMicTestClicked();
  void btnTestSpeakerClicked();
  void btnStopSpeakerTestClicked();
  void sliderMicVolChanged(int value);
  void sliderSpeakerVolChanged(int value);
  void on_cbMic_currentIndexChanged(int index);
  void on_cbSpeaker_currentIndexChanged(int index);
  void on_cbCamera_currentIndexChanged(int index);
  void on_btnHideUp_clicked();
  void on_btnDisableCamera_clicked();
  void on_btnDevice_clicked();
  void on_btnAbout_clicked();
  void on_btnCheckVersion_clicked();
  void versionCheck(bool isUpToDate, const QString &version);
  // The check failed: says so with the reason and lets the student try again.
  void versionCheckFailed(const QString &reason);

private:
  void buildForm();
  // The answer's text, shown with the button enabled again after the promised wait.
  void showVersionResult(const QString &text);
  QWidget *buildDevicePage();
  QWidget *buildAboutPage();
  QWidget *buildTabBar();
  void addDeviceRow(class QGridLayout *grid, int row, const QString &caption, QComboBox *combo,
                    QtBackImageButton *test, QtBackImageButton *stop);
  void addVolumeRow(QGridLayout *grid, int row, const QString &caption, QtMySlider *slider,
                    QLineEdit *field);
  struct AudioRow {
    const char *combo, *test, *stop, *slider, *field;
    QString caption, volumeCaption;
  };
  void addAudioRows(QGridLayout *grid, int row, const AudioRow &names, QComboBox *&combo,
                    QtBackImageButton *&test, QtBackImageButton *&stop, QtMySlider *&slider,
                    QLineEdit *&field);
  void fillDevices();
  void applyStoredSettings();
  void connectAll();
  void showPage(bool device);
  void setSwitchImage(QPushButton *button, bool on);
  int micVol() const;
  int speakerVol() const;

  SettingHost *m_host;
  bool m_hideUp = false;
  bool m_disableCamera = false;

  QtBackImageButton *m_btnDevice = nullptr;
  QtBackImageButton *m_btnAbout = nullptr;
  QWidget *m_widgetDevice = nullptr;
  QWidget *m_widgetAbout = nullptr;
  QComboBox *m_cbMic = nullptr;
  QComboBox *m_cbSpeaker = nullptr;
  QComboBox *m_cbCamera = nullptr;
  QtBackImageButton *m_btnTestMic = nullptr;
  QtBackImageButton *m_btnStopMicTest = nullptr;
  QtBackImageButton *m_btnTestSpeaker = nullptr;
  QtBackImageButton *m_btnStopSpeakerTest = nullptr;
  QtMySlider *m_sliderMicVol = nullptr;
  QtMySlider *m_sliderSpeakerVol = nullptr;
  QLineEdit *m_textMicVol = nullptr;
  QLineEdit *m_textSpeakerVol = nullptr;
  QPushButton *m_btnHideUp = nullptr;
  QPushButton *m_btnDisableCamera = nullptr;
  QPushButton *m_btnCheckVersion = nullptr;
  QLabel *m_labelInfo = nullptr;
};
