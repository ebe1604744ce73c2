#include "platform/FileDialog.h"

#include <QFileDialog>

QString QtFileDialog::openFileName(QWidget* parent, const QString& title, const QString& dir,
                                   const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, dir, filter);
}

QString QtFileDialog::saveFileName(QWidget* parent, const QString& title, const QString& dir,
                                   const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, title, dir, filter);
}

QString QtFileDialog::fileNameToUse(QWidget* parent, const QString& title, const QString& dir,
                                    const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, title, dir, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

QString QtFileDialog::existingDirectory(QWidget* parent, const QString& title, const QString& dir)
{
    return QFileDialog::getExistingDirectory(parent, title, dir);
}

QString toQtFilter(const QString& pairs)
{
    const QStringList parts = pairs.split(u'|');
    QStringList filters;
    for (qsizetype k = 0; k + 1 < parts.size(); k += 2) {
        QString pattern = parts[k + 1];
        pattern.replace(QStringLiteral("*.*"), QStringLiteral("*")).replace(u';', u' ');
        filters.append(parts[k] + QStringLiteral(" (") + pattern + u')');
    }
    return filters.join(QStringLiteral(";;"));
}
