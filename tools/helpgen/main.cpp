// Turns a help page (HTML) into the PDF that the Help menu opens. Runs at build time, without a display.
//
//   kdmxp-helpgen INPUT.html OUTPUT.pdf
//
// Exit code 0 when the PDF was written, 1 on any failure (with a message on stderr).
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <cstdio>

namespace {

int Fail(const QString& message) {
    std::fprintf(stderr, "kdmxp-helpgen: %s\n", message.toLocal8Bit().constData());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    // A build machine has no display; the offscreen platform has the fonts and the PDF engine we need.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) return Fail("usage: kdmxp-helpgen INPUT.html OUTPUT.pdf");
    const QString input = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);

    QFile html(input);
    if (!html.open(QIODevice::ReadOnly)) return Fail(input + ": " + html.errorString());
    QTextDocument document;
    document.setHtml(QString::fromUtf8(html.readAll()));

    // Written beside the target and renamed over it, so an interrupted build never leaves half a PDF.
    QSaveFile pdf(output);
    if (!pdf.open(QIODevice::WriteOnly)) return Fail(output + ": " + pdf.errorString());
    {
        QPdfWriter writer(&pdf);
        writer.setPageLayout(
            QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18)));
        writer.setResolution(300);
        writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
        writer.setCreator(QStringLiteral("kdmxp-helpgen"));
        document.print(&writer);
    }
    if (!pdf.commit()) return Fail(output + ": " + pdf.errorString());
    return 0;
}
