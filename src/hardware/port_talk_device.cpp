#include "hardware/port_talk_device.h"

#include <utility>

#include "driver/port_talk.h"
#include "platform/device.h"
#include "platform/trace.h"

namespace hw {
namespace {

class PortTalkDevice : public platform::Device {
public:
    PortTalkDevice(std::unique_ptr<PortDevice> port, ServiceCheck running)
        : m_port(std::move(port)), m_running(std::move(running)) {}

    PortDevice* Port() const { return m_port.get(); }

    DWORD Open() override {
        std::string error;
        if (!m_port || (m_running && !m_running()) || !m_port->Open(error)) {
            platform::Trace("OPEN failed");
            return ERROR_FILE_NOT_FOUND;
        }
        platform::Trace("OPEN ok");
        return ERROR_SUCCESS;
    }

    void Close() override {
        platform::Trace("CLOSE");
        m_port->Close();
    }

    DWORD Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                  DWORD& returned) override {
        if (code == IOCTL_PT_SAMPLE) {
            platform::Trace("SAMPLE");
            if (!out) return ERROR_INVALID_PARAMETER;
            if (!m_port->Sample(static_cast<unsigned char*>(out), outSize)) return ERROR_GEN_FAILURE;
            returned = outSize;
            return ERROR_SUCCESS;
        }
        if (code == IOCTL_PT_WRITE) {
            if (!in || inSize < 1) return ERROR_INVALID_PARAMETER;
            const unsigned char level = *static_cast<const unsigned char*>(in);
            platform::Trace(level ? "WRITE 1" : "WRITE 0");
            return m_port->Write(level) ? ERROR_SUCCESS : ERROR_GEN_FAILURE;
        }
        return ERROR_INVALID_PARAMETER;
    }

private:
    std::unique_ptr<PortDevice> m_port;
    ServiceCheck m_running;
};

}  // namespace

void InstallPortTalk(std::unique_ptr<PortDevice> device, ServiceCheck running) {
    platform::InstallDevice(driver::kDevicePath,
                            std::make_unique<PortTalkDevice>(std::move(device), std::move(running)));
}

PortDevice* InstalledPort() {
    auto* d = dynamic_cast<PortTalkDevice*>(platform::FindDevice(driver::kDevicePath));
    return d ? d->Port() : nullptr;
}

}  // namespace hw
