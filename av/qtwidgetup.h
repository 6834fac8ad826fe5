#pragma once
// The stage strip: a dark band under the class view holding the tiles of the people on stage.

#include <QWidget>

#include <memory>

class QHBoxLayout;

namespace Ui {
class QtWidgetUp;
}

class QtWidgetUp : public QWidget {
  Q_OBJECT
public:
  static constexpr int kHeight = 120;
  static constexpr int kTileSpacing = 6;

  explicit QtWidgetUp(QWidget *parent = nullptr);
  ~QtWidgetUp() override;

  // The row tiles are inserted into.
  QHBoxLayout *tileLayout() const;

private:
  std::unique_ptr<Ui::QtWidgetUp> ui;
};
