// The accessible interfaces of combo boxes (the same children, value and
// actions as Qt's own, but a name that says what the box is for), of log
// views and of forms.
#include "accessible_interfaces.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>

#include "log_area.h"
#include "log_view_accessible.h"
#include "read_only_memo_accessible.h"

namespace {

class ComboBoxAccessible : public QAccessibleWidget {
 public:
  explicit ComboBoxAccessible(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

  // Child 0 is the drop-down list, child 1 the edit of an editable box.
  int childCount() const override { return Combo()->isEditable() ? 2 : 1; }

  QAccessibleInterface* child(int index) const override {
    if (index == 0) return QAccessible::queryAccessibleInterface(Combo()->view());
    if (index == 1 && Combo()->isEditable()) return QAccessible::queryAccessibleInterface(Combo()->lineEdit());
    return nullptr;
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    if (!child) return -1;
    if (child->object() == Combo()->view()) return 0;
    if (Combo()->isEditable() && child->object() == Combo()->lineEdit()) return 1;
    return -1;
  }

  QAccessibleInterface* childAt(int x, int y) const override {
    QLineEdit* edit = Combo()->lineEdit();
    if (edit && edit->isVisible() && QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size()).contains(x, y))
      return child(1);
    return nullptr;
  }

  // The box hands its focus to its edit, so the edit is what has it.
  QAccessibleInterface* focusChild() const override { return Combo()->isEditable() ? child(1) : nullptr; }

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Name) {
      if (!Combo()->accessibleName().isEmpty()) return Combo()->accessibleName();
      const QString label = LabelCaption();
      return label.isEmpty() ? Combo()->currentText() : label;
    }
    if (kind == QAccessible::Value) return Combo()->currentText();
    return QAccessibleWidget::text(kind);
  }

  QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

  void doAction(const QString& action) override {
    if (action != showMenuAction() && action != pressAction()) return;
    if (Combo()->view()->isVisible())
      Combo()->hidePopup();
    else
      Combo()->showPopup();
  }

  QStringList keyBindingsForAction(const QString&) const override { return {}; }

 private:
  QComboBox* Combo() const { return static_cast<QComboBox*>(widget()); }

  // The caption of a label beside the box that names it as its buddy.
  QString LabelCaption() const {
    QWidget* parent = Combo()->parentWidget();
    if (!parent) return QString();
    for (QLabel* label : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
      if (label->buddy() == Combo()) return label->text();
    return QString();
  }
};

// A form or a group box: its children as Qt gives them, less those the
// program hid. A control hidden for another in its place (the log view in
// a memo's place, or the memo in the view's) would otherwise be a twin
// with no place on screen, met first by a reader walking the tree.
class ContainerAccessible : public QAccessibleWidget {
 public:
  ContainerAccessible(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

  int childCount() const override { return int(Shown().size()); }
  QAccessibleInterface* child(int index) const override {
    const QList<QWidget*> shown = Shown();
    return index >= 0 && index < shown.size() ? QAccessible::queryAccessibleInterface(shown[index]) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    if (!child || !child->object() || !child->object()->isWidgetType()) return -1;
    return int(Shown().indexOf(static_cast<QWidget*>(child->object())));
  }

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
      if (auto* box = qobject_cast<QGroupBox*>(widget())) return QString(box->title()).remove(u'&');
    return QAccessibleWidget::text(kind);
  }

 private:
  QList<QWidget*> Shown() const {
    QList<QWidget*> shown;
    for (QObject* child : widget()->children()) {
      auto* w = qobject_cast<QWidget*>(child);
      if (w && !w->isWindow() && !qobject_cast<QMenu*>(w) && w->isVisibleTo(widget())) shown.append(w);
    }
    return shown;
  }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  if (className == QLatin1String("QComboBox")) {
    auto* combo = qobject_cast<QComboBox*>(object);
    return combo ? new ComboBoxAccessible(combo) : nullptr;
  }
  if (className == QLatin1String("QGroupBox"))
    return new ContainerAccessible(static_cast<QWidget*>(object), QAccessible::Grouping);
  if (className == QLatin1String("LogArea")) return NewLogViewAccessible(static_cast<LogArea*>(object));
  // A splitter is a grip, as Qt's own splitters' handles are.
  if (className == QLatin1String("SplitterBar"))
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Grip);
  if (className == QLatin1String("QPlainTextEdit")) {
    auto* editor = qobject_cast<QPlainTextEdit*>(object);
    if (editor && editor->isReadOnly()) return NewReadOnlyMemoAccessible(editor);
  }
  // A form is a plain widget that is a window.
  if (className == QLatin1String("QWidget") && object->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(object);
    if (widget->isWindow()) return new ContainerAccessible(widget, QAccessible::Window);
  }
  return nullptr;
}

}  // namespace

// Factories installed last are asked first, so this one wins over Qt's.
void InstallAccessibleInterfaces() { QAccessible::installFactory(Factory); }
