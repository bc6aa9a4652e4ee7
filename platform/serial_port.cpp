#include "platform/serial_port.h"

namespace kdm {

Status WriteAll(ISerialPort& port, const void* data, std::size_t count) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t done = 0;
    do {
        const Result<std::size_t> put = port.Write(bytes + done, count - done);
        if (!put.Ok()) {
            return Failure(put.error(), put.reason() + " (" + std::to_string(done) + " of " +
                                            std::to_string(count) + " bytes written)");
        }
        // A port that takes nothing without failing would otherwise be asked forever.
        if (put.value() == 0 && done < count) {
            return Failure(kErrorNoProgress, "the line took none of the bytes (" + std::to_string(done) +
                                                 " of " + std::to_string(count) + " bytes written)");
        }
        done += put.value() < count - done ? put.value() : count - done;
    } while (done < count);
    return {};
}

}  // namespace kdm
