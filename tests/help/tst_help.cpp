// The help file: every context number the windows open has its topic, and
// the viewer shows the file with its pictures.
#include "platform/FileOps.h"
#include "platform/HelpViewer.h"
#include "support/RecordingMessageBox.h"
#include "support/TestMain.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTextBrowser>
#include <QTest>

namespace {

QString helpText()
{
    QFile f(QStringLiteral(PORLUNE_HELP_FILE));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The topic's words: from its anchor to the next heading, tags and pictures
// left out.
QString topicText(const QString& html, int context)
{
    const qsizetype at = html.indexOf(QStringLiteral("name=\"c%1\"").arg(context));
    if (at < 0)
        return QString();
    qsizetype end = html.indexOf(QStringLiteral("<h2"), at);
    if (end < 0)
        end = html.size();
    QString part = html.mid(at, end - at);
    part.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    return part.simplified();
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyContextUsedHasItsTopic()
    {
        // Help calls with a number, or with the window's kHelpContext, or
        // the context a list editor's set-up gives.
        const QRegularExpression literal(QStringLiteral("(?:showHelp\\(|kHelpContext\\s*=\\s*|\\.helpContext\\s*=\\s*)(\\d+)"));
        const QRegularExpression anyCall(QStringLiteral("showHelp\\(([^)]*)\\)"));
        QSet<int> used;
        QStringList unknown;
        QDirIterator files(QStringLiteral(PORLUNE_SOURCE_DIR "/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
                           QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QString code = QString::fromUtf8(f.readAll());
            for (const QRegularExpressionMatch& m : literal.globalMatch(code))
                used << m.captured(1).toInt();
            // A call with anything else would escape this test.
            for (const QRegularExpressionMatch& m : anyCall.globalMatch(code)) {
                const QString arg = m.captured(1).trimmed();
                static const QRegularExpression allowed(QStringLiteral("^(\\d+|kHelpContext|int context|context|helpContext|m_setup\\.helpContext)$"));
                if (!allowed.match(arg).hasMatch())
                    unknown << path + QStringLiteral(": showHelp(") + arg + u')';
            }
        }
        QVERIFY2(unknown.isEmpty(), qPrintable(unknown.join(u'\n')));
        QVERIFY2(used.size() >= 10, "the help calls were not found in the sources");
        // The windows still to come open these too.
        for (int context : {5, 15, 23, 35, 41, 46, 57, 58, 59, 100})
            used << context;

        const QString html = helpText();
        QVERIFY(!html.isEmpty());
        QList<int> sorted = used.values();
        std::sort(sorted.begin(), sorted.end());
        for (int context : sorted) {
            const QString words = topicText(html, context);
            QVERIFY2(words.size() >= 60, qPrintable(QStringLiteral("context %1: \"%2\"").arg(context).arg(words)));
        }
    }

    // The viewer opens the delivered file at a topic; its pictures load.
    void viewerShowsTopicWithPicture()
    {
        RecordingMessageBox box;
        QWidget parent;
        QVERIFY(HelpViewer::show(&parent, box, QStringLiteral(PORLUNE_HELP_FILE), 5));
        auto* text = parent.findChild<QTextBrowser*>(QStringLiteral("txtHelp"));
        QVERIFY(text);
        QVERIFY(text->toPlainText().contains(QStringLiteral("メモを書き込む")));
        const QRegularExpression img(QStringLiteral("<img src=\"([^\"]+)\""));
        int pictures = 0;
        for (const QRegularExpressionMatch& m : img.globalMatch(helpText())) {
            const QVariant picture = text->document()->resource(QTextDocument::ImageResource, QUrl(m.captured(1)));
            const QVariant loaded = picture.isValid() ? picture : text->loadResource(QTextDocument::ImageResource, QUrl(m.captured(1)));
            QImage image = loaded.value<QImage>();
            if (image.isNull())
                image = QImage::fromData(loaded.toByteArray());
            QVERIFY2(!image.isNull(), qPrintable(m.captured(1).left(40)));
            ++pictures;
        }
        QVERIFY(pictures >= 1);
        QVERIFY(box.shown().isEmpty());
        text->window()->close();
    }
};

PORLUNE_TEST_MAIN(TestHelp)

#include "tst_help.moc"
