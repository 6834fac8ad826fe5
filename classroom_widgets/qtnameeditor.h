#pragma once
// The class-name editor "修改班级姓名": a pop-up around one QtNameEditorView that closes when
// the backend has accepted the new name.

#include "widgets/popwindow.h"

class QtNameEditorView;

class QtNameEditor : public PopWindow {
  Q_OBJECT
public:
  explicit QtNameEditor(QWidget *parent = nullptr);

  void setName(const QString &name);
  QtNameEditorView *view() const { return m_view; }

public slots:
  void onNameChanged();

private:
  QtNameEditorView *m_view;
};
