#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The system's printers (through CUPS) and printing plain text on one of
// them or into a PDF file. Behind an interface so windows can be tested
// without a print queue; the real one prints into a PDF file on every machine.
class IPrinting
{
public:
    virtual ~IPrinting() = default;
    // Names of the installed printers (empty where there is none).
    virtual QStringList printerNames() = 0;
    // The default printer's name (empty where there is none).
    virtual QString defaultPrinter() = 0;
    // The printer's page settings, modal; they apply to this program's next
    // prints on that printer. False when the printer is unknown.
    virtual bool showProperties(QWidget* parent, const QString& printer) = 0;

    struct Job {
        QString printer; // a printer name, or empty with pdfPath set
        QString pdfPath;
        QString text;    // lines at "\n" (a "\r" before it is dropped)
        QString title;   // the document's name in the print queue
    };
    // Prints the job to the end (the document is sent on). An empty text when
    // it went out, else what went wrong.
    virtual QString print(const Job& job) = 0;
};

class QtPrinting final : public IPrinting
{
public:
    QtPrinting();
    ~QtPrinting() override;
    QStringList printerNames() override;
    QString defaultPrinter() override;
    bool showProperties(QWidget* parent, const QString& printer) override;
    QString print(const Job& job) override;

private:
    struct Layouts;
    Layouts* m_layouts; // page settings chosen per printer
};
