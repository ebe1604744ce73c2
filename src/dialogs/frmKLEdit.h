#pragma once

#include "editors/ListEditorWindow.h"

class QLabel;
class QLineEdit;

// "掲示板リストエディタ": the groups of the board list "ban.txt", their order
// and their board files. Boards are numbered by their line, so a save that
// gives an existing group another number warns first.
class frmKLEdit : public ListEditorWindow
{
    Q_OBJECT

public:
    frmKLEdit(AppContext& ctx, MainHost& main);

protected:
    QString lineText(const QStringList& row) const override;
    std::optional<QStringList> rowFromInputs(const QStringList* selected) override;
    void showRow(const QStringList& row) override;
    QWidget* firstInput() const override;
    EditedListRead readFile(const QString& path) override;
    bool writeFile(const QString& path) override;
    bool confirmWrite(const QString& path) override;
    void newList() override { m_opened.clear(); }
    QString openFolder() const override;

private:
    QLineEdit* txtName = nullptr;
    QLabel* lblKeijiban = nullptr;
    // The list's lines as opened or last saved: what users' board numbers mean.
    QList<QStringList> m_opened;
};
