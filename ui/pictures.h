// The program's pictures, painted rather than shipped as bitmaps: the maker's logo, the application
// icon, the start window's large picture and the two cable drawings of the connection information.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QRectF>

class QPainter;

// The logo emblem: two sheets over a sensor beam, filling `rect` (square looks best).
void PaintLogo(QPainter& painter, const QRectF& rect);

// The application icon at the usual sizes (16 to 256 pixels).
QIcon AppIcon();
QPixmap LogoPixmap(int size);

// Logo and maker name over a faded drawing of a sensor head.
QPixmap StartPicture(int width, int height);

// The connection cable: circular 3-pin plug (device) to 9-pin D-sub socket (PC), shielded, shield
// grounded at the D-sub end; 1 GND -> 5, 2 RXD -> 3, 3 TXD -> 2.
QPixmap CableRoundPicture();
// The same link between two 9-pin D-sub connectors: device 3 TxD -> PC 2, device 2 RxD -> PC 3,
// GND 5 -> 5.
QPixmap CableDsubPicture();
