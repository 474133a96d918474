// The few system calls the parallel-port backend makes, behind one seam so
// that tests can put a parallel port of their own on virtual time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace hw {

class ParportSys {
public:
    virtual ~ParportSys() = default;
    // open(path, O_RDWR): a descriptor, or -errno.
    virtual int Open(const std::string& path) = 0;
    // flock(fd, LOCK_EX | LOCK_NB): 0 or -errno.
    virtual int Lock(int fd) = 0;
    // ioctl(fd, request, arg): 0 or -errno.
    virtual int Ioctl(int fd, unsigned long request, void* arg) = 0;
    virtual void Close(int fd) = 0;
    // The monotonic clock, in nanoseconds.
    virtual std::int64_t NowNs() = 0;
    virtual void Sleep(std::int64_t ns) = 0;
    // Real-time scheduling of the calling thread on or off; false when the
    // system does not permit it.
    virtual bool RealTime(bool on) = 0;
};

// The system's own calls.
std::unique_ptr<ParportSys> LinuxParportSys();

}  // namespace hw
