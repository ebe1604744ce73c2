#pragma once

#include <QString>

class AppContext;
class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// What the composing and the reply window do alike.
namespace MessageWindowParts {

// A button that Enter in a text box never presses, and a check box, each with
// its control name as object name.
QPushButton* button(QWidget* parent, const QString& caption, const char* name);
QCheckBox* check(QWidget* parent, const QString& caption, const char* name);

// Fills the template box from "template.ini" (created empty when missing); a
// failure is reported with procedure and the box stays empty.
void loadTemplates(AppContext& ctx, QComboBox* cboTeikei, const QString& procedure);
// The chosen template goes in at the caret through the clipboard, which keeps it.
void insertTemplate(QComboBox* cboTeikei, QPlainTextEdit* txtMemo);
// "受信確認" turns red while checked.
void colourReceiptBox(QCheckBox* chkReceive);

} // namespace MessageWindowParts
