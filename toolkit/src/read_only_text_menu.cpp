#include "read_only_text_menu.h"

#include <QCoreApplication>
#include <QMenu>

QMenu* NewReadOnlyTextMenu(QWidget* parent, bool hasSelection, bool hasText, const std::function<void()>& copy,
                           const std::function<void()>& selectAll) {
  auto* menu = new QMenu(parent);
  // Qt's own texts, so that they read (and are translated) as a text area's.
  QAction* copyAction = menu->addAction(QCoreApplication::translate("QWidgetTextControl", "&Copy"), copy);
  copyAction->setShortcut(QKeySequence::Copy);
  copyAction->setEnabled(hasSelection);
  menu->addSeparator();
  QAction* all = menu->addAction(QCoreApplication::translate("QWidgetTextControl", "Select All"), selectAll);
  all->setShortcut(QKeySequence::SelectAll);
  all->setEnabled(hasText);
  return menu;
}
