#include "hardware/parport_sys.h"

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace hw {
namespace {

class LinuxSys : public ParportSys {
public:
    int Open(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        return fd >= 0 ? fd : -errno;
    }
    int Lock(int fd) override { return ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 0 : -errno; }
    int Ioctl(int fd, unsigned long request, void* arg) override {
        return ::ioctl(fd, request, arg) == 0 ? 0 : -errno;
    }
    void Close(int fd) override { ::close(fd); }
    std::int64_t NowNs() override {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    }
    void Sleep(std::int64_t ns) override {
        const timespec ts{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
        nanosleep(&ts, nullptr);
    }
    bool RealTime(bool on) override {
        // On: a middling priority, above every ordinary task and below the
        // kernel's own real-time threads. Off: whatever the thread had before.
        if (on) {
            if (!m_raised) pthread_getschedparam(pthread_self(), &m_policy, &m_param);
            sched_param p{};
            p.sched_priority = 40;
            m_raised = pthread_setschedparam(pthread_self(), SCHED_FIFO, &p) == 0 || m_raised;
            return m_raised;
        }
        if (!m_raised) return true;
        m_raised = false;
        return pthread_setschedparam(pthread_self(), m_policy, &m_param) == 0;
    }

private:
    bool m_raised = false;
    int m_policy = SCHED_OTHER;
    sched_param m_param{};
};

}  // namespace

std::unique_ptr<ParportSys> LinuxParportSys() {
    return std::make_unique<LinuxSys>();
}

}  // namespace hw
