#include "ui/info_dialogs.h"

#include <QBoxLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/strings.h"
#include "ui/pictures.h"

const char* const CKDMFAQ::kText =
    "Program shows no data table:\n"
    "Copy the file msflxgrd.ocx from program-directory to c:\\windowsystem32.\n"
    "Then register it with: \n"
    "Start -> Run-> regsvr \"c:\\windows\\system32\\msflxgrd.ocx\". \n"
    " Message \"DLLRegisterServer.. succeeded) appears.";

const char* const CKDMFAQ_D::kText =
    "Daten-Tabelle  erscheint nicht:\n"
    "Grund: Steuerelemtent nicht registriert.  Kopieren Sie msflxgrd.ocx aus  Programm-Verzeichnis in  "
    "C:\\windows\\system32. Registrieren mit: \n"
    "Start -> Ausf\xc3\xbchren regsvr32 \"C:\\windows\\system32\\msflxgrd.ocx\" .";

namespace {

QLabel* TextLabel(const QString& text, QWidget* parent, const char* objectName) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLabel* PictureLabel(const QPixmap& pixmap, QWidget* parent, const char* objectName) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(objectName));
    label->setPixmap(pixmap);
    label->setFrameShape(QFrame::StyledPanel);
    return label;
}

}  // namespace

InfoDialog::InfoDialog(QWidget* parent) : QDialog(parent) {
    setWindowIcon(AppIcon());
}

void InfoDialog::reject() {
    accept();
}

void InfoDialog::AddOkButton(QBoxLayout* layout) {
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("id1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    layout->addLayout(row);
}

CAboutKDMXP::CAboutKDMXP(QWidget* parent) : InfoDialog(parent) {
    setObjectName(QStringLiteral("CAboutKDMXP"));
    setWindowTitle(QString::fromLatin1(kTitle));
    QFont dialogFont(QStringLiteral("Microsoft Sans Serif"));
    dialogFont.setStyleHint(QFont::SansSerif);
    dialogFont.setPointSize(10);
    setFont(dialogFont);

    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(PictureLabel(LogoPixmap(72), this, "logo"), 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addWidget(TextLabel(QString::fromLatin1(kContact), this, "contact"), 1);
    layout->addLayout(row);
    auto* version = TextLabel(QStringLiteral("KDM XP"), this, "id1017");
    version->setAlignment(Qt::AlignCenter);
    version->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(version);
    AddOkButton(layout);
    // Whatever the layout says, the field shows the version title.
    version->setText(
        QString::fromLatin1(kdm::kVersionTitle.data(), static_cast<qsizetype>(kdm::kVersionTitle.size())));
}

CAboutRS232::CAboutRS232(QWidget* parent) : InfoDialog(parent) {
    setObjectName(QStringLiteral("CAboutRS232"));
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PictureLabel(CableRoundPicture(), this, "cableRound"));
    layout->addWidget(PictureLabel(CableDsubPicture(), this, "cableDsub"));
    // The template's "Cancel" exists but is never shown; Esc does the same as OK anyway.
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("id2"));
    cancel->hide();
    AddOkButton(layout);
}

CKDMFAQ::CKDMFAQ(QWidget* parent) : InfoDialog(parent) {
    setObjectName(QStringLiteral("CKDMFAQ"));
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* text = TextLabel(QString::fromUtf8(kText), this, "faqText");
    layout->addWidget(text);
    AddOkButton(layout);
}

CKDMFAQ_D::CKDMFAQ_D(QWidget* parent) : InfoDialog(parent) {
    setObjectName(QStringLiteral("CKDMFAQ_D"));
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* text = TextLabel(QString::fromUtf8(kText), this, "id1016");
    text->setWordWrap(true);
    text->setMinimumWidth(460);
    layout->addWidget(text);
    AddOkButton(layout);
}
