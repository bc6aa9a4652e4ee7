// Helpers for the GUI tests: answering modal windows from a timer (their exec() blocks the test), data
// file texts built from telegrams, and temporary environments.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "link/telegram.h"

namespace guitest {

// What a modal window looked like when it came up.
struct SeenWindow {
    QString className;
    QString objectName;
    QString title;
    QString text;  // QMessageBox text, else empty
    QPointer<QWidget> parent;
};

// Polls for modal windows while it lives. Each modal window that comes up is recorded once and handed
// to the handler, which must close it or make it close itself later (for instance by starting a nested
// window with a zero timer). Without a handler, and after `limit` windows, windows are rejected so a
// faulty test fails instead of hanging.
class ModalWatcher {
  public:
    using Handler = std::function<void(QWidget* window, int index)>;

    explicit ModalWatcher(Handler handler = {}, int limit = 20)
        : handler_(std::move(handler)), limit_(limit) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start();
    }
    ~ModalWatcher() { timer_.stop(); }

    std::vector<SeenWindow> seen;

  private:
    void Poll() {
        QWidget* window = QApplication::activeModalWidget();
        if (window == nullptr || !window->isVisible()) return;
        if (window->property("guitest_seen").toBool()) return;
        window->setProperty("guitest_seen", true);
        SeenWindow entry;
        entry.className = QString::fromLatin1(window->metaObject()->className());
        entry.objectName = window->objectName();
        entry.title = window->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(window)) entry.text = box->text();
        entry.parent = window->parentWidget();
        seen.push_back(entry);
        const int index = static_cast<int>(seen.size()) - 1;
        if (handler_ && index < limit_) {
            handler_(window, index);
        } else if (auto* dialog = qobject_cast<QDialog*>(window)) {
            dialog->reject();
        } else {
            window->close();
        }
    }

    Handler handler_;
    int limit_;
    QTimer timer_;
};

inline void Reject(QWidget* window) {
    if (auto* dialog = qobject_cast<QDialog*>(window)) dialog->reject();
}

inline void PressKey(QWidget* window, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(window, &press);
}

// A telegram of 14 characters: address "0", letter, 9-character value, checksum over the first 11.
inline std::string Telegram14(char letter, const std::string& value9) {
    std::string body = std::string("0") + letter + value9;
    body.resize(11, '0');
    std::string framed = std::string(1, kdm::STX) + body;
    std::string sum = kdm::ComputeChecksum(framed);
    while (sum.size() < 3)
        sum.insert(sum.begin(), '0');
    return body + sum.substr(sum.size() - 3);
}

// Data-file records: the identification record, and telegram records annotated as the read stores them.
inline std::string IdentificationRecord(const std::string& deviceCode) {
    return std::string(1, kdm::STX) + Telegram14('g', "+" + deviceCode + "000--") + "\r\n\r";
}

inline std::string TelegramRecord(char letter, const std::string& value9, bool spoilChecksum = false) {
    std::string telegram = Telegram14(letter, value9);
    if (spoilChecksum) telegram[13] = telegram[13] == '9' ? '0' : static_cast<char>(telegram[13] + 1);
    const std::string text = std::string(1, kdm::STX) + telegram + std::string(1, kdm::ETX);
    std::string annotated;
    kdm::VerifyTelegram(text, annotated);
    return annotated + "\r\n\r";
}

// Sets an environment variable for the life of the object, then restores the old value.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const QString& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            had_ = true;
            old_ = old;
        }
        ::setenv(name, value.toLocal8Bit().constData(), 1);
    }
    ~ScopedEnv() {
        if (had_) {
            ::setenv(name_, old_.c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

}  // namespace guitest
