#include "ui/info_dialogs.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStringList>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

#include "data/strings.h"
#include "ui/contact.h"
#include "ui/pictures.h"

// Each question keeps its answer in one paragraph; the two texts ask the same questions in the same order.
const char* const CKDMFAQ::kText =
    "Program shows no data table:\n"
    "On Linux there is nothing to copy or register: the tables are part of KDM XP. The package kdmxp "
    "brings in what it needs: libqt6widgets6 (windows and tables), libqt6gui6 (the display), "
    "libqt6printsupport6 (printing), xdg-utils (opening the PDF help in a PDF viewer) and git (the "
    "device history). If KDM XP does not start and says it could not load the Qt platform plugin, "
    "reinstall it: sudo apt install --reinstall libqt6gui6. Without a desktop, use kdmxp-cli show FILE.\n"
    "\n"
    "No COM-IO found, or a port cannot be opened:\n"
    "Your user needs access to the serial devices: sudo adduser $USER dialout, then log out and in "
    "again. kdmxp-cli ports lists COM1 to COM30 with their devices and says why a port cannot be "
    "opened (missing, held by another program, or no permission and the group to join).\n"
    "\n"
    "Which COM port is my USB adapter?\n"
    "A USB serial adapter (/dev/ttyUSB0, /dev/ttyACM0) gets the lowest free name of COM1 to COM9 by "
    "itself and keeps it, in whichever socket it is plugged. To give it a name of your own, choose Port "
    "selection -> Port selection... -> Map a device..., or run kdmxp-cli ports --map COM3 "
    "/dev/serial/by-id/... "
    "(kdmxp-cli ports "
    "shows the by-id name). A mapping always wins.\n"
    "\n"
    "Help shows no PDF:\n"
    "Help (english) opens the help inside KDM XP. Its button Open PDF... needs a PDF viewer, for "
    "example the package evince or okular; without one, a message says where the PDF is.";

const char* const CKDMFAQ_D::kText =
    "Daten-Tabelle erscheint nicht:\n"
    "Unter Linux muss nichts kopiert oder registriert werden: die Tabellen geh\xc3\xb6ren zu KDM XP. Das "
    "Paket kdmxp bringt mit, was es braucht: libqt6widgets6 (Fenster und Tabellen), libqt6gui6 (die "
    "Anzeige), libqt6printsupport6 (Drucken), xdg-utils (das PDF der Hilfe in einem PDF-Betrachter "
    "\xc3\xb6"
    "ffnen) und git (die Ger\xc3\xa4te-Historie). Startet KDM XP nicht und meldet, das "
    "Qt-Plattform-Plugin lasse sich nicht laden: sudo apt install --reinstall libqt6gui6. Ohne "
    "Desktop: kdmxp-cli show DATEI.\n"
    "\n"
    "No COM-IO found, oder ein Port l\xc3\xa4sst sich nicht \xc3\xb6"
    "ffnen:\n"
    "Ihr Benutzer braucht Zugriff auf die seriellen Ger\xc3\xa4te: sudo adduser $USER dialout, dann "
    "ab- und wieder anmelden. kdmxp-cli ports zeigt COM1 bis COM30 mit ihren Ger\xc3\xa4ten und sagt, "
    "warum ein Port sich nicht \xc3\xb6"
    "ffnen l\xc3\xa4sst (fehlt, von einem anderen Programm belegt, "
    "oder keine Berechtigung und die Gruppe, der man beitreten muss).\n"
    "\n"
    "Welcher COM-Port ist mein USB-Adapter?\n"
    "Ein USB-Seriell-Adapter (/dev/ttyUSB0, /dev/ttyACM0) bekommt von selbst den niedrigsten freien "
    "Namen von COM1 bis COM9 und beh\xc3\xa4lt ihn, in welcher Buchse er auch steckt. Einen eigenen Namen "
    "geben Sie ihm mit Port Auswahl -> Port Auswahl... -> Ger\xc3\xa4t zuordnen... oder mit kdmxp-cli ports "
    "--map "
    "COM3 "
    "/dev/serial/by-id/... (kdmxp-cli ports zeigt den by-id-Namen). Eine Zuordnung gilt immer vor.\n"
    "\n"
    "Hilfe zeigt kein PDF:\n"
    "Hilfe (deutsch) \xc3\xb6"
    "ffnet die Hilfe in KDM XP. Ihr Knopf PDF \xc3\xb6"
    "ffnen... braucht einen "
    "PDF-Betrachter, zum Beispiel das Paket evince oder okular; ohne ihn sagt eine Meldung, wo das PDF "
    "liegt.";

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

// The FAQ texts are long: they wrap at a comfortable width and scroll when the screen (a small or a
// scaled one) has no room for them.
constexpr int kFaqTextWidth = 560;

QScrollArea* ScrolledText(QLabel* label) {
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* area = new QScrollArea(label->parentWidget());
    area->setObjectName(label->objectName() + QStringLiteral("Area"));
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(true);
    area->setWidget(label);
    return area;
}

// The whole text at kFaqTextWidth, as far as nine tenths of the screen allow.
void FitToScreen(QDialog* dialog, QLabel* label) {
    QLayout* layout = dialog->layout();
    const QMargins margins = layout->contentsMargins();
    const int frame =
        margins.left() + margins.right() + dialog->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QSize available(kFaqTextWidth * 4, kFaqTextWidth * 4);
    if (const QScreen* screen = dialog->screen()) available = screen->availableGeometry().size() * 9 / 10;
    const int width = std::min(kFaqTextWidth + frame, available.width());
    const int buttons = layout->itemAt(layout->count() - 1)->sizeHint().height() + layout->spacing();
    const int height = label->heightForWidth(width - frame) + buttons + margins.top() + margins.bottom();
    dialog->resize(width, std::min(height, available.height()));
}

}  // namespace

QString ContactText(const char* web, const char* email, const char* phone, const char* fax) {
    QStringList addresses;
    for (const char* value : {web, email}) {
        if (value != nullptr && *value != '\0') addresses << QString::fromUtf8(value);
    }
    QStringList numbers;
    if (phone != nullptr && *phone != '\0')
        numbers << QCoreApplication::translate("Info", "Phone ") + QString::fromUtf8(phone);
    if (fax != nullptr && *fax != '\0')
        numbers << QCoreApplication::translate("Info", "Fax   ") + QString::fromUtf8(fax);
    if (!addresses.isEmpty() && !numbers.isEmpty()) addresses << QString();
    return (addresses + numbers).join(QLatin1Char('\n'));
}

QString ConfiguredContactText() {
    return ContactText(kdmxp_contact::kWeb, kdmxp_contact::kEmail, kdmxp_contact::kPhone,
                       kdmxp_contact::kFax);
}

InfoDialog::InfoDialog(QWidget* parent) : QDialog(parent) {
    setWindowIcon(AppIcon());
}

void InfoDialog::reject() {
    accept();
}

void InfoDialog::AddOkButton(QBoxLayout* layout) {
    auto* ok = new QPushButton(QCoreApplication::translate("Info", "OK"), this);
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
    row->addWidget(TextLabel(ConfiguredContactText(), this, "contact"), 1);
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
    auto* cancel = new QPushButton(QCoreApplication::translate("Info", "Cancel"), this);
    cancel->setObjectName(QStringLiteral("id2"));
    cancel->hide();
    AddOkButton(layout);
}

CKDMFAQ::CKDMFAQ(QWidget* parent) : InfoDialog(parent) {
    setObjectName(QStringLiteral("CKDMFAQ"));
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* text = TextLabel(QString::fromUtf8(kText), this, "faqText");
    layout->addWidget(ScrolledText(text), 1);
    AddOkButton(layout);
    FitToScreen(this, text);
}

CKDMFAQ_D::CKDMFAQ_D(QWidget* parent) : InfoDialog(parent) {
    setObjectName(QStringLiteral("CKDMFAQ_D"));
    setWindowTitle(QString::fromLatin1(kTitle));
    auto* layout = new QVBoxLayout(this);
    auto* text = TextLabel(QString::fromUtf8(kText), this, "id1016");
    layout->addWidget(ScrolledText(text), 1);
    AddOkButton(layout);
    FitToScreen(this, text);
}
