#pragma once

#include "platform/FileDialog.h"

#include <QQueue>
#include <QStringList>

// Answers file and folder dialogs from queues, as a user would
// have picked; an empty queue answers "cancelled". Records the titles asked.
class QueuedFileDialog final : public IFileDialog
{
public:
    QString openFileName(QWidget*, const QString& title, const QString& dir, const QString& filter) override;
    QString saveFileName(QWidget*, const QString& title, const QString& dir, const QString& filter) override;
    QString fileNameToUse(QWidget*, const QString& title, const QString& dir, const QString& filter) override;
    QString existingDirectory(QWidget*, const QString& title, const QString& dir) override;

    void queuePath(const QString& path) { m_paths.enqueue(path); }

    enum class Kind { Open, Save, ToUse, Folder };
    struct Asked {
        Kind kind;
        QString title;
        QString dir;
        QString filter;
    };
    const QList<Asked>& asked() const { return m_asked; }

private:
    QString nextPath(Kind kind, const QString& title, const QString& dir, const QString& filter);
    QQueue<QString> m_paths;
    QList<Asked> m_asked;
};
