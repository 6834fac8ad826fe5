#include "classroom_widgets/qtsettingview.h"

#include "classroom_widgets/settinghost.h"
#include "core/settingskeys.h"
#include "widgets/qtbackimagebutton.h"
#include "widgets/qtmyslider.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const char *const kTabStyle = "font: 14px \"微软雅黑\";\nbackground-color: %1;";
const char *const kTabCurrent = "rgb(255, 255, 255)";
const char *const kTabOther = "rgb(241, 241, 241)";

const char *const kSliderStyle =
    "QSlider::groove:horizontal { height: 6px; margin: 2px 0; border-radius: 5px;"
    " background: rgb(230, 230, 230); }"
    "QSlider::handle:horizontal { width: 20px; margin: -7px 0; border-radius: 10px;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(255, 236, 110),"
    " stop:1 rgb(255, 204, 0)); }";

const char *const kComboStyle =
    "QComboBox { border: 1px solid #E7E7E7; border-radius: 4px; padding: 0 8px; height: 28px;"
    " font: 13px \"微软雅黑\"; }"
    "QComboBox QAbstractItemView::item { height: 28px; padding-left: 8px; }"
    "QComboBox QAbstractItemView::item:selected { background: rgb(255, 244, 179);"
    " color: rgb(37, 27, 24); }";

const char *const kCaptionStyle = "font: 13px \"微软雅黑\"; color: rgb(102, 102, 102);";
const char *const kSectionStyle = "font: 75 14px \"微软雅黑\"; color: rgb(37, 27, 24);";
const char *const kFieldStyle =
    "QLineEdit { border: 1px solid #E7E7E7; border-radius: 4px; font: 13px \"微软雅黑\"; }";
const char *const kSwitchStyle = "QPushButton { border: none; background: transparent; }";

constexpr int kTabWidth = 89;
constexpr int kTabHeight = 50;
constexpr int kTestButtonWidth = 64;
constexpr int kTestButtonHeight = 28;

QLabel *caption(const QString &text, const char *style = kCaptionStyle) {
  auto *label = new QLabel(text);
  label->setStyleSheet(QLatin1String(style));
  return label;
}

QtBackImageButton *captionButton(const char *objectName, const QString &image, const QString &text) {
  auto *button = new QtBackImageButton(image);
  button->setObjectName(QLatin1String(objectName));
  button->setCaptionText(text);
  return button;
}

QComboBox *deviceCombo(const char *objectName) {
  auto *combo = new QComboBox;
  combo->setObjectName(QLatin1String(objectName));
  combo->setView(new QListView(combo)); // a plain view, so that the item style applies
  combo->setStyleSheet(QLatin1String(kComboStyle));
  combo->setMinimumHeight(30);
  return combo;
}

// Selects the entry at a stored position; a position outside the list keeps the first entry.
void selectStored(QComboBox *combo, int index) {
  if (index >= 0 && index < combo->count()) combo->setCurrentIndex(index);
}

} // namespace

QtSettingView::QtSettingView(SettingHost *host, QWidget *parent) : QWidget(parent), m_host(host) {
  setObjectName(QStringLiteral("QtSettingView"));
  buildForm();
  fillDevices();
  applyStoredSettings();
  connectAll();
  showPage(true);
}

// ---------------------------------------------------------------------------------------------
// Construction

void QtSettingView::buildForm() {
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(buildTabBar());
  layout->addWidget(buildDevicePage(), 1);
  layout->addWidget(buildAboutPage(), 1);
}

QWidget *QtSettingView::buildTabBar() {
  auto *bar = new QWidget;
  bar->setObjectName(QStringLiteral("widgetTabs"));
  bar->setAttribute(Qt::WA_StyledBackground, true);
  bar->setStyleSheet(QStringLiteral("#widgetTabs { background-color: %1; }").arg(QLatin1String(kTabOther)));
  auto *row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  m_btnDevice = captionButton("btnDevice", QString(), QStringLiteral("设备"));
  m_btnAbout = captionButton("btnAbout", QString(), QStringLiteral("关于"));
  for (QtBackImageButton *tab : {m_btnDevice, m_btnAbout}) {
    tab->setFixedSize(kTabWidth, kTabHeight);
    tab->setHoverImages(false);
    tab->labelText()->setAlignment(Qt::AlignCenter);
    row->addWidget(tab);
  }
  row->addStretch(1);
  return bar;
}

void QtSettingView::addDeviceRow(QGridLayout *grid, int row, const QString &text, QComboBox *combo,
                                 QtBackImageButton *test, QtBackImageButton *stop) {
  grid->addWidget(caption(text), row, 0);
  grid->addWidget(combo, row, 1);
  if (!test) return;
  for (QtBackImageButton *button : {test, stop}) {
    button->setFixedSize(kTestButtonWidth, kTestButtonHeight);
    grid->addWidget(button, row, 2); // the pair shares one place, one visible at a time
  }
  stop->hide();
}

void QtSettingView::addVolumeRow(QGridLayout *grid, int row, const QString &text,
                                 QtMySlider *slider, QLineEdit *field) {
  slider->setRange(0, 100);
  slider->setStyleSheet(QLatin1String(kSliderStyle));
  field->setReadOnly(true);
  field->setFixedSize(kTestButtonWidth, kTestButtonHeight);
  field->setAlignment(Qt::AlignCenter);
  field->setStyleSheet(QLatin1String(kFieldStyle));
  grid->addWidget(caption(text), row, 0);
  grid->addWidget(slider, row, 1);
  grid->addWidget(field, row, 2);
}

// A device row (combo, test and stop) and its volume row (slider and number) below it.
void QtSettingView::addAudioRows(QGridLayout *grid, int row, const AudioRow &names, QComboBox *&combo,
                                 QtBackImageButton *&test, QtBackImageButton *&stop,
                                 QtMySlider *&slider, QLineEdit *&field) {
  combo = deviceCombo(names.combo);
  test = captionButton(names.test, QStringLiteral("yellow_button"), QStringLiteral("测试"));
  stop = captionButton(names.stop, QStringLiteral("gray_button"), QStringLiteral("停止"));
  addDeviceRow(grid, row, names.caption, combo, test, stop);
  slider = new QtMySlider(Qt::Horizontal);
  slider->setObjectName(QLatin1String(names.slider));
  field = new QLineEdit;
  field->setObjectName(QLatin1String(names.field));
  addVolumeRow(grid, row + 1, names.volumeCaption, slider, field);
}

QWidget *QtSettingView::buildDevicePage() {
  m_widgetDevice = new QWidget;
  m_widgetDevice->setObjectName(QStringLiteral("widgetDevice"));
  auto *grid = new QGridLayout(m_widgetDevice);
  grid->setContentsMargins(30, 18, 30, 12);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(10);
  grid->setColumnStretch(1, 1);

  const AudioRow mic{"cbMic", "btnTestMic", "btnStopMicTest", "sliderMicVol", "textMicVol",
                     QStringLiteral("麦克风"), QStringLiteral("麦克风音量")};
  addAudioRows(grid, 0, mic, m_cbMic, m_btnTestMic, m_btnStopMicTest, m_sliderMicVol, m_textMicVol);
  const AudioRow speaker{"cbSpeaker", "btnTestSpeaker", "btnStopSpeakerTest", "sliderSpeakerVol",
                         "textSpeakerVol", QStringLiteral("扬声器"), QStringLiteral("扬声器音量")};
  addAudioRows(grid, 2, speaker, m_cbSpeaker, m_btnTestSpeaker, m_btnStopSpeakerTest,
               m_sliderSpeakerVol, m_textSpeakerVol);

  m_cbCamera = deviceCombo("cbCamera");
  addDeviceRow(grid, 4, QStringLiteral("摄像头"), m_cbCamera, nullptr, nullptr);

  grid->addWidget(caption(QStringLiteral("互动选项"), kSectionStyle), 5, 0, 1, 3);
  auto *switches = new QHBoxLayout;
  m_btnHideUp = new QPushButton;
  m_btnHideUp->setObjectName(QStringLiteral("btnHideUp"));
  m_btnDisableCamera = new QPushButton;
  m_btnDisableCamera->setObjectName(QStringLiteral("btnDisableCamera"));
  for (auto [button, text] : {std::pair{m_btnHideUp, QStringLiteral("隐藏上台区域")},
                              std::pair{m_btnDisableCamera, QStringLiteral("不参与上台")}}) {
    button->setStyleSheet(QLatin1String(kSwitchStyle));
    button->setIconSize(QSize(40, 22));
    button->setFixedSize(44, 26);
    button->setCursor(Qt::PointingHandCursor);
    switches->addWidget(caption(text));
    switches->addWidget(button);
    switches->addSpacing(24);
  }
  switches->addStretch(1);
  grid->addLayout(switches, 6, 0, 1, 3);
  grid->setRowStretch(7, 1);
  return m_widgetDevice;
}

QWidget *QtSettingView::buildAboutPage() {
  m_widgetAbout = new QWidget;
  m_widgetAbout->setObjectName(QStringLiteral("widgetAbout"));
  auto *column = new QVBoxLayout(m_widgetAbout);
  column->setContentsMargins(30, 24, 30, 16);
  column->setSpacing(10);
  auto *logo = new QLabel;
  logo->setObjectName(QStringLiteral("labelLogo"));
  logo->setPixmap(QPixmap(QStringLiteral(":/res/Resources/about_logo.png")));
  auto *version = caption(QStringLiteral("Tarnwick v%1").arg(m_host->programVersion()), kSectionStyle);
  version->setObjectName(QStringLiteral("labelVer"));
  m_btnCheckVersion = captionButton("btnCheckVersion", QStringLiteral("yellow_button"),
                                    QStringLiteral("检查更新"));
  m_btnCheckVersion->setFixedSize(110, 32);
  m_labelInfo = caption(QString());
  m_labelInfo->setObjectName(QStringLiteral("labelInfo"));
  for (QWidget *w : std::initializer_list<QWidget *>{logo, version, m_btnCheckVersion, m_labelInfo})
    column->addWidget(w, 0, Qt::AlignHCenter);
  column->addStretch(1);
  for (const QString &line : {QStringLiteral("Tarnwick 版权所有"),
                              QStringLiteral("Copyright © 2016-2026 Tarnwick. All rights reserved.")}) {
    QLabel *notice = caption(line);
    notice->setStyleSheet(QStringLiteral("font: 12px \"微软雅黑\"; color: rgb(153, 153, 153);"));
    column->addWidget(notice, 0, Qt::AlignHCenter);
  }
  return m_widgetAbout;
}

void QtSettingView::fillDevices() {
  m_cbCamera->addItems(m_host->cameraNames());
  m_cbMic->addItems(m_host->micNames());
  m_cbSpeaker->addItems(m_host->speakerNames());
}

void QtSettingView::applyStoredSettings() {
  using namespace settingskeys;
  const QVariantMap stored = m_host->currentSettings(); // a missing key reads as 0
  selectStored(m_cbCamera, stored.value(kCameraIndex).toInt());
  selectStored(m_cbMic, stored.value(kMic).toInt());
  selectStored(m_cbSpeaker, stored.value(kSpeaker).toInt());
  m_sliderMicVol->setValue(stored.value(kMicVol).toInt());
  m_sliderSpeakerVol->setValue(stored.value(kSpeakerVol).toInt());
  m_textMicVol->setText(QString::number(m_sliderMicVol->value()));
  m_textSpeakerVol->setText(QString::number(m_sliderSpeakerVol->value()));

  m_disableCamera = stored.value(kDisableCamera).toInt() == 1;
  setSwitchImage(m_btnDisableCamera, m_disableCamera);
  m_cbCamera->setEnabled(!m_disableCamera);
  m_hideUp = stored.value(kHideUp).toInt() == 1;
  setSwitchImage(m_btnHideUp, m_hideUp);
  m_btnDisableCamera->setEnabled(!m_hideUp);
}

// Connected only after the stored choices are shown, so that showing them stores nothing.
void QtSettingView::connectAll() {
  connect(m_btnTestMic, &QPushButton::clicked, this, &QtSettingView::btnTestMicClicked);
  connect(m_btnStopMicTest, &QPushButton::clicked, this, &QtSettingView::btnStopMicTestClicked);
  connect(m_btnTestSpeaker, &QPushButton::clicked, this, &QtSettingView::btnTestSpeakerClicked);
  connect(m_btnStopSpeakerTest, &QPushButton::clicked, this, &QtSettingView::btnStopSpeakerTestClicked);
  connect(m_sliderMicVol, &QSlider::valueChanged, this, &QtSettingView::sliderMicVolChanged);
  connect(m_sliderSpeakerVol, &QSlider::valueChanged, this, &QtSettingView::sliderSpeakerVolChanged);
  const auto indexChanged = QOverload<int>::of(&QComboBox::currentIndexChanged);
  connect(m_cbMic, indexChanged, this, &QtSettingView::on_cbMic_currentIndexChanged);
  connect(m_cbSpeaker, indexChanged, this, &QtSettingView::on_cbSpeaker_currentIndexChanged);
  connect(m_cbCamera, indexChanged, this, &QtSettingView::on_cbCamera_currentIndexChanged);
  connect(m_btnHideUp, &QPushButton::clicked, this, &QtSettingView::on_btnHideUp_clicked);
  connect(m_btnDisableCamera, &QPushButton::clicked, this, &QtSettingView::on_btnDisableCamera_clicked);
  connect(m_btnDevice, &QPushButton::clicked, this, &QtSettingView::on_btnDevice_clicked);
  connect(m_btnAbout, &QPushButton::clicked, this, &QtSettingView::on_btnAbout_clicked);
  connect(m_btnCheckVersion, &QPushButton::clicked, this, &QtSettingView::on_btnCheckVersion_clicked);
}

void QtSettingView::setSwitchImage(QPushButton *button, bool on) {
  button->setIcon(QIcon(on ? QStringLiteral(":res/Resources/switch_on.png")
                           : QStringLiteral(":res/Resources/switch_off.png")));
  button->setProperty("switchOn", on);
}

int QtSettingView::micVol() const { return m_textMicVol->text().toInt(); }

int QtSettingView::speakerVol() const { return m_textSpeakerVol->text().toInt(); }

void QtSettingView::storeAll() {
  m_host->setHideUp(m_hideUp);
  m_host->setDisableCamera(m_disableCamera);
  m_host->setMicVol(m_cbMic->currentIndex(), micVol());
  m_host->setSpeakerVol(m_cbSpeaker->currentIndex(), speakerVol());
}

// ---------------------------------------------------------------------------------------------
// Tests and volumes

void QtSettingView::btnTestMicClicked() {
  m_host->micTest(m_cbMic->currentIndex(), m_cbSpeaker->currentIndex(), micVol(), speakerVol());
  m_btnTestMic->hide();
  m_btnStopMicTest->show();
}

void QtSettingView::btnStopMicTestClicked() {
  m_host->stopMicTest();
  m_btnTestMic->show();
  m_btnStopMicTest->hide();
}

void QtSettingView::btnTestSpeakerClicked() {
  m_host->speakerTest(m_cbSpeaker->currentIndex(), speakerVol());
  m_btnTestSpeaker->hide();
  m_btnStopSpeakerTest->show();
}

void QtSettingView::btnStopSpeakerTestClicked() {
  m_host->stopSpeakerTest();
  m_btnTestSpeaker->show();
  m_btnStopSpeakerTest->hide();
}

void QtSettingView::sliderMicVolChanged(int value) {
  m_textMicVol->setText(QString::number(value));
  m_host->setMicVol(m_cbMic->currentIndex(), value);
}

void QtSettingView::sliderSpeakerVolChanged(int value) {
  m_textSpeakerVol->setText(QString::number(value));
  m_host->setSpeakerVol(m_cbSpeaker->currentIndex(), value);
}

void QtSettingView::on_cbMic_currentIndexChanged(int index) { m_host->setMic(index, micVol()); }

void QtSettingView::on_cbSpeaker_currentIndexChanged(int index) {
  m_host->setSpeaker(index, speakerVol());
}

void QtSettingView::on_cbCamera_currentIndexChanged(int index) { m_host->setCamera(index); }

// ---------------------------------------------------------------------------------------------
// Switches: hiding the stage area forces "不参与上台" on and locks it.

void QtSettingView::on_btnDisableCamera_clicked() {
  m_disableCamera = !m_disableCamera;
  setSwitchImage(m_btnDisableCamera, m_disableCamera);
  m_host->setDisableCamera(m_disableCamera);
  m_cbCamera->setEnabled(!m_disableCamera);
}

void QtSettingView::on_btnHideUp_clicked() {
  m_hideUp = !m_hideUp;
  setSwitchImage(m_btnHideUp, m_hideUp);
  m_host->setHideUp(m_hideUp);
  m_disableCamera = true;
  setSwitchImage(m_btnDisableCamera, true);
  m_host->setDisableCamera(true);
  m_cbCamera->setEnabled(false);
  m_btnDisableCamera->setEnabled(!m_hideUp);
}

// ---------------------------------------------------------------------------------------------
// Tabs and the about page

void QtSettingView::showPage(bool device) {
  m_btnDevice->setCaptionStyle(QString::fromUtf8(kTabStyle).arg(QLatin1String(device ? kTabCurrent : kTabOther)));
  m_btnAbout->setCaptionStyle(QString::fromUtf8(kTabStyle).arg(QLatin1String(device ? kTabOther : kTabCurrent)));
  m_widgetDevice->setVisible(device);
  m_widgetAbout->setVisible(!device);
}

void QtSettingView::on_btnDevice_clicked() { showPage(true); }

void QtSettingView::on_btnAbout_clicked() { showPage(false); }

void QtSettingView::on_btnCheckVersion_clicked() {
  m_btnCheckVersion->setEnabled(false);
  m_labelInfo->setText(QStringLiteral("检查中，请稍后..."));
  m_host->checkVersionAsked();
}

void QtSettingView::versionCheck(bool isUpToDate, const QString &version) {
  showVersionResult(isUpToDate ? QStringLiteral("当前已是最新版本") : QStringLiteral("检查到最新版本 v%1").arg(version));
}

void QtSettingView::versionCheckFailed(const QString &reason) {
  showVersionResult(QStringLiteral("检查更新失败：%1").arg(reason));
}

void QtSettingView::showVersionResult(const QString &text) {
  // Precise: a coarse timer may fire up to 5% early, before the promised wait is over.
  QTimer::singleShot(kVersionResultDelayMs, Qt::PreciseTimer, this, [this, text] {
    m_labelInfo->setText(text);
    m_btnCheckVersion->setEnabled(true);
  });
}
