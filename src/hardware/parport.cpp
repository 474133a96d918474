#include "hardware/parport.h"

#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <utility>

#include "hardware/panel_signal.h"
#include "records/user_files.h"

namespace hw {
namespace {

std::string Micros(std::int64_t ns) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f µs", static_cast<double>(ns) / 1000.0);
    return text;
}

std::string ErrorText(int error) {
    return std::strerror(error);
}

// The bits of a frame as the decoder takes them: the data at each rising edge.
void EdgeBits(const std::vector<unsigned char>& samples, unsigned char* bits) {
    int n = 0;
    for (std::size_t i = 1; i < samples.size() && n < kFrameReadBits; ++i)
        if (!(samples[i - 1] & kClockBit) && (samples[i] & kClockBit))
            bits[n++] = (samples[i] & kDataBit) ? 1 : 0;
}

std::string Reading(int tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

}  // namespace

bool ParseParport(std::string_view portName, ParportOptions& options, std::string& error) {
    options = {};
    if (!portName.starts_with("parport")) {
        error = "--port: not a parallel port: \"" + std::string(portName) + "\"";
        return false;
    }
    std::string_view rest = portName.substr(7);
    const std::size_t comma = rest.find(',');
    std::string_view device = rest.substr(0, comma);
    std::string_view opts = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
    if (!device.empty()) {
        if (device.front() != ':' || device.size() == 1) {
            error = "--port parport: expected parport[:DEVICE][,OPTION...], not \"" + std::string(portName) +
                    "\"";
            return false;
        }
        options.device = std::string(device.substr(1));
    }
    while (comma != std::string_view::npos) {
        const std::size_t next = opts.find(',');
        const std::string_view item = opts.substr(0, next);
        if (item == "shared") {
            options.shared = true;
        } else if (item == "heartbeat") {
            options.heartbeat = true;
        } else {
            error = "--port parport: unknown option \"" + records::Excerpt(item) +
                    "\" (expected shared or heartbeat)";
            return false;
        }
        if (next == std::string_view::npos) break;
        opts.remove_prefix(next + 1);
    }
    return true;
}

ParportDevice::ParportDevice(ParportOptions options, std::unique_ptr<ParportSys> sys)
    : m_options(std::move(options)), m_sys(std::move(sys)) {}

ParportDevice::~ParportDevice() {
    Close();
}

bool ParportDevice::Claim(std::string& error) {
    const std::string& path = m_options.device;
    auto notPpdev = [&] {
        error =
            path + " is not a parallel-port device: give a ppdev node, such as --port parport:/dev/parport0";
        return false;
    };
    int rc = m_options.shared ? 0 : m_sys->Ioctl(m_fd, PPEXCL, nullptr);
    if (rc == 0) rc = m_sys->Ioctl(m_fd, PPCLAIM, nullptr);
    if (rc == 0) return true;
    if (rc == -ENOTTY || rc == -EINVAL) return notPpdev();
    if (rc != -ENXIO || m_options.shared) {
        error = "cannot claim " + path + ": " + ErrorText(-rc);
        return false;
    }
    // Refused to us alone: either another driver shares the port, or there
    // is no port. A shared claim on a fresh descriptor tells which.
    m_sys->Close(m_fd);
    m_fd = m_sys->Open(path);
    if (m_fd < 0 || m_sys->Lock(m_fd) != 0) {
        error = "cannot claim " + path + ": " + ErrorText(ENXIO);
        return false;
    }
    rc = m_sys->Ioctl(m_fd, PPCLAIM, nullptr);
    if (rc == 0) {
        m_sys->Ioctl(m_fd, PPRELEASE, nullptr);
        error = path +
                " is shared with another driver (usually the printer driver lp): unload it (modprobe -r lp), "
                "or add ,shared to --port";
    } else {
        error = "no parallel port behind " + path + ": see ls /sys/class/parport";
    }
    return false;
}

bool ParportDevice::Open(std::string& error) {
    Close();
    m_measured = false;
    m_notMeasured.clear();
    m_timing = {};
    m_heartbeat = 0;
    const std::string& path = m_options.device;
    m_fd = m_sys->Open(path);
    if (m_fd < 0) {
        const int e = -m_fd;
        m_fd = -1;
        if (e == ENOENT)
            error = path +
                    " does not exist: load the parallel-port driver (modprobe ppdev), enable the port in the "
                    "firmware setup, and see ls /sys/class/parport";
        else if (e == EACCES || e == EPERM)
            error = "no permission to open " + path +
                    ": add yourself to group lp (sudo adduser $USER lp) and log in again";
        else if (e == ENXIO || e == ENODEV)
            error = "no parallel port behind " + path + ": see ls /sys/class/parport";
        else
            error = "cannot open " + path + ": " + ErrorText(e);
        return false;
    }
    // Locked first: a second claim of a claimed port would wait for it.
    if (const int rc = m_sys->Lock(m_fd); rc != 0) {
        if (rc == -EWOULDBLOCK)
            error = path + " is in use by another Pyrelle";
        else
            error = "cannot lock " + path + ": " + ErrorText(-rc);
        m_sys->Close(m_fd);
        m_fd = -1;
        return false;
    }
    if (!Claim(error)) {
        if (m_fd >= 0) m_sys->Close(m_fd);
        m_fd = -1;
        return false;
    }
    int forward = 0;
    unsigned char off = 0;
    int rc = m_sys->Ioctl(m_fd, PPDATADIR, &forward);
    if (rc == 0) rc = m_sys->Ioctl(m_fd, PPWDATA, &off);
    if (rc != 0) {
        error = "cannot drive the data lines of " + path + ": " + ErrorText(-rc);
        Close();
        return false;
    }

    RealTime(true);
    const bool readable = Measure(m_sys->NowNs() + kMeasureNs);
    RealTime(false);
    if (!readable) {
        error = "reading the status lines of " + path + " failed: " + ErrorText(m_ioError);
        Close();
        return false;
    }
    if (m_timing.readNs > kMaxReadNs) {
        error = path + " is too slow: one status read takes " + Micros(m_timing.readNs) +
                ", and reading the display needs a few µs, which USB parallel adapters cannot give: use a "
                "built-in or PCI/PCIe port";
        Close();
        return false;
    }
    if (m_measured && !FastEnough(m_timing)) {
        error = path + " is too slow for the display: one status read takes " + Micros(m_timing.readNs) +
                " and the shortest clock phase lasts " + Micros(m_timing.minPhaseNs) +
                "; a phase must outlast two and a half reads: use a faster port";
        Close();
        return false;
    }
    return true;
}

void ParportDevice::Close() {
    if (m_fd < 0) return;
    // The element goes off whenever the port is let go.
    unsigned char off = 0;
    m_sys->Ioctl(m_fd, PPWDATA, &off);
    m_sys->Ioctl(m_fd, PPRELEASE, nullptr);
    m_sys->Close(m_fd);
    m_fd = -1;
}

std::int64_t ParportDevice::DeadlineNs() const {
    return std::clamp(4 * m_timing.periodNs, kDeadlineNs, kMaxDeadlineNs);
}

void ParportDevice::RealTime(bool on) {
    if (m_realTimeRefused) return;
    if (!m_sys->RealTime(on) && on) {
        m_realTimeRefused = true;
        return;
    }
    m_realTime = m_realTime || on;
}

bool ParportDevice::ReadStatus(unsigned char& status) {
    const int rc = m_sys->Ioctl(m_fd, PPRSTATUS, &status);
    if (rc != 0) m_ioError = -rc;
    return rc == 0;
}

bool ParportDevice::Measure(std::int64_t untilNs) {
    constexpr std::size_t kMaxReads = std::size_t{1} << 20;
    m_reads.clear();
    m_reads.reserve(4096);
    const std::int64_t start = m_sys->NowNs();
    std::size_t checkpoint = 4096;
    for (;;) {
        unsigned char status = 0;
        if (!ReadStatus(status)) return false;
        const std::int64_t t = m_sys->NowNs();
        m_reads.push_back({t, status});
        const bool last = t >= untilNs || m_reads.size() >= kMaxReads;
        // Looked at as the reads double, so the looks cost as much as the reads.
        if (m_reads.size() == checkpoint || last) {
            checkpoint *= 2;
            m_measured = MeasureLine(m_reads, start, m_timing, m_notMeasured);
            if (m_measured || last) break;
        }
    }
    if (m_measured) m_notMeasured.clear();
    m_reads = {};
    return true;
}

bool ParportDevice::Sample(unsigned char* window, std::size_t size) {
    m_note.clear();
    m_request = {};
    if (m_fd < 0) {
        m_note = "the port is not open";
        return false;
    }
    RealTime(true);
    const std::int64_t start = m_sys->NowNs();
    std::int64_t deadline = start + DeadlineNs();
    auto fail = [&](std::string why) {
        RealTime(false);
        m_request.ns = m_sys->NowNs() - start;
        m_note = std::move(why);
        return false;
    };
    if (!m_measured) {
        if (!Measure(deadline)) return fail("reading the status lines failed: " + ErrorText(m_ioError));
        if (!m_measured) return fail(m_notMeasured);
        deadline = start + DeadlineNs();
        if (!FastEnough(m_timing))
            return fail("the port is too slow for the display: reads take " + Micros(m_timing.readNs) +
                        ", the shortest clock phase lasts " + Micros(m_timing.minPhaseNs));
    }
    FrameCapture capture(m_timing, m_sys->NowNs());
    bool done = false;
    while (!done) {
        unsigned char status = 0;
        if (!ReadStatus(status)) return fail("reading the status lines failed: " + ErrorText(m_ioError));
        const std::int64_t t = m_sys->NowNs();
        ++m_request.reads;
        done = capture.Feed(t, status);
        if (!done && t >= deadline) {
            m_request.attempts = capture.Attempts();
            m_request.maxHoleNs = capture.MaxHoleNs();
            return fail("no frame to vouch for in " + std::to_string((deadline - start) / 1'000'000) +
                        " ms: " + capture.Why());
        }
    }
    RealTime(false);
    m_request.ns = m_sys->NowNs() - start;
    m_request.attempts = capture.Attempts();
    m_request.maxHoleNs = capture.MaxHoleNs();
    const std::vector<unsigned char>& samples = capture.Samples();
    if (samples.size() > size) {
        m_note = "the frame does not fit the window";
        return false;
    }
    std::copy(samples.begin(), samples.end(), window);
    std::fill(window + samples.size(), window + size, samples.back());
    EdgeBits(samples, m_request.bits);
    m_request.ok = true;
    if (capture.Attempts() > 2)
        m_note = "retried: " + std::to_string(capture.Attempts()) + " frames, last " + capture.Why();
    return true;
}

bool ParportDevice::Write(unsigned char level) {
    m_note.clear();
    if (m_fd < 0) {
        m_note = "the port is not open";
        return false;
    }
    unsigned char data = level == 1 ? 1 : 0;
    if (m_options.heartbeat) {
        m_heartbeat ^= 1;
        data |= static_cast<unsigned char>(m_heartbeat << 1);
    }
    const int rc = m_sys->Ioctl(m_fd, PPWDATA, &data);
    if (rc != 0) m_note = "writing the data lines failed: " + ErrorText(-rc);
    return rc == 0;
}

int Probe(const std::string& portName, std::FILE* out) {
    ParportOptions options;
    std::string error;
    if (!ParseParport(portName, options, error)) {
        std::fprintf(stderr, "pyrelle: --probe needs --port parport[:DEVICE][,OPTION...] (%s)\n",
                     error.c_str());
        return 2;
    }
    ParportDevice device(options, LinuxParportSys());
    return Probe(device, out, stderr);
}

int Probe(ParportDevice& device, std::FILE* out, std::FILE* err) {
    std::string error;
    if (!device.Open(error)) {
        std::fprintf(err, "pyrelle: %s\n", error.c_str());
        return 1;
    }
    const LineTiming& t = device.Timing();
    std::fprintf(out, "real-time scheduling: %s\n",
                 device.RealTimeGranted()
                     ? "yes"
                     : "not permitted (needs CAP_SYS_NICE or an RLIMIT_RTPRIO allowance); "
                       "reads are held up more often");
    std::fprintf(out, "one status read: %s\n", Micros(t.readNs).c_str());
    if (device.Measured()) {
        std::fprintf(out,
                     "display clock: shortest phase %s, longest %s; idle line between frames %s; "
                     "%s%d bits a frame\n",
                     Micros(t.minPhaseNs).c_str(), Micros(t.maxPhaseNs).c_str(), Micros(t.gapNs).c_str(),
                     t.frameBitsSure ? "" : "at least ", t.frameBits);
    } else {
        std::fprintf(out, "display: %s\n", device.NotMeasuredWhy().c_str());
    }

    constexpr int kCaptures = 20;
    int clean = 0, misread = 0, mostAttempts = 0;
    std::int64_t maxHole = 0, longest = 0;
    std::string lastWhy;
    std::map<std::string, int> readings;
    std::vector<unsigned char> window(8192);
    for (int k = 0; k < kCaptures; ++k) {
        const bool ok = device.Sample(window.data(), window.size());
        const ParportDevice::Request& r = device.LastRequest();
        // Paced like the program's ticks, so that real-time scheduling is
        // not throttled for taking the whole processor.
        device.Pause(r.ns);
        maxHole = std::max(maxHole, r.maxHoleNs);
        longest = std::max(longest, r.ns);
        mostAttempts = std::max(mostAttempts, r.attempts);
        if (!ok) {
            lastWhy = device.LastNote();
            continue;
        }
        ++clean;
        Readings shown;
        if (!ReadFrame(r.bits, shown)) {
            ++misread;
            continue;
        }
        char text[64];
        std::snprintf(text, sizeof text, "main %s, aux %s, time %02d:%02d", Reading(shown.main).c_str(),
                      Reading(shown.aux).c_str(), shown.seconds / 60, shown.seconds % 60);
        ++readings[text];
    }
    device.Close();

    std::fprintf(
        out, "captures: %d of %d clean, up to %d frames and %.0f ms each; largest hole between reads %s\n",
        clean, kCaptures, mostAttempts, static_cast<double>(longest) / 1e6, Micros(maxHole).c_str());
    if (!lastWhy.empty()) std::fprintf(out, "last failed capture: %s\n", lastWhy.c_str());
    for (const auto& [text, count] : readings) std::fprintf(out, "read %dx: %s\n", count, text.c_str());
    if (misread) std::fprintf(out, "%d clean captures showed digits of no usual shape\n", misread);
    const bool trusted = clean * 4 >= kCaptures * 3 && misread == 0;
    std::fprintf(out, "%s\n",
                 trusted
                     ? "readings can be trusted"
                     : "readings cannot be trusted: check the wiring, the port and the load of the machine");
    return trusted ? 0 : 1;
}

}  // namespace hw
