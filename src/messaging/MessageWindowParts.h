#pragma once

#include <QString>

class AppContext;
class QCheckBox;
class QComboBox;
class QPlainTextEdit;

// What the composing and the reply window do alike.
namespace MessageWindowParts {

// Fills the template box from "template.ini" (created empty when missing); a
// failure is reported with procedure and the box stays empty.
void loadTemplates(AppContext& ctx, QComboBox* cboTeikei, const QString& procedure);
// The chosen template goes in at the caret through the clipboard, which keeps it.
void insertTemplate(QComboBox* cboTeikei, QPlainTextEdit* txtMemo);
// "受信確認" turns red while checked.
void colourReceiptBox(QCheckBox* chkReceive);

} // namespace MessageWindowParts
