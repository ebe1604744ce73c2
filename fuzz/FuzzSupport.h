#pragma once

#include "ToolServices.h" // NoFileDialog
#include "platform/Clock.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

class AppContext;

// What every fuzz target shares: one process-wide Qt application, a private
// folder the input is written into (the readers under test read files, as the
// program does), and services that answer nothing and show nothing.
namespace Fuzz {

// The input as bytes (a deep copy: readers may keep what they are given).
inline QByteArray bytes(const uint8_t* data, size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A file in the process's private folder; the folder is made on first use and
// removed at exit.
QString path(const QString& name);
// Writes bytes to the file name in the private folder, replacing it; its path.
QString writeFile(const QString& name, const QByteArray& bytes);
// Removes every file the last input left behind (copies, claims, ".bak").
void clearFolder();

// Answers every box with its default button and counts them.
class QuietMessageBox final : public IMessageBox
{
public:
    MsgResult show(const MsgBoxRequest& request) override;
    int shown = 0;
};

class FixedClock final : public IClock
{
public:
    QDateTime now() const override;
};

// A copy of the program over the private folder, its settings at their
// defaults, its shared-file waits short (nothing else touches these files).
class Copy
{
public:
    // folder: the program folder, the private folder unless given.
    explicit Copy(const QString& folder = QString());
    ~Copy();
    AppContext& ctx() { return *m_ctx; }
    QuietMessageBox& box() { return m_box; }

private:
    QuietMessageBox m_box;
    NoFileDialog m_dialogs;
    FixedClock m_clock;
    std::unique_ptr<AppContext> m_ctx;
};

} // namespace Fuzz
