#include "ui/core_text.h"

#include <QCoreApplication>

#include "data/strings.h"
#include "link/telegram.h"
#include "link/visible_text.h"
#include "link/waits.h"
#include "link/wire.h"
#include "platform/result.h"
#include "ui/language.h"

namespace {

QString FromBytes(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Texts of the data file (program numbers, letters) are Latin-1 bytes, control bytes by name.
QString Legible(const std::string& text) {
    return QString::fromLatin1(kdm::VisibleText(text).c_str());
}

// The translation context of these words.
struct CoreText {
    Q_DECLARE_TR_FUNCTIONS(CoreText)
};

QString WhyNotOpened(const kdm::SearchAttemptReport& report) {
    if (report.opensNow) return CoreText::tr("could not be opened at the time");
    switch (report.problem) {
        case kdm::PortProblem::kNone:
            break;
        case kdm::PortProblem::kNotMapped:
            return CoreText::tr("no device is assigned to this name");
        case kdm::PortProblem::kMissing:
            return CoreText::tr("missing (the device does not exist)");
        case kdm::PortProblem::kNotCharacterDevice:
            return CoreText::tr("not a serial device");
        case kdm::PortProblem::kBusy:
            return report.holders.empty()
                       ? CoreText::tr("held by another program")
                       : CoreText::tr("held by another program (%1)").arg(FromBytes(report.holders));
        case kdm::PortProblem::kPermission:
            return CoreText::tr(
                       "no permission (add yourself to the %1 group: sudo adduser $USER %1, then log in "
                       "again)")
                .arg(FromBytes(report.groupName));
        case kdm::PortProblem::kOther:
            return CoreText::tr("cannot be opened (%1)")
                .arg(FromBytes(kdm::SystemErrorText(report.systemError)));
    }
    return CoreText::tr("cannot be opened");
}

QString Overfull(const QString& what, const std::string& path) {
    return CoreText::tr(
               "The device sent more than a parameter set can hold (%1); the read was stopped. What arrived "
               "is kept in %2")
        .arg(what, FromBytes(path));
}

}  // namespace

QString SearchFailureWords(int searchResult, const std::vector<kdm::SearchAttempt>& attempts) {
    int id = kdm::sid::kUnknownError;
    if (searchResult == kdm::kSearchNoDevice) id = kdm::sid::kNoDevice;
    if (searchResult == kdm::kSearchNoPort) id = kdm::sid::kNoComIo;
    if (searchResult == kdm::kSearchStatusFailed) id = kdm::sid::kCableDefect;
    QString text = ui_language::Text(id);
    if (searchResult == kdm::kSearchStatusFailed && !attempts.empty() &&
        attempts.back().outcome == kdm::PortOutcome::kStatusFailed &&
        attempts.back().errorNumber == kdm::kNoDeviceResponse)
        text +=
            QLatin1Char('\n') +
            CoreText::tr(
                "The device answers but does not reply to requests: check the transmit wire of the cable");
    return text;
}

QString WaitWords(const kdm::WaitNotice& notice) {
    if (notice.seconds <= 0) return {};
    switch (notice.kind) {
        case kdm::WaitKind::kIdentification:
            return notice.port.empty()
                       ? CoreText::tr("Waiting for a device to identify itself (%1 s)").arg(notice.seconds)
                       : CoreText::tr("Waiting for a device to identify itself on %1 (%2 s)")
                             .arg(FromBytes(notice.port))
                             .arg(notice.seconds);
        case kdm::WaitKind::kStatusReply:
            return CoreText::tr("Waiting for the device's status reply (%1 s)").arg(notice.seconds);
        case kdm::WaitKind::kAcknowledgement:
            return CoreText::tr("Waiting for the device to acknowledge the frame (%1 s)").arg(notice.seconds);
        case kdm::WaitKind::kTelegram:
            return CoreText::tr("Waiting for the next telegram from the device (%1 s)").arg(notice.seconds);
    }
    return {};
}

QString SearchAttemptWords(const kdm::SearchAttemptReport& report) {
    QString line = FromBytes(report.portName);
    if (!report.devicePath.empty()) line += QLatin1Char(' ') + FromBytes(report.devicePath);
    line += QStringLiteral(": ");
    switch (report.outcome) {
        case kdm::PortOutcome::kNotOpened:
            return line + WhyNotOpened(report);
        case kdm::PortOutcome::kNoLineSettings:
            return line +
                   CoreText::tr(
                       "does not take the line settings (4800 baud, 8 data bits, no parity, 1 stop bit)");
        case kdm::PortOutcome::kNoAnswer:
            return line + CoreText::tr("no answer in %1 s").arg(report.silentSeconds);
        case kdm::PortOutcome::kNotIdentified:
            return line + CoreText::tr("something answered, but not with a device identification");
        case kdm::PortOutcome::kLineGone:
            return line + CoreText::tr("the line went away (unplugged?)");
        case kdm::PortOutcome::kStatusFailed:
            return line +
                   (report.errorNumber == kdm::kNoDeviceResponse
                        ? CoreText::tr("a device identified itself but did not answer the status request")
                        : CoreText::tr("a device identified itself but reported error %1")
                              .arg(report.errorNumber));
        case kdm::PortOutcome::kStopped:
            return line + CoreText::tr("stopped");
        case kdm::PortOutcome::kFound:
            break;
    }
    return line;
}

QString TransferFailureWords(const kdm::TransferFailure& failure) {
    const QString path = FromBytes(failure.path);
    const QString reason = FromBytes(failure.reason);
    switch (failure.trouble) {
        case kdm::TransferTrouble::kDamagedIdentification:
            return CoreText::tr(
                "The device's identification arrived damaged (checksum mismatch); nothing was read. Start "
                "the read again.");
        case kdm::TransferTrouble::kCannotCreateTemp:
            return CoreText::tr("Cannot create the temporary file: %1").arg(reason);
        case kdm::TransferTrouble::kCannotStore:
            return CoreText::tr("Cannot store the data read in %1: %2").arg(path, reason);
        case kdm::TransferTrouble::kTooManySystem:
            return Overfull(CoreText::tr("more than %1 system parameters").arg(failure.limit), failure.path);
        case kdm::TransferTrouble::kTooManyPrograms:
            return Overfull(CoreText::tr("more than %1 programs").arg(failure.limit), failure.path);
        case kdm::TransferTrouble::kTooManyInProgram:
            return Overfull(
                failure.program.empty()
                    ? CoreText::tr("more than %1 parameters before the first program").arg(failure.limit)
                    : CoreText::tr("more than %1 parameters in program %2")
                          .arg(failure.limit)
                          .arg(Legible(failure.program)),
                failure.path);
        case kdm::TransferTrouble::kNotSaved:
            return CoreText::tr("The data file %1 was not saved: %2").arg(path, reason);
        case kdm::TransferTrouble::kLineSilent:
            return ui_language::Text(kdm::sid::kErrorRs232) + QLatin1Char('\n') +
                   CoreText::tr("What arrived is kept in %1").arg(path);
        case kdm::TransferTrouble::kCannotReadFile:
            return CoreText::tr("Cannot read the data file: %1").arg(reason.isEmpty() ? path : reason);
        case kdm::TransferTrouble::kFileTooLarge:
            return CoreText::tr("The file %1 is too large to be a data file").arg(path);
    }
    return {};
}

QString WriteFindingReasonWords(const kdm::WriteFinding& finding) {
    const int bytes = static_cast<int>(finding.bytes);
    switch (finding.problem) {
        case kdm::WriteProblem::kNoIdentification:
            return CoreText::tr("not a data file: it does not begin with an identification telegram");
        case kdm::WriteProblem::kCutShort:
            return CoreText::tr("the frame is cut short (%1 of its %2 bytes)")
                .arg(bytes)
                .arg(kdm::kFrameBytes);
        case kdm::WriteProblem::kNoEtx:
            return CoreText::tr("the frame does not end in ETX");
        case kdm::WriteProblem::kChecksum:
            return CoreText::tr("its checksum does not match its characters");
        case kdm::WriteProblem::kMarked:
            return CoreText::tr("marked \" !!!\": its checksum did not match when it was read");
        case kdm::WriteProblem::kChangedAfterRead:
            return CoreText::tr("marked \" !!!\" and changed after it was read");
        case kdm::WriteProblem::kNoParameters:
            return CoreText::tr("the file holds no parameter to write");
        case kdm::WriteProblem::kTooManyPrograms:
            return CoreText::
                tr("the file holds %1 programs; a device holds at most %2, and this is the first one past "
                   "them")
                    .arg(finding.programs)
                    .arg(kdm::kMaxPrograms);
        case kdm::WriteProblem::kFileCutShort:
            return CoreText::tr("the file ends inside a record: it was cut short");
        case kdm::WriteProblem::kTrailingBytes:
            return bytes == 1 ? CoreText::tr("1 byte after the last record is no record")
                              : CoreText::tr("%1 bytes after the last record are no record").arg(bytes);
        case kdm::WriteProblem::kNotARecord:
            return bytes == 1 ? CoreText::tr("1 byte between two records is no record")
                              : CoreText::tr("%1 bytes between two records are no record").arg(bytes);
        case kdm::WriteProblem::kAfterAnnotation:
            return bytes == 1
                       ? CoreText::tr("1 byte after its annotation \"%1\": a read stores nothing there")
                             .arg(FromBytes(finding.annotation))
                       : CoreText::tr("%1 bytes after its annotation \"%2\": a read stores nothing there")
                             .arg(bytes)
                             .arg(FromBytes(finding.annotation));
        case kdm::WriteProblem::kAnnotation:
            return CoreText::tr("its annotation is not the \"%1\" a read writes after this frame")
                .arg(FromBytes(finding.annotation));
        case kdm::WriteProblem::kNoTerminator:
            return CoreText::tr("it runs into the next record without its line end (CR LF CR)");
    }
    return {};
}

QString WriteFindingWords(const kdm::WriteFinding& finding) {
    QString text = finding.record > 0 ? CoreText::tr("record %1").arg(finding.record) : CoreText::tr("file");
    if (finding.program == "system") {
        text += CoreText::tr(", system");
    } else if (!finding.program.empty()) {
        text += CoreText::tr(", program %1").arg(Legible(finding.program));
    }
    if (!finding.letter.empty()) text += CoreText::tr(", letter %1").arg(Legible(finding.letter));
    return text + QStringLiteral(": ") + WriteFindingReasonWords(finding);
}

QString WriteCheckSummaryWords(const kdm::WriteCheck& check) {
    if (check.Empty()) return {};
    const int blocking = check.Blocking();
    const int marked = check.Count(kdm::WriteProblem::kMarked);
    if (blocking > 0) {
        QString counts = blocking == 1 ? CoreText::tr("1 fault") : CoreText::tr("%1 faults").arg(blocking);
        if (marked > 0)
            counts += marked == 1 ? CoreText::tr(", 1 marked record")
                                  : CoreText::tr(", %1 marked records").arg(marked);
        if (check.cutShort) counts += CoreText::tr(", cut short");
        return CoreText::tr("Nothing was sent: the file cannot be written as it stands (%1):").arg(counts);
    }
    if (!check.cutShort) {
        return marked == 1
                   ? CoreText::tr(
                         "1 record is marked \" !!!\": the value a device would get may not be the one it "
                         "sent:")
                   : CoreText::tr(
                         "%1 records are marked \" !!!\": the value a device would get may not be the "
                         "one it sent:")
                         .arg(marked);
    }
    if (marked == 0) {
        return CoreText::tr(
            "The file was cut short: a device would get only the frames before the cut and keep its own "
            "values for whatever followed:");
    }
    return (
        marked == 1
            ? CoreText::tr(
                  "1 record is marked \" !!!\" and the file was cut short: the values a device would "
                  "get may not be the ones it sent, and it would keep its own for whatever followed "
                  "the cut:")
            : CoreText::tr("%1 records are marked \" !!!\" and the file was cut short: the values a device "
                           "would get may not be the ones it sent, and it would keep its own for whatever "
                           "followed the cut:")
                  .arg(marked));
}

QString WriteCheckListWords(const kdm::WriteCheck& check) {
    QStringList lines;
    for (const kdm::WriteFinding& finding : check.findings)
        lines << WriteFindingWords(finding);
    if (check.unlisted > 0) lines << CoreText::tr("... and %1 more").arg(check.unlisted);
    return lines.join(QLatin1Char('\n'));
}

QString HistoryKindWords(kdm::HistoryKind kind) {
    switch (kind) {
        case kdm::HistoryKind::kRead:
            return CoreText::tr("read");
        case kdm::HistoryKind::kBackup:
            return CoreText::tr("backup");
        case kdm::HistoryKind::kWrite:
            return CoreText::tr("write");
    }
    return {};
}

QString VerifyOutcomeWords(kdm::VerifyOutcome outcome) {
    switch (outcome) {
        case kdm::VerifyOutcome::kNotAsked:
            return CoreText::tr("not asked");
        case kdm::VerifyOutcome::kPassed:
            return CoreText::tr("passed");
        case kdm::VerifyOutcome::kFailed:
            return CoreText::tr("failed");
    }
    return {};
}

QString VerifyDifferenceWords(const kdm::RecordDifference& difference) {
    const auto side = [](const std::string& telegram) {
        if (telegram.empty()) return CoreText::tr("(missing)");
        return QString::fromLatin1(
            kdm::VisibleText(telegram, {.names = kdm::VisibleStyle::Names::kFrame, .hexUpTo = 0xFF}).c_str());
    };
    const auto doubt = [](kdm::Suspect suspect) {
        return suspect == kdm::Suspect::kMismatch ? CoreText::tr("mismatch") : CoreText::tr("damaged");
    };
    QString text = CoreText::tr("record %1: file %2 device %3")
                       .arg(difference.record)
                       .arg(side(difference.fileTelegram), side(difference.deviceTelegram));
    if (difference.fileSuspect != kdm::Suspect::kNone)
        text += CoreText::tr(" (file: %1)").arg(doubt(difference.fileSuspect));
    if (difference.deviceSuspect != kdm::Suspect::kNone)
        text += CoreText::tr(" (device: %1)").arg(doubt(difference.deviceSuspect));
    return text;
}
