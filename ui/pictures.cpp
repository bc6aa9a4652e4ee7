#include "ui/pictures.h"

#include <QCoreApplication>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>

namespace {

const QColor kBrandBlue(18, 64, 128);
const QColor kBeamRed(214, 40, 40);
const QColor kWireColour(40, 40, 40);

QPixmap TransparentPixmap(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// A sheet seen at a slant: a parallelogram.
QPolygonF Sheet(double x, double y, double w, double h, double slant) {
    return QPolygonF(
        {QPointF(x + slant, y), QPointF(x + w + slant, y), QPointF(x + w, y + h), QPointF(x, y + h)});
}

// A 9-pin D-sub face: trapezoid outline with five pins above four. Pin positions go to `pins` (index =
// pin number - 1). `mirrored` draws the socket as seen from its solder side (pin 1 on the right).
void PaintDsub(QPainter& p, const QPointF& centre, double scale, bool mirrored,
               std::array<QPointF, 9>& pins) {
    const double w = 120 * scale;
    const double h = 46 * scale;
    QPolygonF shell({QPointF(centre.x() - w / 2, centre.y() - h / 2),
                     QPointF(centre.x() + w / 2, centre.y() - h / 2),
                     QPointF(centre.x() + w / 2 - 10 * scale, centre.y() + h / 2),
                     QPointF(centre.x() - w / 2 + 10 * scale, centre.y() + h / 2)});
    p.setPen(QPen(kWireColour, 1.5));
    p.setBrush(QColor(215, 220, 228));
    p.drawPolygon(shell);
    QFont small = p.font();
    small.setPixelSize(static_cast<int>(10 * scale + 0.5));
    p.setFont(small);
    for (int i = 0; i < 9; ++i) {
        const bool top = i < 5;
        const double step = 22 * scale;
        double x = top ? centre.x() + (i - 2) * step : centre.x() + (i - 5 - 1.5) * step;
        if (mirrored) x = 2 * centre.x() - x;
        const double y = top ? centre.y() - 9 * scale : centre.y() + 10 * scale;
        pins[static_cast<std::size_t>(i)] = QPointF(x, y);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(x, y), 4 * scale, 4 * scale);
    }
}

void PaintGround(QPainter& p, const QPointF& at) {
    p.drawLine(at, at + QPointF(0, 12));
    for (int i = 0; i < 3; ++i) {
        const double half = 9 - 3 * i;
        const double y = at.y() + 12 + 4 * i;
        p.drawLine(QPointF(at.x() - half, y), QPointF(at.x() + half, y));
    }
}

void PaintLabel(QPainter& p, const QRectF& rect, const QString& text, int flags, int pixelSize,
                bool bold = false) {
    QFont font = p.font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    p.setFont(font);
    p.drawText(rect, flags, text);
}

// A cylindrical sensor head with thread, lock nuts and cable, in outline.
void PaintSensor(QPainter& p, const QRectF& r) {
    const double cy = r.center().y();
    const double bodyH = r.height() * 0.42;
    const double bodyL = r.left() + r.width() * 0.18;
    const double bodyR = r.left() + r.width() * 0.78;
    QLinearGradient metal(0, cy - bodyH / 2, 0, cy + bodyH / 2);
    metal.setColorAt(0, QColor(235, 238, 242));
    metal.setColorAt(0.45, QColor(170, 178, 190));
    metal.setColorAt(1, QColor(120, 128, 140));
    p.setPen(QPen(QColor(90, 96, 108), 2));
    p.setBrush(metal);
    p.drawRect(QRectF(bodyL, cy - bodyH / 2, bodyR - bodyL, bodyH));
    // thread
    p.setPen(QPen(QColor(110, 116, 128), 1));
    for (double x = bodyL + 6; x < bodyR - 4; x += 6) {
        p.drawLine(QPointF(x, cy - bodyH / 2), QPointF(x - 4, cy + bodyH / 2));
    }
    // two lock nuts
    p.setPen(QPen(QColor(80, 86, 98), 2));
    p.setBrush(QColor(150, 156, 168));
    for (double x : {bodyL + (bodyR - bodyL) * 0.22, bodyL + (bodyR - bodyL) * 0.62}) {
        p.drawRect(QRectF(x, cy - bodyH * 0.68, r.width() * 0.05, bodyH * 1.36));
    }
    // sensing face
    p.setBrush(QColor(60, 60, 70));
    p.drawRoundedRect(QRectF(bodyR, cy - bodyH * 0.42, r.width() * 0.05, bodyH * 0.84), 4, 4);
    // cable towards the left edge
    p.setPen(QPen(QColor(70, 70, 78), bodyH * 0.22, Qt::SolidLine, Qt::RoundCap));
    QPainterPath cable(QPointF(bodyL, cy));
    cable.cubicTo(QPointF(bodyL - r.width() * 0.08, cy), QPointF(r.left() + r.width() * 0.06, cy + bodyH),
                  QPointF(r.left(), cy + bodyH * 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(cable);
    // the beam to a sheet
    p.setPen(QPen(kBeamRed, 3, Qt::DashLine));
    p.drawLine(QPointF(bodyR + r.width() * 0.05, cy), QPointF(r.right() - r.width() * 0.04, cy));
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.setBrush(QColor(250, 250, 245));
    p.drawPolygon(Sheet(r.right() - r.width() * 0.05, r.top() + r.height() * 0.1, r.width() * 0.025,
                        r.height() * 0.8, 0));
}

}  // namespace

void PaintLogo(QPainter& p, const QRectF& rect) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double s = std::min(rect.width(), rect.height());
    const QRectF r(rect.center().x() - s / 2, rect.center().y() - s / 2, s, s);
    p.setPen(Qt::NoPen);
    p.setBrush(kBrandBlue);
    p.drawRoundedRect(r, s * 0.18, s * 0.18);
    // two sheets lying on each other: the double-sheet case the devices exist for
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawPolygon(Sheet(r.left() + s * 0.16, r.top() + s * 0.30, s * 0.50, s * 0.14, s * 0.12));
    p.setBrush(QColor(190, 210, 240));
    p.drawPolygon(Sheet(r.left() + s * 0.16, r.top() + s * 0.50, s * 0.50, s * 0.14, s * 0.12));
    // the beam through both
    p.setPen(QPen(kBeamRed, std::max(1.0, s * 0.07), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(r.left() + s * 0.50, r.top() + s * 0.12),
               QPointF(r.left() + s * 0.50, r.bottom() - s * 0.12));
    p.restore();
}

QPixmap LogoPixmap(int size) {
    QPixmap pixmap = TransparentPixmap(size, size);
    QPainter p(&pixmap);
    PaintLogo(p, QRectF(0, 0, size, size));
    return pixmap;
}

QIcon AppIcon() {
    static const QIcon icon = [] {
        QIcon built;
        for (int size : {16, 24, 32, 48, 64, 128, 256})
            built.addPixmap(LogoPixmap(size));
        return built;
    }();
    return icon;
}

QPixmap StartPicture(int width, int height) {
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // the sensor, faded into the background like an old photograph
    p.setOpacity(0.28);
    PaintSensor(p, QRectF(width * 0.05, height * 0.08, width * 0.92, height * 0.84));
    p.setOpacity(1.0);
    const double logo = height * 0.52;
    PaintLogo(p, QRectF(width * 0.06, (height - logo) / 2, logo, logo));
    p.setPen(kBrandBlue);
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(static_cast<int>(height * 0.30));
    font.setBold(true);
    font.setLetterSpacing(QFont::PercentageSpacing, 108);
    p.setFont(font);
    const QRectF nameRect(width * 0.08 + logo, 0, width - logo - width * 0.1, height * 0.7);
    p.drawText(nameRect, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Dorvik"));
    font.setPixelSize(static_cast<int>(height * 0.10));
    font.setBold(false);
    font.setLetterSpacing(QFont::PercentageSpacing, 100);
    p.setFont(font);
    p.setPen(QColor(70, 70, 70));
    p.drawText(QRectF(nameRect.left() + 3, height * 0.70, nameRect.width(), height * 0.2),
               Qt::AlignLeft | Qt::AlignTop, QStringLiteral("sheet detection"));
    return pixmap;
}

QPixmap CableRoundPicture() {
    const int width = 560;
    const int height = 230;
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(kWireColour);
    PaintLabel(p, QRectF(0, 6, width, 20),
               QCoreApplication::translate("Cable", "Connection cable 3 m, shielded"), Qt::AlignHCenter, 14,
               true);

    // Device side: circular 3-pin plug, face view.
    const QPointF plug(90, 120);
    p.setPen(QPen(kWireColour, 2));
    p.setBrush(QColor(60, 60, 66));
    p.drawEllipse(plug, 48, 48);
    p.setBrush(QColor(215, 220, 228));
    p.drawEllipse(plug, 38, 38);
    const std::array<QPointF, 3> plugPins = {plug + QPointF(-17, 10), plug + QPointF(0, -19),
                                             plug + QPointF(17, 10)};
    for (std::size_t i = 0; i < plugPins.size(); ++i) {
        p.setPen(QPen(kWireColour, 1.5));
        p.setBrush(QColor(200, 160, 40));
        p.drawEllipse(plugPins[i], 5, 5);
        // the pin number just outside the pin, away from the centre
        const QPointF away = plugPins[i] - plug;
        const QPointF at = plugPins[i] + away * (11.0 / std::max(1.0, std::hypot(away.x(), away.y())));
        p.setPen(kWireColour);
        PaintLabel(p, QRectF(at.x() - 7, at.y() - 7, 14, 14), QString::number(i + 1), Qt::AlignCenter, 10,
                   true);
    }
    PaintLabel(p, QRectF(plug.x() - 60, 178, 120, 18), QCoreApplication::translate("Cable", "Device"),
               Qt::AlignHCenter, 13, true);
    PaintLabel(p, QRectF(plug.x() - 60, 196, 120, 18), QCoreApplication::translate("Cable", "3-pin plug"),
               Qt::AlignHCenter, 11);

    // PC side: 9-pin D-sub socket.
    std::array<QPointF, 9> dsub{};
    const QPointF dsubCentre(470, 120);
    PaintDsub(p, dsubCentre, 1.0, true, dsub);
    p.setPen(kWireColour);
    PaintLabel(p, QRectF(dsubCentre.x() - 70, 150, 140, 18), QStringLiteral("PC"), Qt::AlignHCenter, 13,
               true);
    PaintLabel(p, QRectF(dsubCentre.x() - 70, 168, 140, 18),
               QCoreApplication::translate("Cable", "9-pin D-sub socket"), Qt::AlignHCenter, 11);
    for (int pin : {2, 3, 5}) {
        const QPointF at = dsub[static_cast<std::size_t>(pin - 1)];
        PaintLabel(p, QRectF(at.x() - 8, at.y() - 22, 16, 12), QString::number(pin), Qt::AlignCenter, 10);
    }

    // The shield: a dashed sleeve around the three wires, tied to the D-sub shell, which is grounded.
    p.setPen(QPen(QColor(110, 110, 110), 1.5, Qt::DashLine));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(170, 56, 210, 70), 12, 12);
    PaintLabel(p, QRectF(170, 36, 210, 18), QCoreApplication::translate("Cable", "shield"), Qt::AlignHCenter,
               11);
    p.setPen(QPen(QColor(110, 110, 110), 1.5));
    const QPointF shellCorner(dsubCentre.x() - 55, dsubCentre.y() + 18);
    p.drawLine(QPointF(380, 118), QPointF(shellCorner.x() - 15, 118));
    p.drawLine(QPointF(shellCorner.x() - 15, 118), shellCorner);
    PaintGround(p, QPointF(shellCorner.x() - 15, 118 + 40));
    p.drawLine(QPointF(shellCorner.x() - 15, 118), QPointF(shellCorner.x() - 15, 158));
    PaintLabel(p, QRectF(170, 130, 210, 30),
               QCoreApplication::translate("Cable", "shield grounded at the D-sub shell"), Qt::AlignHCenter,
               10);
    // Wires: plug pin -> D-sub pin, each in its own lane inside the sleeve.
    struct Wire {
        int from;
        int to;
        const char* name;
        QColor colour;
        double lane;
    };
    const Wire wires[] = {
        {1, 5, "GND", QColor(30, 30, 30), 112},
        {2, 3, "RXD", QColor(20, 90, 200), 70},
        {3, 2, "TXD", QColor(200, 60, 20), 91},
    };
    for (const Wire& w : wires) {
        const QPointF a = plugPins[static_cast<std::size_t>(w.from - 1)];
        const QPointF b = dsub[static_cast<std::size_t>(w.to - 1)];
        p.setPen(QPen(w.colour, 2.2));
        p.setBrush(Qt::NoBrush);
        QPainterPath path(a);
        path.lineTo(150, w.lane);
        path.lineTo(400, w.lane);
        path.lineTo(b);
        p.drawPath(path);
        p.setPen(w.colour);
        PaintLabel(
            p, QRectF(190, w.lane - 15, 170, 14),
            QStringLiteral("%1  pin %2 \u2192 pin %3").arg(QLatin1String(w.name)).arg(w.from).arg(w.to),
            Qt::AlignHCenter, 11);
    }
    return pixmap;
}

QPixmap CableDsubPicture() {
    const int width = 560;
    const int height = 230;
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(kWireColour);
    PaintLabel(p, QRectF(0, 6, width, 20), QCoreApplication::translate("Cable", "D-sub to D-sub"),
               Qt::AlignHCenter, 14, true);

    // Connectors drawn as pin columns, so the crossing of TxD and RxD is plain to see.
    auto connector = [&](double x, const QString& title, const QString& subtitle, bool pinsOnRight,
                         const std::array<QString, 3>& names, const std::array<int, 3>& numbers) {
        p.setPen(QPen(kWireColour, 2));
        p.setBrush(QColor(215, 220, 228));
        p.drawRoundedRect(QRectF(x - 45, 50, 90, 130), 10, 10);
        p.setPen(kWireColour);
        PaintLabel(p, QRectF(x - 80, 182, 160, 18), title, Qt::AlignHCenter, 13, true);
        PaintLabel(p, QRectF(x - 80, 200, 160, 18), subtitle, Qt::AlignHCenter, 11);
        std::array<QPointF, 3> at{};
        for (std::size_t i = 0; i < 3; ++i) {
            const double y = 80 + 35 * static_cast<double>(i);
            at[i] = QPointF(pinsOnRight ? x + 45 : x - 45, y);
            p.setBrush(QColor(200, 160, 40));
            p.setPen(QPen(kWireColour, 1.5));
            p.drawEllipse(at[i], 5, 5);
            p.setPen(kWireColour);
            PaintLabel(p, QRectF(x - 40, y - 9, 80, 18),
                       QStringLiteral("%1  %2").arg(numbers[i]).arg(names[i]), Qt::AlignCenter, 12);
        }
        return at;
    };
    const auto device =
        connector(110, QCoreApplication::translate("Cable", "Device"),
                  QCoreApplication::translate("Cable", "9-pin D-sub"), true,
                  {QStringLiteral("TxD"), QStringLiteral("RxD"), QStringLiteral("GND")}, {3, 2, 5});
    const auto pc =
        connector(450, QStringLiteral("PC  /  SPS"), QStringLiteral("RS 232"), false,
                  {QStringLiteral("TxD"), QStringLiteral("RxD"), QStringLiteral("GND")}, {3, 2, 5});
    p.setPen(kBrandBlue);
    PaintLabel(p, QRectF(405, 28, 90, 18), QStringLiteral("PC"), Qt::AlignHCenter, 13, true);

    // device TxD (3) -> PC RxD (2), device RxD (2) -> PC TxD (3), GND 5 -> 5
    const QColor colours[] = {QColor(200, 60, 20), QColor(20, 90, 200), QColor(30, 30, 30)};
    const std::size_t partner[] = {1, 0, 2};
    for (std::size_t i = 0; i < 3; ++i) {
        p.setPen(QPen(colours[i], 2.2));
        p.drawLine(device[i], pc[partner[i]]);
    }
    p.setPen(kWireColour);
    PaintLabel(p, QRectF(200, 180, 160, 18), QCoreApplication::translate("Cable", "TxD and RxD crossed"),
               Qt::AlignHCenter, 11);
    return pixmap;
}
