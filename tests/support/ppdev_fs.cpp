// A parallel-port device node for tests, in a FUSE file system: the file
// "parport0" answers the ppdev requests the backend makes. Its status lines
// carry the simulator's display frames in real time, showing a simulated
// furnace whose element follows data bit 0 (SPEED times faster than real
// time, so that a short run shows it heat); every request that changes
// something is logged with its time.
//   usage: ppdev_fs MOUNTPOINT LOG [PHASE_US [SPEED]]
// Runs in the foreground until unmounted (fusermount3 -u MOUNTPOINT) or
// stopped with SIGTERM. Log lines: "MS OPEN|CLAIM|RELEASE|CLOSE",
// "MS W VALUE" (the data register), "MS SHOW MAIN AUX SECONDS" (the readings
// of the frames from then on).
#define FUSE_USE_VERSION 35
#include <fuse.h>
#include <linux/ppdev.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <time.h>

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "hardware/furnace.h"
#include "hardware/panel_line.h"

namespace {

constexpr const char* kNode = "/parport0";
constexpr std::int64_t kShowEveryNs = 500'000'000;  // the instrument updates its display twice a second

struct Port {
    std::FILE* log = nullptr;
    std::int64_t t0 = 0;
    std::unique_ptr<hw::DisplayLine> line;
    hw::Furnace furnace;
    std::int64_t furnaceAt = 0;
    std::int64_t nextShow = 0;
    double speed = 60.0;
    unsigned char data = 0;
    bool claimed = false;
};

Port g;

std::int64_t Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec - g.t0;
}

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* format, ...) {
    std::fprintf(g.log, "%.3f ", static_cast<double>(Now()) / 1e6);
    va_list args;
    va_start(args, format);
    std::vfprintf(g.log, format, args);
    va_end(args);
    std::fputc('\n', g.log);
    std::fflush(g.log);
}

// The furnace catches up and the display takes its readings.
void CatchUp(std::int64_t now) {
    g.furnace.Advance(static_cast<double>(now - g.furnaceAt) / 1e9 * g.speed);
    g.furnaceAt = now;
}

void Update(std::int64_t now) {
    if (now < g.nextShow) return;
    CatchUp(now);
    g.nextShow = now + kShowEveryNs;
    const hw::Readings r{static_cast<int>(std::lround(g.furnace.Chamber() * 10)),
                         static_cast<int>(std::lround(g.furnace.Load() * 10)),
                         hw::PanelSeconds(now / 1'000'000)};
    g.line->Show(r, g.furnace.ElementOn());
    Log("SHOW %d %d %d", r.main, r.aux, r.seconds);
}

int GetAttr(const char* path, struct stat* st, fuse_file_info*) {
    std::memset(st, 0, sizeof *st);
    if (std::strcmp(path, "/") == 0) {
        st->st_mode = S_IFDIR | 0755;
        st->st_nlink = 2;
        return 0;
    }
    if (std::strcmp(path, kNode) == 0) {
        st->st_mode = S_IFREG | 0660;
        st->st_nlink = 1;
        return 0;
    }
    return -ENOENT;
}

int ReadDir(const char* path, void* buf, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags) {
    if (std::strcmp(path, "/") != 0) return -ENOENT;
    fill(buf, ".", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    fill(buf, "..", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    fill(buf, kNode + 1, nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    return 0;
}

int Open(const char* path, fuse_file_info* fi) {
    if (std::strcmp(path, kNode) != 0) return -ENOENT;
    fi->direct_io = 1;
    fi->nonseekable = 1;
    Log("OPEN");
    return 0;
}

int Release(const char*, fuse_file_info*) {
    // The kernel lets go of the port of a descriptor that closes.
    g.claimed = false;
    Log("CLOSE");
    return 0;
}

// Answers as ppdev does; requests other than claiming need a claimed port.
int Ioctl(const char*, unsigned int cmd, void*, fuse_file_info*, unsigned int flags, void* data) {
    if (flags & FUSE_IOCTL_COMPAT) return -ENOSYS;
    const std::int64_t now = Now();
    switch (cmd) {
        case PPEXCL:
            return 0;
        case PPCLAIM:
            g.claimed = true;
            Log("CLAIM");
            return 0;
        default:
            break;
    }
    if (!g.claimed) return -EINVAL;
    switch (cmd) {
        case PPRELEASE:
            g.claimed = false;
            Log("RELEASE");
            return 0;
        case PPDATADIR:
            return 0;
        case PPWDATA:
            Update(now);
            g.furnace.Advance(static_cast<double>(now - g.furnaceAt) / 1e9);
            g.furnaceAt = now;
            g.data = *static_cast<unsigned char*>(data);
            g.furnace.SetElement(g.data & 1);
            Log("W %d", g.data);
            return 0;
        case PPRSTATUS:
            Update(now);
            *static_cast<unsigned char*>(data) = g.line->StatusAt(now);
            return 0;
        default:
            return -ENOTTY;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: ppdev_fs MOUNTPOINT LOG [PHASE_US [SPEED]]\n");
        return 2;
    }
    g.log = std::fopen(argv[2], "w");
    if (!g.log) {
        std::perror(argv[2]);
        return 2;
    }
    const std::int64_t phaseNs = argc >= 4 ? std::atoll(argv[3]) * 1000 : 150'000;
    if (argc == 5) g.speed = std::atof(argv[4]);
    g.line = std::make_unique<hw::DisplayLine>(phaseNs, 1);
    g.t0 = 0;
    g.t0 = Now();
    // Answering in time matters more than anything else on the machine.
    sched_param p{};
    p.sched_priority = 30;
    sched_setscheduler(0, SCHED_FIFO, &p);

    fuse_operations ops{};
    ops.getattr = GetAttr;
    ops.readdir = ReadDir;
    ops.open = Open;
    ops.release = Release;
    ops.ioctl = Ioctl;
    char fg[] = "-f", single[] = "-s";
    char* args[] = {argv[0], argv[1], fg, single, nullptr};
    return fuse_main(4, args, &ops, nullptr);
}
