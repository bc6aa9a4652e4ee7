// The English words of the typed failures, and the observer's default boxes that show them.
#include "transfer/observer.h"

#include "data/strings.h"
#include "transfer/pacing.h"
#include "transfer/read_engine.h"

namespace kdm {
namespace {

std::string KeptIn(const std::string& path) {
    return "What arrived is kept in " + path;
}

std::string Overfull(const std::string& what, const std::string& path) {
    return "The device sent more than a parameter set can hold (" + what + "); the read was stopped. " +
           KeptIn(path);
}

}  // namespace

std::string DescribeTransferFailure(const TransferFailure& failure) {
    switch (failure.trouble) {
        case TransferTrouble::kDamagedIdentification:
            return kDamagedIdentificationText;
        case TransferTrouble::kCannotCreateTemp:
            return "Cannot create the temporary file: " + failure.reason;
        case TransferTrouble::kCannotStore:
            return "Cannot store the data read in " + failure.path + ": " + failure.reason;
        case TransferTrouble::kTooManySystem:
            return Overfull("more than " + std::to_string(failure.limit) + " system parameters",
                            failure.path);
        case TransferTrouble::kTooManyPrograms:
            return Overfull("more than " + std::to_string(failure.limit) + " programs", failure.path);
        case TransferTrouble::kTooManyInProgram:
            return Overfull("more than " + std::to_string(failure.limit) + " parameters " +
                                (failure.program.empty() ? std::string("before the first program")
                                                         : "in program " + failure.program),
                            failure.path);
        case TransferTrouble::kNotSaved:
            return "The data file " + failure.path + " was not saved: " + failure.reason;
        case TransferTrouble::kLineSilent:
            return std::string(LoadString(sid::kErrorRs232)) + "\n" + KeptIn(failure.path);
        case TransferTrouble::kCannotReadFile:
            return "Cannot read the data file: " + (failure.reason.empty() ? failure.path : failure.reason);
        case TransferTrouble::kFileTooLarge:
            return "The file " + failure.path + " is too large to be a data file";
    }
    return {};
}

void ITransferObserver::OnSearchFailed(int searchResult, const std::vector<SearchAttempt>& attempts) {
    ShowError(SearchFailureText(searchResult, attempts));
}

void ITransferObserver::OnFailure(const TransferFailure& failure) {
    ShowError(DescribeTransferFailure(failure));
}

void ITransferObserver::OnWriteRefused(const WriteCheck& check) {
    ShowError(DescribeWriteCheck(check));
}

}  // namespace kdm
