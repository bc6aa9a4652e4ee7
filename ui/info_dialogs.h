// The fixed information windows of the Help menu: about box, cable information and the two FAQ texts.
// Each has an "OK" button; Esc and the close box end it exactly like OK.
#pragma once

#include <QDialog>

class InfoDialog : public QDialog {
    Q_OBJECT
  public:
    explicit InfoDialog(QWidget* parent);
    void reject() override;  // Esc / close box: like "OK"

  protected:
    // Adds the "OK" button (id 1) at the bottom right.
    void AddOkButton(class QBoxLayout* layout);
};

class CAboutKDMXP final : public InfoDialog {
    Q_OBJECT
  public:
    explicit CAboutKDMXP(QWidget* parent);
    static constexpr const char* kTitle = "Info KDM XP";
    // The maker's contact lines, one per line, telephone and fax after an empty line.
    static constexpr const char* kContact =
        "www.dorvik.example\ninfo@dorvik.example\n\nPhone +00 000 000000-0\nFax   +00 000 000000-9";
};

class CAboutRS232 final : public InfoDialog {
    Q_OBJECT
  public:
    explicit CAboutRS232(QWidget* parent);
    static constexpr const char* kTitle = "Info RS232-Connection";
};

class CKDMFAQ final : public InfoDialog {
    Q_OBJECT
  public:
    explicit CKDMFAQ(QWidget* parent);
    static constexpr const char* kTitle = "KDM XP - FAQ (english)";
    static const char* const kText;
};

class CKDMFAQ_D final : public InfoDialog {
    Q_OBJECT
  public:
    explicit CKDMFAQ_D(QWidget* parent);
    static constexpr const char* kTitle = "KDM XP FAQ (deutsch)";
    static const char* const kText;  // UTF-8
};
