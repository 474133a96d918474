// A parallel port on virtual time behind the backend's system-call seam: its
// status lines follow the simulator's display frames, each read costs a set
// time and the reader can be held up; open errors, I/O errors and a port
// shared with another driver can be injected.
#pragma once

#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hardware/panel_line.h"
#include "hardware/parport_sys.h"

namespace test {

class FakeParport : public hw::ParportSys {
public:
    struct DataWrite {
        std::int64_t ns;
        unsigned char value;
    };

    FakeParport(std::int64_t phaseNs, std::uint64_t seed = 1, bool jitter = true)
        : line(phaseNs, seed, jitter), m_rng(seed ^ 0x0DDBA11ull) {}

    // The display line: Show() what it displays.
    hw::DisplayLine line;

    // The reader's side.
    std::int64_t readNs = 1300;
    // Before a read, with this chance, the reader is held up for holdNs(rng).
    double holdChance = 0.0;
    std::function<std::int64_t(hw::Rng&)> holdNs;
    // Or held up before the read with this number, for that long.
    long holdAtRead = -1;
    std::int64_t holdAtReadNs = 0;
    // Status reads that succeed before every further one fails with EIO; -1: all.
    long failAfter = -1;
    bool realTime = true;

    // The node's side: errno values of open and flock, and what a claim meets.
    int openError = 0;
    int lockError = 0;
    bool notPpdev = false;      // every request fails with ENOTTY
    bool noPort = false;        // every claim fails with ENXIO
    bool sharedWithLp = false;  // an exclusive claim fails with ENXIO

    // What happened.
    std::vector<DataWrite> writes;
    int openFds = 0;
    bool claimed = false;
    long reads = 0;
    std::int64_t now = 1'000'000'000;

    unsigned char Data() const { return writes.empty() ? 0 : writes.back().value; }

    // A seam for the backend that leads here, so that the fake outlives it.
    std::unique_ptr<hw::ParportSys> Ref();

    // A hold-up of `minNs` or more with a Pareto tail: a share
    // (minNs / x)^alpha of them last longer than x.
    static std::function<std::int64_t(hw::Rng&)> Pareto(std::int64_t minNs, double alpha) {
        return [minNs, alpha](hw::Rng& rng) {
            const double u = 1.0 - rng.Uniform();  // (0, 1]
            return static_cast<std::int64_t>(
                std::min(1e7, static_cast<double>(minNs) * std::pow(u, -1.0 / alpha)));
        };
    }

    int Open(const std::string&) override {
        if (openError) return -openError;
        ++openFds;
        m_exclusive = false;
        return 3;
    }
    int Lock(int) override { return lockError ? -lockError : 0; }
    void Close(int) override {
        --openFds;
        claimed = false;
    }
    std::int64_t NowNs() override { return now; }
    void Sleep(std::int64_t ns) override { now += ns; }
    bool RealTime(bool) override { return realTime; }

    int Ioctl(int, unsigned long request, void* arg) override {
        if (notPpdev) return -ENOTTY;
        switch (request) {
            case PPEXCL:
                m_exclusive = true;
                return 0;
            case PPCLAIM:
                if (noPort || (sharedWithLp && m_exclusive)) return -ENXIO;
                claimed = true;
                return 0;
            case PPRELEASE:
                if (!claimed) return -EINVAL;
                claimed = false;
                return 0;
            case PPDATADIR:
                return claimed ? 0 : -EINVAL;
            case PPWDATA:
                if (!claimed) return -EINVAL;
                writes.push_back({now, *static_cast<unsigned char*>(arg)});
                return 0;
            case PPRSTATUS:
                return ReadStatus(*static_cast<unsigned char*>(arg));
            default:
                return -ENOTTY;
        }
    }

private:
    int ReadStatus(unsigned char& status) {
        if (!claimed) return -EINVAL;
        if (failAfter >= 0 && reads >= failAfter) return -EIO;
        ++reads;
        // The line is read at some moment inside the call; a hold-up falls
        // before or after that moment.
        const bool held = holdChance > 0.0 && m_rng.Chance(holdChance);
        const std::int64_t hold = reads == holdAtRead ? holdAtReadNs : held ? holdNs(m_rng) : 0;
        const bool before = m_rng.Next() & 1;
        const auto at = static_cast<std::int64_t>(m_rng.Uniform() * static_cast<double>(readNs));
        now += (before ? hold : 0) + at;
        status = line.StatusAt(now);
        now += readNs - at + (before ? 0 : hold);
        return 0;
    }

    hw::Rng m_rng;
    bool m_exclusive = false;
};

inline std::unique_ptr<hw::ParportSys> FakeParport::Ref() {
    struct Ref : hw::ParportSys {
        explicit Ref(FakeParport& f) : fake(f) {}
        int Open(const std::string& path) override { return fake.Open(path); }
        int Lock(int fd) override { return fake.Lock(fd); }
        int Ioctl(int fd, unsigned long request, void* arg) override { return fake.Ioctl(fd, request, arg); }
        void Close(int fd) override { fake.Close(fd); }
        std::int64_t NowNs() override { return fake.NowNs(); }
        void Sleep(std::int64_t ns) override { fake.Sleep(ns); }
        bool RealTime(bool on) override { return fake.RealTime(on); }
        FakeParport& fake;
    };
    return std::make_unique<Ref>(*this);
}

}  // namespace test
