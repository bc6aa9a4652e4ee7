#include "ui/help.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/pictures.h"

namespace {

constexpr qsizetype kMaxLauncherOutput = 4096;  // enough for its message; a viewer may say much more

QString MessageTitle() {
    return QStringLiteral("KDM XP");
}

// The launcher's last non-empty line: xdg-open and gio end with the reason they give up.
QString LastLine(const QByteArray& text) {
    const QStringList lines = QString::fromLocal8Bit(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const QString line = lines[i].trimmed();
        if (!line.isEmpty()) return line;
    }
    return {};
}

QString NotFoundMessage(const HelpDocument& document, const QStringList& searched) {
    const QString name = QString::fromLatin1(document.page);
    const QString where = QDir::toNativeSeparators(searched.join(QLatin1Char('\n')));
    if (document.german) {
        return QStringLiteral(
                   "Das Hilfedokument %1 wurde nicht gefunden (auch nicht als PDF). Gesucht in:\n%2")
            .arg(name, where);
    }
    return QStringLiteral("The help document %1 was not found (nor its PDF). Looked for in:\n%2")
        .arg(name, where);
}

}  // namespace

QStringList HelpSearchDirectories(const std::string& directory) {
    QStringList directories;
    if (!directory.empty()) directories << QString::fromStdString(directory);
    const QString programDir = QCoreApplication::applicationDirPath();
    if (!programDir.isEmpty()) {
        directories << programDir;
        directories << QDir::cleanPath(QDir(programDir).filePath(QStringLiteral("../share/kdmxp")));
    }
#ifdef KDMXP_HELP_DIR
    directories << QStringLiteral(KDMXP_HELP_DIR);
#endif
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        directories << QDir(data).filePath(QStringLiteral("kdmxp"));
    directories.removeDuplicates();
    return directories;
}

std::string FindHelpDocument(const std::string& directory, const char* fileName) {
    const QString name = QString::fromUtf8(fileName);
    for (const QString& candidate : HelpSearchDirectories(directory)) {
        const QFileInfo info(QDir(candidate).filePath(name));
        if (info.isFile() && info.isReadable()) return QDir::cleanPath(info.absoluteFilePath()).toStdString();
    }
    return {};
}

PdfLauncher::PdfLauncher(const QString& path) : QObject(QCoreApplication::instance()), path_(path) {
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardInputFile(QProcess::nullDevice());
    connect(&process_, &QProcess::readyReadStandardError, this, [this] {
        const QByteArray more = process_.readAllStandardError();
        if (errors_.size() < kMaxLauncherOutput)
            errors_.append(more.left(kMaxLauncherOutput - errors_.size()));
    });
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            Report(false, QStringLiteral("xdg-open: %1 (package xdg-utils)").arg(process_.errorString()));
    });
    connect(&process_, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        errors_.append(process_.readAllStandardError().left(kMaxLauncherOutput));
        const bool opened = status == QProcess::NormalExit && exitCode == 0;
        QString reason = LastLine(errors_);
        if (!opened && reason.isEmpty()) reason = QStringLiteral("xdg-open: exit status %1").arg(exitCode);
        Report(opened, reason);
    });
}

PdfLauncher* PdfLauncher::Start(const QString& path) {
    auto* launcher = new PdfLauncher(path);
    launcher->process_.start(QStringLiteral("xdg-open"), {path});
    return launcher;
}

void PdfLauncher::Report(bool opened, const QString& reason) {
    if (reported_) return;
    reported_ = true;
    // Queued: a launcher that cannot start fails inside Start(), before anyone has connected.
    QMetaObject::invokeMethod(
        this,
        [this, opened, reason] {
            emit Finished(opened, reason);
            deleteLater();
        },
        Qt::QueuedConnection);
}

QString NoPdfViewerMessage(const QString& pdfPath, bool german) {
    const QString path = QDir::toNativeSeparators(pdfPath);
    if (german) {
        return QStringLiteral(
                   "Kein Programm konnte das PDF-Hilfedokument \u00f6ffnen. Zum Anzeigen und Drucken wird "
                   "ein PDF-Betrachter gebraucht, zum Beispiel aus dem Paket evince oder okular.\n\n"
                   "Das PDF liegt hier:\n%1")
            .arg(path);
    }
    return QStringLiteral(
               "No program could open the PDF help document. A PDF viewer is needed to show and print it, "
               "for example from the package evince or okular.\n\nThe PDF is here:\n%1")
        .arg(path);
}

void OpenPdfOrExplain(QWidget* parent, const QString& pdfPath, bool german) {
    const QPointer<QWidget> owner(parent);
    PdfLauncher* launcher = PdfLauncher::Start(pdfPath);
    QObject::connect(launcher, &PdfLauncher::Finished, launcher,
                     [owner, pdfPath, german](bool opened, const QString& reason) {
                         if (opened) return;
                         QMessageBox box(QMessageBox::Information, MessageTitle(),
                                         NoPdfViewerMessage(pdfPath, german), QMessageBox::Ok, owner.data());
                         box.setObjectName(QStringLiteral("noPdfViewer"));
                         box.setTextInteractionFlags(Qt::TextSelectableByMouse);
                         if (!reason.isEmpty()) box.setDetailedText(reason);
                         box.exec();
                     });
}

HelpWindow::HelpWindow(const QString& pagePath, const QString& pdfPath, bool german, QWidget* parent)
    : QDialog(parent),
      browser_(new QTextBrowser(this)),
      openPdf_(nullptr),
      pdfPath_(pdfPath),
      german_(german) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(german ? QStringLiteral("KDM XP - Hilfe (deutsch)")
                          : QStringLiteral("KDM XP - Help (english)"));
    setWindowIcon(AppIcon());
    setSizeGripEnabled(true);

    browser_->setObjectName(QStringLiteral("helpText"));
    browser_->setOpenExternalLinks(true);
    browser_->setSource(QUrl::fromLocalFile(pagePath));

    openPdf_ = new QPushButton(
        german ? QStringLiteral("&PDF \u00f6ffnen...") : QStringLiteral("Open &PDF..."), this);
    openPdf_->setObjectName(QStringLiteral("openPdf"));
    openPdf_->setAutoDefault(false);
    if (pdfPath_.isEmpty()) {
        openPdf_->setEnabled(false);
        openPdf_->setToolTip(german ? QStringLiteral("Das PDF ist nicht installiert.")
                                    : QStringLiteral("The PDF is not installed."));
    } else {
        openPdf_->setToolTip(QDir::toNativeSeparators(pdfPath_));
    }
    connect(openPdf_, &QPushButton::clicked, this, &HelpWindow::OpenPdf);

    auto* close = new QPushButton(german ? QStringLiteral("Schlie\u00dfen") : QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("close"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(openPdf_);
    row->addStretch(1);
    row->addWidget(close);
    layout->addLayout(row);

    // A comfortable page width, never larger than the screen it opens on (a small or scaled screen).
    QSize size(820, 680);
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
    browser_->setFocus();
}

void HelpWindow::OpenPdf() {
    OpenPdfOrExplain(this, pdfPath_, german_);
}

void ShowHelp(QWidget* parent, const std::string& directory, const HelpDocument& document) {
    const QString page = QString::fromStdString(FindHelpDocument(directory, document.page));
    const QString pdf = QString::fromStdString(FindHelpDocument(directory, document.pdf));
    if (!page.isEmpty()) {
        HelpWindow window(page, pdf, document.german, parent);
        window.exec();
        return;
    }
    if (!pdf.isEmpty()) {
        OpenPdfOrExplain(parent, pdf, document.german);
        return;
    }
    QMessageBox box(QMessageBox::Warning, MessageTitle(),
                    NotFoundMessage(document, HelpSearchDirectories(directory)), QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("helpNotFound"));
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}
