// The progress a transfer window shows beyond its historical controls: a bar for the read, and for
// both windows a line with the time elapsed and the time still to go, estimated from the pace the line
// has kept since the first unit arrived.
#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QString>
#include <QTimer>

#include "ui/transfer_worker.h"
#include "ui/ui_state.h"

// "0:07", "12:34", "1:02:03".
QString FormatDuration(qint64 ms);

// Elapsed and remaining time from samples of units done (telegrams, characters) at given moments.
// Pure: the caller passes the clock.
class TransferTimes {
  public:
    void Begin(qint64 nowMs);
    // `total` <= 0: the end is not known, and neither is the time to go.
    void Progress(qint64 nowMs, qint64 done, qint64 total);
    qint64 ElapsedMs(qint64 nowMs) const;
    // -1 while unknown: no end known, or too little seen yet to judge the pace.
    qint64 RemainingMs(qint64 nowMs) const;
    QString Text(qint64 nowMs) const;
    // The transfer is over: the elapsed time stops, nothing is left to go.
    void Finish(qint64 nowMs);

    // Units and time the pace needs before an estimate is shown.
    static constexpr qint64 kMinimumUnits = 3;
    static constexpr qint64 kMinimumMs = 500;

  private:
    qint64 begin_ = -1;
    qint64 firstAt_ = -1;  // the first sample with something done
    qint64 firstDone_ = 0;
    qint64 lastAt_ = -1;
    qint64 lastDone_ = 0;
    qint64 total_ = 0;
    bool finished_ = false;
    qint64 finishedAt_ = 0;
};

// The read's bar: its maximum and value. Maximum 0 is the busy bar (nothing known of the end): during
// the search, and through a read of a device of which no complete read is remembered (or which now
// sends more than it did then). `complete`: the program block has ended.
struct ReadBar {
    int maximum = 0;
    int value = 0;
};
ReadBar ReadBarFor(const TransferCounts& counts, bool complete, bool sizeKnown,
                   const UiState::ReadSize& last);

// The time line of a transfer window: refreshed twice a second while the transfer runs.
class TransferTimeLabel final : public QLabel {
    Q_OBJECT
  public:
    explicit TransferTimeLabel(QWidget* parent);
    void Begin();
    void Progress(qint64 done, qint64 total);
    void Finish();
    const TransferTimes& Times() const { return times_; }

  private:
    void Refresh();
    QElapsedTimer clock_;
    QTimer refresh_;
    TransferTimes times_;
};
