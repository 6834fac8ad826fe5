#pragma once
// The class's whiteboard inside the classroom: the board library's render window with tool,
// colour, size, shape and page panels floating over it, and the delete-page dialog. The
// student's window is view-only: no panels, tool none.
//
// For the classroom: construct it with the class data, call setInteractive(false), put it in
// the whiteboard area and show it; started() says the board data has been loaded (isStarted()
// after that). Deleting it ends the board.

#include "whiteboard/boardclassdata.h"
#include "whiteboard/boarddatalink.h"
#include "whiteboard/boardservicecallback.h"
#include "whiteboard/txfunction.h"

#include <QHash>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <string>

class BoardService;
class QAbstractButton;
class ButtonChoice;
class QMdiSubWindow;

namespace Ui {
class QWindowWhiteBoard;
}

class QWindowWhiteBoard : public QWidget, public BoardServiceCallback {
  Q_OBJECT
public:
  // How long a floating panel stays after the mouse left it.
  static constexpr int kPanelLingerMs = 1000;
  static constexpr int kStatusIntervalMs = 100;
  static constexpr int kWidthPerSliderStep = 50;

  // link null: the class's IM group (the classroom); the teacher console brings its own.
  QWindowWhiteBoard(QWidget *parent, const BoardClassData &data, std::unique_ptr<BoardDataLink> link = nullptr);
  ~QWindowWhiteBoard() override;

  void setInteractive(bool interactive);
  bool isInteractive() const { return interactive_; }
  bool isStarted() const { return started_; }
  BoardService *boardService() const { return service_.get(); }
  QMdiSubWindow *subWindow(const QString &title) const;

  // BoardServiceCallback (board library's thread).
  void onRefreshBoardData(bool result) override;
  void onStatusChanged(bool canUndo, bool canRedo, bool canCopy, bool canRemove) override;

signals:
  void updatePageWindow();
  void setUndoEnabled(bool enabled);
  void setRedoEnabled(bool enabled);
  void setCopyEnabled(bool enabled);
  void setRemoveEnabled(bool enabled);
  void dispatch(txfunction func);
  void notifyAddFile(std::string fileId, std::wstring fileName);
  void started();

public slots:
  void handle(txfunction func);
  void on_chkColorPick_toggled(bool checked);
  void on_btnClear_clicked();
  void on_btnUpload_clicked();
  void on_btnClearDraws_clicked();
  void on_btnBG_clicked();
  void on_btnGlobalBG_clicked();
  void on_tool_toggled();
  void on_color_toggled();
  void on_size_toggled();
  void on_shape_toggled();
  void on_btnUndo_clicked();
  void on_btnRedo_clicked();
  void on_btnCopy_clicked();
  void on_btnRemove_clicked();
  void on_btnLastPage_clicked();
  void on_btnPageNumber_clicked();
  void on_btnNextPage_clicked();
  void on_btnAddPage_clicked();
  void on_btnDeletePage_clicked();
  void on_sliderShapeThin_valueChanged(int value);
  void on_updateWindowStatus();
  void on_updatePageWindow();
  void on_btnDialogClose_clicked();
  void on_btnDialogOK_clicked();
  void on_btnDialogCancel_clicked();

protected:
  void resizeEvent(QResizeEvent *event) override;
  void showEvent(QShowEvent *event) override;

private:
  void findSubWindows();
  void decorateTools();
  void showColour();
  void makeGroups();
  void connectSignals();
  void placePanels();
  void showPanel(QMdiSubWindow *panel, int x, int y);
  void applyTool();
  void applyShape();
  uint32_t sizeWidth() const;
  void markStarted();

  std::unique_ptr<Ui::QWindowWhiteBoard> ui_;
  std::unique_ptr<BoardService> service_;
  bool interactive_ = true;
  bool started_ = false;
  uint32_t color_;
  ButtonChoice *toolGroup_, *colorGroup_, *sizeGroup_, *shapeGroup_;
  QTimer statusTimer_;
  QMdiSubWindow *board_ = nullptr, *tools_ = nullptr, *pages_ = nullptr, *colors_ = nullptr,
                *sizes_ = nullptr, *shapes_ = nullptr, *dialog_ = nullptr;
  // Per floating panel: when the mouse was last over it (0 = not recorded).
  QHash<QMdiSubWindow *, qint64> lastHover_;
};
