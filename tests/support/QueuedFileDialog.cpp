#include "support/QueuedFileDialog.h"

QString QueuedFileDialog::nextPath(Kind kind, const QString& title, const QString& dir, const QString& filter)
{
    m_asked.append({kind, title, dir, filter});
    return m_paths.isEmpty() ? QString() : m_paths.dequeue();
}

QString QueuedFileDialog::openFileName(QWidget*, const QString& title, const QString& dir, const QString& filter)
{
    return nextPath(Kind::Open, title, dir, filter);
}

QString QueuedFileDialog::saveFileName(QWidget*, const QString& title, const QString& dir, const QString& filter)
{
    return nextPath(Kind::Save, title, dir, filter);
}

QString QueuedFileDialog::fileNameToUse(QWidget*, const QString& title, const QString& dir, const QString& filter)
{
    return nextPath(Kind::ToUse, title, dir, filter);
}

QString QueuedFileDialog::existingDirectory(QWidget*, const QString& title, const QString& dir)
{
    return nextPath(Kind::Folder, title, dir, QString());
}
