#include "workspace/script_text_edit.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

namespace brevant {

QString droppedDefinitionFile(const QMimeData *data) {
  if (data == nullptr || !data->hasUrls())
    return {};
  for (const QUrl &url : data->urls())
    if (url.isLocalFile() && url.toLocalFile().endsWith(".kvd", Qt::CaseInsensitive))
      return url.toLocalFile();
  return {};
}

ScriptTextEdit::ScriptTextEdit(QWidget *parent) : QPlainTextEdit(parent) {
  setObjectName("txtEdit");
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setTabChangesFocus(false);
}

bool ScriptTextEdit::canInsertFromMimeData(const QMimeData *source) const {
  return source->hasText() || !droppedDefinitionFile(source).isEmpty();
}

void ScriptTextEdit::insertFromMimeData(const QMimeData *source) {
  if (source->hasText())
    textCursor().insertText(source->text());
}

void ScriptTextEdit::keyPressEvent(QKeyEvent *event) {
  // Ctrl+V (with or without Shift) always pastes the clipboard's plain text.
  if (event->key() == Qt::Key_V && (event->modifiers() & Qt::ControlModifier)) {
    if (!isReadOnly())
      textCursor().insertText(QGuiApplication::clipboard()->text());
    event->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void ScriptTextEdit::keyReleaseEvent(QKeyEvent *event) {
  QPlainTextEdit::keyReleaseEvent(event);
  emit inputReleased();
}

void ScriptTextEdit::mouseReleaseEvent(QMouseEvent *event) {
  QPlainTextEdit::mouseReleaseEvent(event);
  emit inputReleased();
}

void ScriptTextEdit::dragEnterEvent(QDragEnterEvent *event) {
  if (!droppedDefinitionFile(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
    return;
  }
  QPlainTextEdit::dragEnterEvent(event);
}

void ScriptTextEdit::dragMoveEvent(QDragMoveEvent *event) {
  if (!droppedDefinitionFile(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
    return;
  }
  QPlainTextEdit::dragMoveEvent(event);
}

void ScriptTextEdit::dropEvent(QDropEvent *event) {
  const QString file = droppedDefinitionFile(event->mimeData());
  if (!file.isEmpty()) {
    event->acceptProposedAction();
    emit definitionFileDropped(file);
    return;
  }
  QPlainTextEdit::dropEvent(event);
}

} // namespace brevant
