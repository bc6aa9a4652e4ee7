// The fixed information windows of the Help menu: about box, cable information and the two FAQ texts.
// Each has an "OK" button; Esc and the close box end it exactly like OK. The FAQs answer the same
// questions in both languages, for a Linux machine: which package provides what, the dialout group,
// which name a USB adapter has and how to give it another.
#pragma once

#include <QDialog>
#include <QString>

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
};

// The maker's contact lines: web and e-mail address, then after an empty line "Phone ..." and
// "Fax   ...". An empty value is left out, and so is the empty line when either group is missing.
QString ContactText(const char* web, const char* email, const char* phone, const char* fax);

// ContactText of the values this build was configured with (the KDMXP_CONTACT_* cache variables).
QString ConfiguredContactText();

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
