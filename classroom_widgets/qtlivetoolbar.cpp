#include "classroom_widgets/qtlivetoolbar.h"

#include "ui_qtlivetoolbar.h"
#include "widgets/qtpopslider.h"

#include <QLabel>

QtLiveToolBar::QtLiveToolBar(QWidget *parent) : QWidget(parent), ui(new Ui::QtLiveToolBar) {
  ui->setupUi(this);
  setFixedSize(849, 80);
  QPalette pal = palette();
  pal.setColor(backgroundRole(), Qt::white);
  setPalette(pal);
  setAutoFillBackground(true);

  initButton(ui->btnMic, QStringLiteral("mic_on"), QStringLiteral("麦克风"));
  initButton(ui->btnSpeaker, QStringLiteral("speaker_on"), QStringLiteral("扬声器"));
  m_micSlider = makeSlider("micSlider");
  m_speakerSlider = makeSlider("speakerSlider");

  connect(ui->btnMic, &QtImageButton::enter, this, &QtLiveToolBar::btnMicEnter);
  connect(ui->btnMic, &QtImageButton::leave, this, &QtLiveToolBar::btnMicLeave);
  connect(ui->btnMic, &QPushButton::clicked, this, &QtLiveToolBar::btnMicClicked);
  connect(ui->btnSpeaker, &QtImageButton::enter, this, &QtLiveToolBar::btnSpeakerEnter);
  connect(ui->btnSpeaker, &QtImageButton::leave, this, &QtLiveToolBar::btnSpeakerLeave);
  connect(ui->btnSpeaker, &QPushButton::clicked, this, &QtLiveToolBar::btnSpeakerClicked);
  connect(m_micSlider, &QtPopSlider::showSlider, this, &QtLiveToolBar::sliderMicShow);
  connect(m_micSlider, &QtPopSlider::valueChanged, this, &QtLiveToolBar::sliderMicValueChanged);
  connect(m_speakerSlider, &QtPopSlider::showSlider, this, &QtLiveToolBar::sliderSpeakerShow);
  connect(m_speakerSlider, &QtPopSlider::valueChanged, this, &QtLiveToolBar::sliderSpeakerValueChanged);
}

QtLiveToolBar::~QtLiveToolBar() { delete ui; }

void QtLiveToolBar::initButton(QtImageButton2 *button, const QString &image, const QString &caption) {
  button->setFixedSize(50, 50);
  button->setImageName(image);
  QLabel *label = button->label();
  label->setGeometry(0, 32, 50, 18);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  label->setText(caption);
  button->setColorSwitching(true);
}

QtPopSlider *QtLiveToolBar::makeSlider(const char *name) {
  auto *slider = new QtPopSlider(this);
  slider->setObjectName(QString::fromLatin1(name));
  slider->setFixedSize(46, 121);
  return slider;
}

QtSuperButton *QtLiveToolBar::superButton() const { return ui->btnSuperButton; }

void QtLiveToolBar::setMicOn() {
  ui->btnMic->setImageName(QStringLiteral("mic_on"));
  m_micOn = true;
}

void QtLiveToolBar::setMicOff() {
  ui->btnMic->setImageName(QStringLiteral("mic_off"));
  m_micOn = false;
}

void QtLiveToolBar::setSpeakerOn() {
  ui->btnSpeaker->setImageName(QStringLiteral("speaker_on"));
  m_speakerOn = true;
}

void QtLiveToolBar::setSpeakerOff() {
  ui->btnSpeaker->setImageName(QStringLiteral("speaker_off"));
  m_speakerOn = false;
}

void QtLiveToolBar::setMicEnabled(bool enabled) { ui->btnMic->setEnabled(enabled); }

void QtLiveToolBar::setSpeakerEnabled(bool enabled) { ui->btnSpeaker->setEnabled(enabled); }

void QtLiveToolBar::setMicVolume(int value) { m_micSlider->setValue(value); }

void QtLiveToolBar::setSpeakerVolume(int value) { m_speakerSlider->setValue(value); }

int QtLiveToolBar::micVolume() const { return m_micSlider->value(); }

int QtLiveToolBar::speakerVolume() const { return m_speakerSlider->value(); }

// A disabled button never pops its slider.
void QtLiveToolBar::btnMicEnter() {
  if (ui->btnMic->isEnabled()) m_micSlider->requestShow();
}

void QtLiveToolBar::btnMicLeave() { m_micSlider->requestHide(); }

void QtLiveToolBar::btnSpeakerEnter() {
  if (ui->btnSpeaker->isEnabled()) m_speakerSlider->requestShow();
}

void QtLiveToolBar::btnSpeakerLeave() { m_speakerSlider->requestHide(); }

void QtLiveToolBar::btnMicClicked() {
  if (m_micOn)
    emit micOffRequested();
  else
    emit micOnRequested();
}

void QtLiveToolBar::btnSpeakerClicked() {
  if (m_speakerOn)
    emit speakerOffRequested();
  else
    emit speakerOnRequested();
}

void QtLiveToolBar::placeSlider(QtPopSlider *slider, QWidget *button) {
  const QPoint corner = button->mapToGlobal(QPoint(0, 0));
  const int x = corner.x() + button->width() / 2 - slider->width() / 2;
  const int y = corner.y() - slider->height() - kSliderGap;
  slider->move(x, y);
  slider->show();
}

void QtLiveToolBar::sliderMicShow() { placeSlider(m_micSlider, ui->btnMic); }

void QtLiveToolBar::sliderSpeakerShow() { placeSlider(m_speakerSlider, ui->btnSpeaker); }

void QtLiveToolBar::sliderMicValueChanged(int value) { emit micVolumeRequested(value); }

void QtLiveToolBar::sliderSpeakerValueChanged(int value) { emit speakerVolumeRequested(value); }
