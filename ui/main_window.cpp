#include "ui/main_window.h"

#include <QAction>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QVBoxLayout>

#include "data/strings.h"
#include "files/data_file.h"
#include "ui/app_services.h"
#include "ui/file_drop.h"
#include "ui/menu.h"
#include "ui/pictures.h"

CKDMXPMain::CKDMXPMain(AppServices& services, QWidget* parent) : QDialog(parent), services_(services) {
    setObjectName(QStringLiteral("CKDMXPMain"));
    auto* layout = new QVBoxLayout(this);
    // Help documents here come from the start-up directory: the application's handlers do that.
    layout->setMenuBar(services_.CreateMenu(this));
    connect(FindMenuAction(this, menu_id::kPortSelect), &QAction::triggered, this, &CKDMXPMain::OnPortSelect);

    QFont large = font();
    large.setPointSize(14);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("startPicture"));
    picture->setPixmap(StartPicture(560, 190));
    picture->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(picture, 0, Qt::AlignHCenter);

    auto* row = new QHBoxLayout;
    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("logo"));
    logo->setPixmap(LogoPixmap(64));
    row->addWidget(logo, 0, Qt::AlignVCenter);
    auto* text = new QLabel(QCoreApplication::translate("Start", kText), this);
    text->setObjectName(QStringLiteral("text"));
    text->setTextFormat(Qt::PlainText);
    text->setFont(large);
    row->addWidget(text, 1);
    layout->addLayout(row);

    setWindowIcon(AppIcon());
    setWindowTitle(
        QString::fromLatin1(kdm::kVersionTitle.data(), static_cast<qsizetype>(kdm::kVersionTitle.size())));
    // The window opens from the directory current at this moment, which need not be the start-up one.
    services_.SetTempFileDirectory(kdm::CurrentDirectory());
    setAcceptDrops(true);
}

void CKDMXPMain::dragEnterEvent(QDragEnterEvent* event) {
    AcceptDataFileDrag(event);
}

void CKDMXPMain::dragMoveEvent(QDragMoveEvent* event) {
    AcceptDataFileDrag(event);
}

void CKDMXPMain::dropEvent(QDropEvent* event) {
    OpenDroppedDataFile(services_, this, event);
}

void CKDMXPMain::OnPortSelect() {
    services_.SelectPort(this);
}

void CKDMXPMain::keyPressEvent(QKeyEvent* event) {
    // Without buttons Enter has no default button to press; it ends the window as it always did.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
