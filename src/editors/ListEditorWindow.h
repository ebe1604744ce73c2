#pragma once

#include "editors/EditedListFiles.h"
#include "editors/ListEditorCore.h"

#include <QDialog>

#include <optional>

class AppContext;
class MainHost;
class QAction;
class QLabel;
class QGridLayout;
class QLayout;
class QListWidget;
class QPushButton;
class QVBoxLayout;

// What makes one administrator's editor differ from the others: its texts,
// its file, its table and the list in use that it may overwrite.
struct ListEditorSetup {
    const char* objectName;
    QString caption;           // the window's caption; " - " and the file name follow
    bool captionNamesNewFile;  // the first caption already names the default file
    QString defaultName;       // the file name before one is opened or saved
    QString requiredName;      // every file opened or saved must be named so (case aside); empty: any
    QString menuNew, menuOpen, menuUSave, menuNSave;
    QString openTitle, saveTitle, filter;
    QString newPromptFilter;   // the save dialog's filter when the question comes from New
    QString readError, readErrorTitle;
    int helpContext = 0;
    int tableRows = 0;         // lines a file may hold
    int addLimit = 0;          // lines the user may make
    int keyField = 0;          // the field that names a line as it was at opening
    int inUseSetting = 0;      // the setting that names the list in use; 0: none
    QString inUseWhat;         // "掲示板リスト", in the restart message
};

// The window side the three list editors share: the "ファイル" menu (new,
// open, overwrite save, save as, help), the list with its add, change,
// delete, up and down buttons, the question about unsaved changes (before
// new, open and closing), the file-name rule, the warning when the file
// changed since it was read, and the restart message. Each editor gives its
// input boxes, how a line reads, how its inputs make a row, its reader and
// its writer.
class ListEditorWindow : public QDialog
{
    Q_OBJECT

public:
    void mnuNewFile_Click();
    void mnuFileOpen_Click();
    void mnuUSave_Click();
    void mnuNSave_Click();
    void cmdAdd_Click();
    void cmdChange_Click();
    void cmdDel_Click();
    void cmdUp_Click();
    void cmdDown_Click();
    void lstName_Click(int row);
    // "指定": an existing board file chosen into lblKeijiban; an error when it is not there.
    void cmdPlace_Click();

    const ListEditorCore& core() const { return m_core; }
    QString filePath() const { return m_filePath; }
    QString fileName() const { return m_fileName; }
    bool hasFile() const { return m_hasFile; }

    void reject() override;

protected:
    ListEditorWindow(AppContext& ctx, MainHost& main, ListEditorSetup setup);

    // The subclass's constructor builds its inputs into inputs(), adds its
    // own buttons with addButton, then calls finish().
    QVBoxLayout* inputs() const { return m_inputs; }
    QPushButton* addButton(const char* name, const QString& caption);
    void finish();

    virtual QString lineText(const QStringList& row) const = 0;
    // The row the inputs make, for "追加" (selected is null) or "変更" of
    // selected; none after a refusal was shown (the focus then is on the box).
    virtual std::optional<QStringList> rowFromInputs(const QStringList* selected) = 0;
    virtual void showRow(const QStringList& row) = 0;
    virtual bool rowChangeable(const QStringList&) const { return true; }
    // New: the start state of the window's own parts.
    virtual void newList() {}
    virtual QWidget* firstInput() const = 0;
    virtual EditedListRead readFile(const QString& path) = 0;
    // Writes the rows to path and reports its own errors; true when written.
    virtual bool writeFile(const QString& path) = 0;
    // Asked before every write; false abandons it.
    virtual bool confirmWrite(const QString&) { return true; }
    virtual QString openFolder() const;

    // Appends row as "追加" does (the limit checked), selects it, focuses the inputs.
    void appendRow(const QStringList& row);
    // The board file row: its caption, the label lblKeijiban that shows the
    // path chosen and the button cmdPlace "指定", whose dialog starts at
    // initialName in the program folder.
    QLabel* addPlaceRow(QGridLayout* grid, int row, const QString& caption, const QString& initialName);
    void refresh();

    AppContext& m_ctx;
    MainHost& m_main;
    const ListEditorSetup m_setup;
    ListEditorCore m_core;
    QListWidget* lstName = nullptr;
    QPushButton *cmdAdd = nullptr, *cmdDel = nullptr, *cmdChange = nullptr, *cmdUp = nullptr, *cmdDown = nullptr;
    QAction* mnuUSave = nullptr;

private:
    // The unsaved-changes question; false when the command is to be abandoned.
    bool promptUnsaved(bool fromNew);
    // A save dialog and, over an existing file, the overwrite question; empty when abandoned.
    QString chooseSavePath(const QString& filter);
    bool nameAllowed(const QString& path);
    // Writes to path; on success takes it as the editor's file.
    bool save(const QString& path);
    void setCaption();
    void takeFile(const QString& path);

    QLabel* m_place = nullptr;
    QString m_placeStart;
    QVBoxLayout* m_inputs = nullptr;
    QVBoxLayout* m_buttons = nullptr;
    bool m_hasFile = false;
    QString m_fileName;
    QString m_filePath;
    ListEditorRules::FileStamp m_stamp;
};
