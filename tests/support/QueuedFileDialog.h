#pragma once

#include "platform/FileDialog.h"

#include <QQueue>
#include <QStringList>

// Answers file, folder, colour and font dialogs from queues, as a user would
// have picked; an empty queue answers "cancelled". Records the titles asked.
class QueuedFileDialog final : public IFileDialog
{
public:
    QString openFileName(QWidget*, const QString& title, const QString& dir, const QString& filter) override;
    QString saveFileName(QWidget*, const QString& title, const QString& dir, const QString& filter) override;
    QString fileNameToUse(QWidget*, const QString& title, const QString& dir, const QString& filter) override;
    QString existingDirectory(QWidget*, const QString& title, const QString& dir) override;
    std::optional<QColor> color(QWidget*, const QColor& initial) override;
    std::optional<QFont> font(QWidget*, const QFont& initial) override;

    void queuePath(const QString& path) { m_paths.enqueue(path); }
    void queueColor(const QColor& c) { m_colors.enqueue(c); }
    void queueFont(const QFont& f) { m_fonts.enqueue(f); }

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
    QQueue<QColor> m_colors;
    QQueue<QFont> m_fonts;
    QList<Asked> m_asked;
};
