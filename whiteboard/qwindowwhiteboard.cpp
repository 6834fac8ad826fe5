#include "whiteboard/qwindowwhiteboard.h"
#include "whiteboard/toolicons.h"

#include "ui_qwindowwhiteboard.h"

#include "sdk/board/boardids.h"
#include "whiteboard/boardservice.h"

#include "whiteboard/buttonchoice.h"

#include <QDateTime>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace {

constexpr uint32_t kColors[] = {0x0075FFFFu, 0x00CC00FFu, 0xFF9903FFu, 0xFF0100FFu, 0x000000FFu, 0xCCCCCCFFu};
constexpr uint32_t kSizeWidths[] = {50, 100, 150};
constexpr int kColorPanelX = 36;
constexpr int kPanelMargin = 8;
constexpr QRect kShapeGeometry(0, 0, 156, 80);
// The window's upload button shows this document.
const char kUploadFile[] = "aaa.ppt";
constexpr unsigned kUploadPages = 20;

qint64 now() { return QDateTime::currentMSecsSinceEpoch(); }

} // namespace

QWindowWhiteBoard::QWindowWhiteBoard(QWidget *parent, const BoardClassData &data,
                                     std::unique_ptr<BoardDataLink> link)
    : QWidget(parent), ui_(std::make_unique<Ui::QWindowWhiteBoard>()),
      service_(std::make_unique<BoardService>(data, std::move(link))), color_(kColors[0]),
      // Made before the set-up, which connects their on_<name>_toggled slots.
      toolGroup_(new ButtonChoice("tool", this)), colorGroup_(new ButtonChoice("color", this)),
      sizeGroup_(new ButtonChoice("size", this)), shapeGroup_(new ButtonChoice("shape", this)) {
  qRegisterMetaType<txfunction>("txfunction");
  ui_->setupUi(this);
  findSubWindows();
  decorateTools();
  makeGroups();
  connectSignals();
  service_->setListener(this);
  service_->getBoardData();
  ui_->boardPanel->layout()->addWidget(service_->renderWindow());
  service_->renderWindow()->show();
  for (QMdiSubWindow *w : ui_->mdiArea->subWindowList())
    w->show();
  ui_->mdiArea->setActiveSubWindow(board_);
  board_->lower();
  colors_->hide();
  sizes_->hide();
  shapes_->hide();
  dialog_->hide();
  applyTool();
  on_updatePageWindow();
  if (interactive_)
    emit notifyAddFile(board::kDefaultBoard, L"普通白板");
  statusTimer_.start(kStatusIntervalMs);
}

QWindowWhiteBoard::~QWindowWhiteBoard() {
  // The sub-windows go after this body, and the area announces activations as they go: no
  // handler of this (by then half-destroyed) window may run.
  disconnect(ui_->mdiArea, nullptr, this, nullptr);
  // The library's thread may be inside a callback: it finishes before the service is gone.
  service_->setListener(nullptr);
  service_.reset();
}

QMdiSubWindow *QWindowWhiteBoard::subWindow(const QString &title) const {
  for (QMdiSubWindow *w : ui_->mdiArea->subWindowList())
    if (w->windowTitle() == title)
      return w;
  return nullptr;
}

void QWindowWhiteBoard::findSubWindows() {
  board_ = subWindow(QStringLiteral("BoardWindow"));
  tools_ = subWindow(QStringLiteral("ToolsWindow"));
  pages_ = subWindow(QStringLiteral("PagesWindow"));
  colors_ = subWindow(QStringLiteral("ColorWindow"));
  sizes_ = subWindow(QStringLiteral("SizeWindow"));
  shapes_ = subWindow(QStringLiteral("ShapeWindow"));
  dialog_ = subWindow(QStringLiteral("DialogWindow"));
  board_->setWindowFlags(Qt::FramelessWindowHint);
  for (QMdiSubWindow *panel : {tools_, pages_, colors_, sizes_, shapes_, dialog_})
    panel->setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
  shapes_->setGeometry(kShapeGeometry);
}

// The tool panel's buttons show painted icons (their names stay in the tooltips) over the
// panel's dark background; the chosen tool stays lit.
void QWindowWhiteBoard::decorateTools() {
  using toolicons::Tool;
  const std::pair<QPushButton *, Tool> buttons[] = {
      {ui_->btnPen, Tool::Pen},         {ui_->btnLine, Tool::Line},
      {ui_->btnShape, Tool::Shape},     {ui_->btnEraser, Tool::Eraser},
      {ui_->btnSelect, Tool::Select},   {ui_->btnClear, Tool::Clear},
      {ui_->btnClearDraws, Tool::ClearDrawings}, {ui_->btnUpload, Tool::Upload},
      {ui_->btnBG, Tool::Background},   {ui_->btnGlobalBG, Tool::AllBackgrounds}};
  for (const auto &[button, tool] : buttons) {
    button->setText(QString());
    button->setIcon(toolicons::icon(tool));
    button->setIconSize(QSize(22, 22));
  }
  const std::pair<QPushButton *, Tool> edits[] = {
      {ui_->btnUndo, Tool::Undo}, {ui_->btnRedo, Tool::Redo}, {ui_->btnCopy, Tool::Copy}, {ui_->btnRemove, Tool::Remove}};
  for (const auto &[button, tool] : edits) {
    button->setText(QString());
    button->setIcon(toolicons::icon(tool, toolicons::kDarkInk));
    button->setIconSize(QSize(20, 20));
  }
  ui_->toolsPanel->setStyleSheet(ui_->toolsPanel->styleSheet() +
                                 QLatin1String(" #toolsPanel QPushButton{background:transparent;border:none;"
                                               "border-radius:4px}"
                                               " #toolsPanel QPushButton:hover{background:rgba(255,255,255,40)}"
                                               " #toolsPanel QPushButton:checked{background:rgba(255,255,255,90)}"));
  showColour();
}

// The colour toggle is a swatch of the colour in use.
void QWindowWhiteBoard::showColour() {
  const QString rgb = QStringLiteral("#%1").arg(color_ >> 8, 6, 16, QLatin1Char('0'));
  ui_->chkColorPick->setStyleSheet(
      QStringLiteral("QCheckBox{padding-left:5px} QCheckBox::indicator{width:18px;height:18px;"
                     "border:2px solid #f2f2f2;border-radius:11px;background:%1}")
          .arg(rgb));
}

void QWindowWhiteBoard::makeGroups() {
  toolGroup_->addButtons({ui_->btnPen, ui_->btnLine, ui_->btnShape, ui_->btnEraser, ui_->btnSelect});
  colorGroup_->addButtons({ui_->btnColor1, ui_->btnColor2, ui_->btnColor3, ui_->btnColor4, ui_->btnColor5,
                           ui_->btnColor6});
  sizeGroup_->addButtons({ui_->btnSizeSmall, ui_->btnSizeMedium, ui_->btnSizeLarge});
  shapeGroup_->addButtons({ui_->btnRect, ui_->btnRectFill, ui_->btnEllipse, ui_->btnEllipseFill});
}

void QWindowWhiteBoard::connectSignals() {
  connect(&statusTimer_, &QTimer::timeout, this, &QWindowWhiteBoard::on_updateWindowStatus);
  // The board stays under the floating panels, also when a click on it activates it; the
  // area raises an activated window after telling, so the board goes down once that is done.
  connect(ui_->mdiArea, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow *w) {
    if (w == board_)
      QMetaObject::invokeMethod(board_, &QWidget::lower, Qt::QueuedConnection);
  });
  connect(this, &QWindowWhiteBoard::dispatch, this, &QWindowWhiteBoard::handle, Qt::QueuedConnection);
  connect(this, &QWindowWhiteBoard::updatePageWindow, this, &QWindowWhiteBoard::on_updatePageWindow);
  connect(this, &QWindowWhiteBoard::setUndoEnabled, ui_->btnUndo, &QWidget::setEnabled);
  connect(this, &QWindowWhiteBoard::setRedoEnabled, ui_->btnRedo, &QWidget::setEnabled);
  connect(this, &QWindowWhiteBoard::setCopyEnabled, ui_->btnCopy, &QWidget::setEnabled);
  connect(this, &QWindowWhiteBoard::setRemoveEnabled, ui_->btnRemove, &QWidget::setEnabled);
}

void QWindowWhiteBoard::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  // After the area's own layout has taken the new size.
  QMetaObject::invokeMethod(this, &QWindowWhiteBoard::placePanels, Qt::QueuedConnection);
}

void QWindowWhiteBoard::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  QMetaObject::invokeMethod(this, &QWindowWhiteBoard::placePanels, Qt::QueuedConnection);
}

void QWindowWhiteBoard::placePanels() {
  const QRect area = ui_->mdiArea->viewport()->rect();
  board_->setGeometry(area);
  tools_->adjustSize();
  tools_->move(0, qMax(0, (area.height() - tools_->height()) / 2));
  pages_->adjustSize();
  pages_->move(qMax(0, (area.width() - pages_->width()) / 2), qMax(0, area.height() - pages_->height() - kPanelMargin));
  if (dialog_->isVisible())
    dialog_->setGeometry(QRect(QPoint(0, 0), size()));
}

void QWindowWhiteBoard::showPanel(QMdiSubWindow *panel, int x, int y) {
  panel->adjustSize();
  panel->move(x, y);
  panel->show();
  panel->raise();
  lastHover_[panel] = now();
}

void QWindowWhiteBoard::setInteractive(bool interactive) {
  interactive_ = interactive;
  tools_->setVisible(interactive);
  pages_->setVisible(interactive);
  if (interactive) {
    applyTool();
  } else {
    for (QMdiSubWindow *panel : {colors_, sizes_, shapes_, dialog_})
      panel->hide();
    service_->useTool(board::ToolNone);
  }
}

void QWindowWhiteBoard::handle(txfunction func) {
  if (func)
    func();
}

void QWindowWhiteBoard::onRefreshBoardData(bool) {
  emit dispatch([this] {
    emit updatePageWindow();
    markStarted();
  });
}

void QWindowWhiteBoard::onStatusChanged(bool canUndo, bool canRedo, bool canCopy, bool canRemove) {
  emit dispatch([this, canUndo, canRedo, canCopy, canRemove] {
    emit setUndoEnabled(canUndo);
    emit setRedoEnabled(canRedo);
    emit setCopyEnabled(canCopy);
    emit setRemoveEnabled(canRemove);
  });
}

void QWindowWhiteBoard::markStarted() {
  if (started_)
    return;
  started_ = true;
  emit started();
}

void QWindowWhiteBoard::on_chkColorPick_toggled(bool checked) {
  if (checked) {
    showPanel(colors_, kColorPanelX, tools_->y() + ui_->chkColorPick->y());
    return;
  }
  colors_->hide();
  ui_->chkColorPick->setChecked(false);
}

uint32_t QWindowWhiteBoard::sizeWidth() const {
  const int id = sizeGroup_->checkedId();
  return kSizeWidths[id < 0 ? 0 : id];
}

void QWindowWhiteBoard::applyShape() {
  const int shape = shapeGroup_->checkedId();
  service_->setColor(color_);
  service_->useTool(shape >= 2 ? board::ToolEllipse : board::ToolRectangle);
  service_->setFill(shape == 1 || shape == 3);
  service_->setWidth(uint32_t(ui_->sliderShapeThin->value() * kWidthPerSliderStep));
}

void QWindowWhiteBoard::applyTool() {
  if (!interactive_)
    return;
  if (ui_->btnShape->isChecked()) {
    applyShape();
    return;
  }
  service_->setColor(color_);
  service_->setWidth(sizeWidth());
  service_->setFill(false);
  if (ui_->btnPen->isChecked())
    service_->useTool(board::ToolPen);
  else if (ui_->btnLine->isChecked())
    service_->useTool(board::ToolLine);
  else if (ui_->btnEraser->isChecked())
    service_->useTool(board::ToolEraser);
  else if (ui_->btnSelect->isChecked())
    service_->useTool(board::ToolSelect);
}

void QWindowWhiteBoard::on_tool_toggled() {
  applyTool();
  QAbstractButton *tool = toolGroup_->checkedButton();
  const int x = tools_->x() + tools_->width();
  const int y = tools_->y() + (tool ? tool->y() : 0);
  if (tool == ui_->btnShape)
    showPanel(shapes_, x, y);
  else if (tool == ui_->btnPen || tool == ui_->btnLine || tool == ui_->btnEraser)
    showPanel(sizes_, x, y);
}

void QWindowWhiteBoard::on_color_toggled() {
  color_ = kColors[qMax(0, colorGroup_->checkedId())];
  showColour();
  applyTool();
  on_chkColorPick_toggled(false);
}

void QWindowWhiteBoard::on_size_toggled() {
  applyTool();
  sizes_->hide();
}

void QWindowWhiteBoard::on_shape_toggled() {
  if (ui_->btnShape->isChecked())
    applyShape();
  else
    ui_->btnShape->setChecked(true);
}

void QWindowWhiteBoard::on_sliderShapeThin_valueChanged(int value) {
  ui_->labelShapeThin->setText(QString::number(value));
  if (ui_->btnShape->isChecked())
    applyShape();
}

void QWindowWhiteBoard::on_btnClear_clicked() { service_->clear(); }
void QWindowWhiteBoard::on_btnClearDraws_clicked() { service_->clearDraws(); }
void QWindowWhiteBoard::on_btnUndo_clicked() { service_->undo(); }
void QWindowWhiteBoard::on_btnRedo_clicked() { service_->redo(); }
void QWindowWhiteBoard::on_btnCopy_clicked() { service_->copy(); }
void QWindowWhiteBoard::on_btnRemove_clicked() { service_->remove(); }
void QWindowWhiteBoard::on_btnBG_clicked() {}
void QWindowWhiteBoard::on_btnGlobalBG_clicked() {}
void QWindowWhiteBoard::on_btnPageNumber_clicked() {}

void QWindowWhiteBoard::on_btnUpload_clicked() {
  service_->addDocument(QString::fromLatin1(kUploadFile), kUploadPages);
  on_updatePageWindow();
}

void QWindowWhiteBoard::on_btnLastPage_clicked() {
  service_->previousPage();
  on_updatePageWindow();
}

void QWindowWhiteBoard::on_btnNextPage_clicked() {
  service_->nextPage();
  on_updatePageWindow();
}

void QWindowWhiteBoard::on_btnAddPage_clicked() {
  service_->addPage();
  on_updatePageWindow();
}

void QWindowWhiteBoard::on_btnDeletePage_clicked() {
  dialog_->setGeometry(QRect(QPoint(0, 0), size()));
  dialog_->show();
  dialog_->raise();
}

void QWindowWhiteBoard::on_btnDialogOK_clicked() {
  service_->deletePage();
  on_updatePageWindow();
  dialog_->hide();
}

void QWindowWhiteBoard::on_btnDialogClose_clicked() { dialog_->hide(); }
void QWindowWhiteBoard::on_btnDialogCancel_clicked() { dialog_->hide(); }

void QWindowWhiteBoard::on_updatePageWindow() {
  const unsigned current = service_->currentPage(), count = service_->pageCount();
  ui_->btnPageNumber->setText(QStringLiteral("%1 / %2").arg(current).arg(count));
  ui_->btnLastPage->setEnabled(current > 1);
  ui_->btnNextPage->setEnabled(current < count);
  ui_->btnDeletePage->setEnabled(service_->isPlainWhiteboard());
  if (interactive_) {
    pages_->hide();
    pages_->show();
  }
}

void QWindowWhiteBoard::on_updateWindowStatus() {
  const qint64 t = now();
  for (QMdiSubWindow *panel : {tools_, pages_, colors_, sizes_, shapes_}) {
    if (panel->underMouse())
      lastHover_[panel] = t;
    const qint64 seen = lastHover_.value(panel, 0);
    if (seen == 0 || t - seen <= kPanelLingerMs)
      continue;
    lastHover_[panel] = 0;
    if (panel == colors_) {
      colors_->hide();
      ui_->chkColorPick->setChecked(false);
    } else if (panel == sizes_ || panel == shapes_) {
      panel->hide();
    }
  }
}
