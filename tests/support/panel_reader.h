// Reads the panel as the program does: a port device behind the emulated
// driver, opened as at start-up, one sample request a reading, the decoder.
#pragma once

#include <cstring>
#include <memory>
#include <utility>

#include "driver/port_requests.h"
#include "readout/panel_decoder.h"
#include "support/port.h"

namespace test {

class PanelReader {
public:
    explicit PanelReader(std::unique_ptr<hw::PortDevice> port) : m_port(port.get()) {
        InstallPort(std::move(port));
        m_handle = CreateFileA(driver::kDevicePath, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~PanelReader() {
        CloseHandle(m_handle);
        InstallPort(nullptr);
    }
    PanelReader(const PanelReader&) = delete;
    PanelReader& operator=(const PanelReader&) = delete;

    template <class T>
    T& Device() {
        return static_cast<T&>(*m_port);
    }
    void Read() {
        std::memset(m_window, 0xFF, sizeof m_window);
        m_window[0] = 0;
        driver::SampleWindow(m_handle, m_window);
        reading = readout::Decode(m_window, sizeof m_window, bits);
    }

    readout::PanelReading reading;
    unsigned char bits[readout::kPanelBits];

private:
    hw::PortDevice* m_port;
    HANDLE m_handle;
    unsigned char m_window[driver::kWindowSize];
};

}  // namespace test
