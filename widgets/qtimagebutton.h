#pragma once
// A flat button drawn entirely from pictures of the resource tree.
//
// The button names a picture by its base name; the file it shows follows its state:
//   disabled                          -> ":/res/Resources/<name>_disabled.png"
//   enabled, hovered, hover images on -> ":/res/Resources/<name>_hover.png"
//   otherwise                         -> ":/res/Resources/<name>.png"
// The picture is stretched over the whole button; only the picture and the button's text
// are painted, never a bevel. With an empty name the icon is left as it is.

#include <QPushButton>
#include <QString>

class QtImageButton : public QPushButton {
  Q_OBJECT
public:
  explicit QtImageButton(QWidget *parent = nullptr);
  explicit QtImageButton(const QString &imageName, QWidget *parent = nullptr);

  void setImageName(const QString &name);
  QString imageName() const { return m_imageName; }

  // Hover pictures are on by default; with them off a hovered button keeps "<name>.png".
  void setHoverImages(bool on);
  bool hoverImages() const { return m_hoverImages; }

  bool isHovered() const { return m_hovered; }
  // The resource path the icon was last taken from (empty while no name is set).
  QString currentImage() const { return m_currentImage; }

  // The picture rule above, for any name and state.
  static QString imagePath(const QString &name, bool enabled, bool hovered, bool hoverImages);
  // ":/res/Resources/" + fileName
  static QString resourcePath(const QString &fileName);

  QSize sizeHint() const override;

public slots:
  // Re-reads the picture for the current state; subclasses add their own state on top.
  virtual void refreshImage();

signals:
  void enter();
  void leave();

protected:
  void enterEvent(QEvent *event) override;
  void leaveEvent(QEvent *event) override;
  void changeEvent(QEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void paintEvent(QPaintEvent *event) override;

private:
  QString m_imageName;
  QString m_currentImage;
  bool m_hovered = false;
  bool m_hoverImages = true;
};
