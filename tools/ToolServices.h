#pragma once

// Services for command-line drivers: messages go to stderr, no dialogs.

#include "platform/FileDialog.h"
#include "platform/MessageBox.h"

#include <cstdio>

class ConsoleMessageBox final : public IMessageBox
{
public:
    MsgResult show(const MsgBoxRequest& r) override
    {
        std::fprintf(stderr, "[%s] %s\n", qPrintable(r.title), qPrintable(r.text));
        ++shown;
        return defaultAnswer(r);
    }
    int shown = 0;
};

class NoFileDialog final : public IFileDialog
{
public:
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        return {};
    }
    QString fileNameToUse(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QString existingDirectory(QWidget*, const QString&, const QString&) override { return {}; }
};
