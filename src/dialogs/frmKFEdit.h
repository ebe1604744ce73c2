#pragma once

#include "editors/ListEditorWindow.h"

class QLineEdit;

// "掲示板ファイルエディタ": which people a board file holds, in which order,
// and where separator lines stand. Only names are edited; a save keeps every
// person's whereabouts as the file holds them at that moment.
class frmKFEdit : public ListEditorWindow
{
    Q_OBJECT

public:
    frmKFEdit(AppContext& ctx, MainHost& main);

    void cmdLine_Click();

protected:
    QString lineText(const QStringList& row) const override;
    std::optional<QStringList> rowFromInputs(const QStringList* selected) override;
    void showRow(const QStringList& row) override;
    bool rowChangeable(const QStringList& row) const override;
    QWidget* firstInput() const override;
    EditedListRead readFile(const QString& path) override;
    bool writeFile(const QString& path) override;
    bool confirmWrite(const QString& path) override;
    QString openFolder() const override;

private:
    QLineEdit* txtName = nullptr;
    QPushButton* cmdLine = nullptr;
};
