// TOpenDialog and TSaveDialog on Qt's file dialogs, and their test answers.
#include <QApplication>
#include <QFileDialog>
#include <QStringList>

#include "dialog_service.h"
#include "message_loop.h"
#include "qt_text.h"
#include "toolkit/dialogs.h"

namespace {

// "Text (*.txt)|*.txt|All (*)|*" as Qt's ";;"-separated filters: each
// description, whose text names its patterns anyway.
QString ToQtFilter(const String& filter) {
  const QStringList parts = ToQString(filter).split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    filters << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
  return filters.join(";;");
}

}  // namespace

TOpenDialog::TOpenDialog(TComponent* AOwner)
    : TComponent(AOwner),
      FileName([this] { return fileName_; }, [this](const String& value) { fileName_ = value; }),
      Filter([this] { return filter_; }, [this](const String& value) { filter_ = value; }),
      Title([this] { return title_; }, [this](const String& value) { title_ = value; }) {}

bool TOpenDialog::Execute() { return Show(false); }

bool TOpenDialog::Show(bool forSaving) {
  String answer;
  if (TestFileDialogAnswer(title_, &answer)) {
    if (answer.IsEmpty()) return false;
    fileName_ = answer;
    return true;
  }
  MessageLoopScope loop;
  const QString chosen = forSaving ? QFileDialog::getSaveFileName(QApplication::activeWindow(), ToQString(title_),
                                                                  ToQString(fileName_), ToQtFilter(filter_))
                                   : QFileDialog::getOpenFileName(QApplication::activeWindow(), ToQString(title_),
                                                                  ToQString(fileName_), ToQtFilter(filter_));
  if (chosen.isEmpty()) return false;
  fileName_ = FromQString(chosen);
  return true;
}

TSaveDialog::TSaveDialog(TComponent* AOwner) : TOpenDialog(AOwner) {}

bool TSaveDialog::Execute() { return Show(true); }
