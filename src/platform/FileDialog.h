#pragma once

#include <QString>

class QWidget;

// Common dialogs (open, save, folder); colour and font are in ColorFontDialogs.h. A cancelled dialog gives an
// empty path or no value. Tests install a double that answers from a queue.
class IFileDialog
{
public:
    virtual ~IFileDialog() = default;
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& dir,
                                 const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& dir,
                                 const QString& filter) = 0;
    // A save-style dialog that takes an existing file or a new name without
    // asking about overwriting: the caller creates a missing file itself.
    virtual QString fileNameToUse(QWidget* parent, const QString& title, const QString& dir,
                                  const QString& filter) = 0;
    virtual QString existingDirectory(QWidget* parent, const QString& title, const QString& dir) = 0;
};

// A filter as the program writes it ("掲示板リスト(ban.txt)|ban.txt|...": pairs
// of description and pattern) in the form Qt's dialogs take.
QString toQtFilter(const QString& pairs);

class QtFileDialog final : public IFileDialog
{
public:
    QString openFileName(QWidget* parent, const QString& title, const QString& dir,
                         const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& dir,
                         const QString& filter) override;
    QString fileNameToUse(QWidget* parent, const QString& title, const QString& dir,
                          const QString& filter) override;
    QString existingDirectory(QWidget* parent, const QString& title, const QString& dir) override;
};
