#include "ui/transfer_progress.h"

#include <QCoreApplication>
#include <algorithm>

QString FormatDuration(qint64 ms) {
    const qint64 seconds = std::max<qint64>(0, ms) / 1000;
    const qint64 hours = seconds / 3600;
    const qint64 minutes = (seconds / 60) % 60;
    const qint64 rest = seconds % 60;
    if (hours > 0) {
        return QStringLiteral("%1:%2:%3")
            .arg(hours)
            .arg(minutes, 2, 10, QLatin1Char('0'))
            .arg(rest, 2, 10, QLatin1Char('0'));
    }
    return QStringLiteral("%1:%2").arg(minutes).arg(rest, 2, 10, QLatin1Char('0'));
}

void TransferTimes::Begin(qint64 nowMs) {
    *this = TransferTimes();
    begin_ = nowMs;
}

void TransferTimes::Progress(qint64 nowMs, qint64 done, qint64 total) {
    total_ = total;
    if (done <= 0) return;
    // The pace counts from the first unit: the search before it says nothing about the line.
    if (firstAt_ < 0) {
        firstAt_ = nowMs;
        firstDone_ = done;
    }
    lastAt_ = nowMs;
    lastDone_ = done;
}

void TransferTimes::Finish(qint64 nowMs) {
    if (finished_) return;
    finished_ = true;
    finishedAt_ = nowMs;
}

qint64 TransferTimes::ElapsedMs(qint64 nowMs) const {
    if (begin_ < 0) return 0;
    return (finished_ ? finishedAt_ : nowMs) - begin_;
}

qint64 TransferTimes::RemainingMs(qint64 nowMs) const {
    if (finished_) return 0;
    if (total_ <= 0 || firstAt_ < 0) return -1;
    const qint64 units = lastDone_ - firstDone_;
    const qint64 span = lastAt_ - firstAt_;
    if (units < kMinimumUnits || span < kMinimumMs) return -1;
    const qint64 left = std::max<qint64>(0, total_ - lastDone_);
    // Time since the last sample already counts against what is left.
    const qint64 estimate = left * span / units - (nowMs - lastAt_);
    return std::max<qint64>(0, estimate);
}

QString TransferTimes::Text(qint64 nowMs) const {
    QString text =
        QCoreApplication::translate("Transfer", "Elapsed %1").arg(FormatDuration(ElapsedMs(nowMs)));
    const qint64 remaining = RemainingMs(nowMs);
    if (!finished_ && remaining >= 0) {
        // Rounded up: "0:00 left" while something is still to come would be wrong.
        text +=
            QCoreApplication::translate("Transfer", ", about %1 left").arg(FormatDuration(remaining + 999));
    }
    return text;
}

ReadBar ReadBarFor(const TransferCounts& counts, bool complete, bool sizeKnown,
                   const UiState::ReadSize& last) {
    if (complete) return ReadBar{1, 1};
    if (!sizeKnown || counts.identification.isEmpty()) return ReadBar{};
    // More than last time: the device changed, and where the end lies is not known any more.
    if (counts.stored >= last.telegrams) return ReadBar{};
    return ReadBar{last.telegrams, counts.stored};
}

TransferTimeLabel::TransferTimeLabel(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("transferTime"));
    setTextFormat(Qt::PlainText);
    refresh_.setInterval(500);
    connect(&refresh_, &QTimer::timeout, this, &TransferTimeLabel::Refresh);
    // Room for the longest text, so that the window does not change size as it grows.
    setMinimumWidth(
        QFontMetrics(font()).horizontalAdvance(QStringLiteral("Elapsed 00:00, about 00:00 left")));
    setText(times_.Text(0));
}

void TransferTimeLabel::Begin() {
    clock_.start();
    times_.Begin(0);
    refresh_.start();
    Refresh();
}

void TransferTimeLabel::Progress(qint64 done, qint64 total) {
    if (!clock_.isValid()) return;
    times_.Progress(clock_.elapsed(), done, total);
    Refresh();
}

void TransferTimeLabel::Finish() {
    if (!clock_.isValid()) return;
    times_.Finish(clock_.elapsed());
    refresh_.stop();
    Refresh();
}

void TransferTimeLabel::Refresh() {
    setText(times_.Text(clock_.isValid() ? clock_.elapsed() : 0));
}
