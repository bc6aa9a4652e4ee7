// What a call that can fail gives back: its value, or an error code with a reason.
//
// The code is an errno value (above zero) where the system said why, or one of the program's own codes
// below (under zero), so the two never meet; 0 is never a failure. The reason is one line naming what
// failed, for logs and messages ("write to /dev/ttyUSB0: Input/output error"); code that decides looks
// at the code, never at the text.
//
// Nothing here throws. A failed Result holds a default value, so reading value() without checking Ok()
// is a bug, but not undefined behaviour.
#pragma once

#include <cassert>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace kdm {

// The program's own codes.
inline constexpr int kErrorUnspecified = -1;
inline constexpr int kErrorNotMapped = -2;           // a port name that leads to no device
inline constexpr int kErrorNotCharacterDevice = -3;  // something at the path that cannot be a serial line
inline constexpr int kErrorSettingsNotTaken = -4;    // the line accepted settings but does not hold them
inline constexpr int kErrorHungUp = -5;              // the other end of the line is gone
inline constexpr int kErrorNoProgress = -6;          // the line took none of the bytes offered

// A failure on its way into a Result of any type: `return Failure(ETIMEDOUT, "...")`.
struct Failure {
    Failure(int code, std::string why)
        : error(code == 0 ? kErrorUnspecified : code), reason(std::move(why)) {}
    int error;
    std::string reason;
};

// The system's text for `errnum` ("Input/output error"), safe on any thread.
std::string SystemErrorText(int errnum);
// `what` and the system's text for `errnum`: "open /dev/ttyS0: Permission denied".
Failure SystemFailure(int errnum, std::string_view what);

template <class T>
class [[nodiscard]] Result {
    static_assert(std::is_default_constructible_v<T>, "a failed Result holds a default value");

  public:
    Result(T value) : value_(std::move(value)) {}  // a value is a success
    Result(Failure failure) : error_(failure.error), reason_(std::move(failure.reason)) {}

    bool Ok() const { return error_ == 0; }
    const T& value() const {
        assert(Ok());
        return value_;
    }
    int error() const { return error_; }
    const std::string& reason() const { return reason_; }
    // The failure again, to pass it on as another Result type.
    Failure failure() const {
        assert(!Ok());
        return Failure(error_, reason_);
    }

  private:
    T value_{};
    int error_ = 0;
    std::string reason_;
};

template <>
class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Failure failure) : error_(failure.error), reason_(std::move(failure.reason)) {}

    bool Ok() const { return error_ == 0; }
    int error() const { return error_; }
    const std::string& reason() const { return reason_; }
    Failure failure() const {
        assert(!Ok());
        return Failure(error_, reason_);
    }

  private:
    int error_ = 0;
    std::string reason_;
};

// A call without a value.
using Status = Result<void>;

}  // namespace kdm
