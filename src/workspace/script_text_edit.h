#pragma once
// The editor's text box: plain text only. Pasted and dropped text loses its formatting; a
// report-definition file dropped on it is handed on to be opened instead of being inserted.

#include <QPlainTextEdit>

namespace brevant {

class ScriptTextEdit : public QPlainTextEdit {
  Q_OBJECT
public:
  explicit ScriptTextEdit(QWidget *parent = nullptr);

signals:
  // A key or mouse button was released: the toolbar's state may have changed.
  void inputReleased();
  void definitionFileDropped(const QString &path);

protected:
  bool canInsertFromMimeData(const QMimeData *source) const override;
  void insertFromMimeData(const QMimeData *source) override;
  void keyPressEvent(QKeyEvent *event) override;
  void keyReleaseEvent(QKeyEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dragMoveEvent(QDragMoveEvent *event) override;
  void dropEvent(QDropEvent *event) override;
};

// The first local .kvd file among the URLs of `data`, or "".
QString droppedDefinitionFile(const QMimeData *data);

} // namespace brevant
