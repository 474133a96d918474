// A main dialog wired to a port device, for reading the display.
#pragma once

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "app/pyrelle_dlg.h"
#include "support/port.h"

namespace readout_test {

// Hands out a prepared window, or fails without writing.
class WindowDevice : public hw::PortDevice {
public:
    std::vector<unsigned char> window;
    bool fail = false;

    bool Sample(unsigned char* out, std::size_t size) override {
        if (fail) return false;
        std::memcpy(out, window.data(), std::min(size, window.size()));
        return true;
    }
    bool Write(unsigned char) override { return true; }
};

class Reader {
public:
    explicit Reader(std::unique_ptr<hw::PortDevice> device) : m_device(device.get()) {
        test::InstallPort(std::move(device));
        dlg = std::make_unique<CPyrelleDlg>();
        dlg->m_hDevice = CreateFileA(driver::kDevicePath, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    ~Reader() {
        CloseHandle(dlg->m_hDevice);
        test::InstallPort(nullptr);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    template <class T>
    T& Device() {
        return *static_cast<T*>(m_device);
    }
    void Read() { dlg->ReadDisplay(); }

    std::unique_ptr<CPyrelleDlg> dlg;

private:
    hw::PortDevice* m_device;
};

}  // namespace readout_test
