#include "link/waits.h"

namespace kdm {

std::string DescribeWait(const WaitNotice& notice) {
    if (notice.seconds <= 0) return {};
    std::string text;
    switch (notice.kind) {
        case WaitKind::kIdentification:
            text = "Waiting for a device to identify itself";
            if (!notice.port.empty()) text += " on " + notice.port;
            break;
        case WaitKind::kStatusReply:
            text = "Waiting for the device's status reply";
            break;
        case WaitKind::kAcknowledgement:
            text = "Waiting for the device to acknowledge the frame";
            break;
        case WaitKind::kTelegram:
            text = "Waiting for the next telegram from the device";
            break;
    }
    return text + " (" + std::to_string(notice.seconds) + " s)";
}

}  // namespace kdm
