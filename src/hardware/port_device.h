// What stands behind the port driver's device: the instrument panel's
// lines on the input side, the heating element on the output side.
#pragma once

#include <cstddef>
#include <string>

namespace hw {

class PortDevice {
public:
    virtual ~PortDevice() = default;
    // When the program opens the driver's device: false refuses, with a
    // reason in `error`.
    virtual bool Open(std::string& error) {
        (void)error;
        return true;
    }
    // When the program closes it, or lets go of it in any other way.
    virtual void Close() {}
    // The sample request: writes consecutive samples of the input port into
    // window[0..size). Returns false when the request fails; bytes it did not
    // write keep the caller's values.
    virtual bool Sample(unsigned char* window, std::size_t size) = 0;
    // The write request: the element output takes `level` and holds it.
    virtual bool Write(unsigned char level) = 0;
    // What the last request has to tell: why it failed, or what it had to
    // retry; empty when nothing.
    virtual std::string LastNote() const { return {}; }
};

}  // namespace hw
