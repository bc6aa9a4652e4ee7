// CKDMXPMain: the start window. A text, two pictures and the menu; the program lives as long as it.
#pragma once

#include <QDialog>

class AppServices;
class QLabel;

class CKDMXPMain final : public QDialog {
    Q_OBJECT
  public:
    CKDMXPMain(AppServices& services, QWidget* parent = nullptr);

    static constexpr const char* kText =
        QT_TRANSLATE_NOOP("Start", "\n  KDM XP \n  Data store / restore for  Q4400-devices");

    void OnPortSelect();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    // A data file dropped here opens in a table window.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    AppServices& services_;
};
