#include "widgets/icon_menu.h"

#include "widgets/skin_renderer.h"

namespace lumivex {

IconMenu::IconMenu(QWidget* parent) : QMenu(parent) {
  setStyleSheet(QStringLiteral(
      "QMenu { background-color: rgb(236,233,216); color: black; border: 1px solid #8E8E8E; padding: 3px; }"
      "QMenu::item { padding: 4px 18px 4px 8px; }"
      "QMenu::item:selected { background-color: #2F7FD8; color: white; }"
      "QMenu::item:disabled { color: #8E8E8E; }"
      "QMenu::icon { padding-left: 4px; }"
      "QMenu::separator { height: 1px; background: #B8B5A6; margin: 3px 6px; }"));
}

QAction* IconMenu::addCommand(int command, const QString& text, const QString& iconFile) {
  QAction* action = addAction(SkinRenderer::icon(iconFile), text);
  action->setData(command);
  action->setObjectName(QString::number(command));
  return action;
}

IconMenu* IconMenu::addIconSubmenu(const QString& text, const QString& iconFile) {
  auto* submenu = new IconMenu(this);
  submenu->setTitle(text);
  submenu->setIcon(SkinRenderer::icon(iconFile));
  addMenu(submenu);
  return submenu;
}

void IconMenu::popupCommands(QPoint globalPos, std::function<void(int command)> onCommand) {
  setAttribute(Qt::WA_DeleteOnClose);
  QObject* context = parent() ? parent() : this;
  connect(this, &QMenu::triggered, context, [context, onCommand = std::move(onCommand)](QAction* action) {
    const int command = commandOf(action);
    if (command == 0 || !onCommand) return;
    QMetaObject::invokeMethod(
        context, [onCommand, command] { onCommand(command); }, Qt::QueuedConnection);
  });
  popup(globalPos);
}

int IconMenu::commandOf(const QAction* action) {
  if (!action) return 0;
  bool ok = false;
  const int command = action->data().toInt(&ok);
  return ok ? command : 0;
}

}  // namespace lumivex
