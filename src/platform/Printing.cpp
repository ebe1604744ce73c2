#include "platform/Printing.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFileInfo>
#include <QHash>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>

struct QtPrinting::Layouts {
    QHash<QString, QPageLayout> byPrinter;
};

QtPrinting::QtPrinting() : m_layouts(new Layouts) {}

QtPrinting::~QtPrinting()
{
    delete m_layouts;
}

QStringList QtPrinting::printerNames()
{
    return QPrinterInfo::availablePrinterNames();
}

QString QtPrinting::defaultPrinter()
{
    return QPrinterInfo::defaultPrinterName();
}

bool QtPrinting::showProperties(QWidget* parent, const QString& name)
{
    if (name.isEmpty() || !printerNames().contains(name))
        return false;
    QPrinter printer;
    printer.setPrinterName(name);
    if (m_layouts->byPrinter.contains(name))
        printer.setPageLayout(m_layouts->byPrinter.value(name));
    QPageSetupDialog dialog(&printer, parent);
    if (dialog.exec() == QDialog::Accepted)
        m_layouts->byPrinter.insert(name, printer.pageLayout());
    return true;
}

QString QtPrinting::print(const Job& job)
{
    QPrinter printer;
    if (job.printer.isEmpty()) {
        if (job.pdfPath.isEmpty())
            return QStringLiteral("no printer");
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(job.pdfPath);
    } else {
        printer.setPrinterName(job.printer);
        if (!printer.isValid())
            return QStringLiteral("unknown printer ") + job.printer;
        if (m_layouts->byPrinter.contains(job.printer))
            printer.setPageLayout(m_layouts->byPrinter.value(job.printer));
    }
    printer.setDocName(job.title);

    QString text = job.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QTextDocument doc;
    doc.setDocumentMargin(0);
    doc.setDefaultFont(QApplication::font());
    doc.setPlainText(text);

    QPainter painter;
    if (!painter.begin(&printer))
        return job.printer.isEmpty() ? QStringLiteral("cannot write ") + job.pdfPath
                                     : QStringLiteral("cannot print on ") + job.printer;
    // Laid out for the printer's resolution, cut into pages of its paint area.
    doc.documentLayout()->setPaintDevice(&printer);
    const QRectF page(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size());
    doc.setPageSize(page.size());
    for (int k = 0; k < doc.pageCount(); ++k) {
        if (k > 0 && !printer.newPage()) {
            painter.end();
            return QStringLiteral("page break failed");
        }
        painter.save();
        painter.translate(0, -page.height() * k);
        doc.drawContents(&painter, page.translated(0, page.height() * k));
        painter.restore();
    }
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return QStringLiteral("the print job failed");
    if (job.printer.isEmpty() && QFileInfo(job.pdfPath).size() <= 0)
        return QStringLiteral("cannot write ") + job.pdfPath;
    return QString();
}
