// A real instrument and heating element on a PC parallel port, through the
// kernel's ppdev driver (/dev/parportN): the display's clock on status bit 5
// (pin 12), its data on bit 4 (pin 13), the element on data bit 0 (pin 2).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hardware/parport_capture.h"
#include "hardware/parport_sys.h"
#include "hardware/port_device.h"

namespace hw {

struct ParportOptions {
    std::string device = "/dev/parport0";
    bool shared = false;     // go on when another driver shares the port
    bool heartbeat = false;  // toggle data bit 1 at every write
};

// Parses "parport[:DEVICE][,OPTION...]".
bool ParseParport(std::string_view portName, ParportOptions& options, std::string& error);

class ParportDevice : public PortDevice {
public:
    // A sample request gives up after this long, or after four frames of a
    // slow display, but never later than the second limit.
    static constexpr std::int64_t kDeadlineNs = 250'000'000;
    static constexpr std::int64_t kMaxDeadlineNs = 750'000'000;
    // The longest look at the display when the port opens.
    static constexpr std::int64_t kMeasureNs = 1'000'000'000;
    // Slower reads than this cannot follow any display clock.
    static constexpr std::int64_t kMaxReadNs = 100'000;

    ParportDevice(ParportOptions options, std::unique_ptr<ParportSys> sys);
    ~ParportDevice() override;
    ParportDevice(const ParportDevice&) = delete;
    ParportDevice& operator=(const ParportDevice&) = delete;

    bool Open(std::string& error) override;
    void Close() override;
    bool Sample(unsigned char* window, std::size_t size) override;
    bool Write(unsigned char level) override;
    std::string LastNote() const override { return m_note; }

    // What the last open found.
    const LineTiming& Timing() const { return m_timing; }
    std::int64_t DeadlineNs() const;
    bool Measured() const { return m_measured; }
    const std::string& NotMeasuredWhy() const { return m_notMeasured; }
    bool RealTimeGranted() const { return m_realTime; }
    bool IsOpen() const { return m_fd >= 0; }

    // Lets `ns` pass without reading.
    void Pause(std::int64_t ns) { m_sys->Sleep(ns); }

    // The last sample request.
    struct Request {
        bool ok = false;
        int attempts = 0;            // frames begun
        std::int64_t maxHoleNs = 0;  // the longest hole between two reads
        std::int64_t ns = 0;         // how long it took
        long reads = 0;
        unsigned char bits[kFrameReadBits] = {};  // the frame handed on
    };
    const Request& LastRequest() const { return m_request; }

private:
    bool Claim(std::string& error);
    bool ReadStatus(unsigned char& status);
    bool Measure(std::int64_t untilNs);
    void RealTime(bool on);

    ParportOptions m_options;
    std::unique_ptr<ParportSys> m_sys;
    int m_fd = -1;
    int m_ioError = 0;
    bool m_realTime = false;
    bool m_realTimeRefused = false;
    bool m_measured = false;
    std::string m_notMeasured;
    LineTiming m_timing;
    unsigned char m_heartbeat = 0;
    std::string m_note;
    Request m_request;
    std::vector<StatusRead> m_reads;
};

// --probe: opens the port that `portName` names, prints what it measures and
// how a number of captures went to `out` (errors to `err`), and returns the
// exit status: 0 when the readings can be trusted, 1 when not, 2 when
// `portName` names no parallel port.
int Probe(const std::string& portName, std::FILE* out);
int Probe(ParportDevice& device, std::FILE* out, std::FILE* err);

}  // namespace hw
