// What assistive technology reads of a read-only memo: its text, caret,
// selection and geometry as Qt's own interface gives them, but no editable
// text interface, through which a reader (or a script driving one) would
// otherwise insert, delete and replace text the user cannot change.
#pragma once

class QAccessibleInterface;
class QPlainTextEdit;

QAccessibleInterface* NewReadOnlyMemoAccessible(QPlainTextEdit* editor);
