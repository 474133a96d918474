#include "hardware/port_talk_device.h"

#include <cstdio>
#include <string>
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
            // The program opens twice before it gives up: the same reason is told once.
            if (!error.empty() && error != m_told) {
                std::fprintf(stderr, "pyrelle: %s\n", error.c_str());
                std::fflush(stderr);
                m_told = error;
            }
            platform::Trace(error.empty() ? "OPEN failed" : ("OPEN failed: " + error).c_str());
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
            if (!out) {
                platform::Trace("SAMPLE");
                return ERROR_INVALID_PARAMETER;
            }
            const bool ok = m_port->Sample(static_cast<unsigned char*>(out), outSize);
            TraceRequest("SAMPLE", ok);
            if (!ok) return ERROR_GEN_FAILURE;
            returned = outSize;
            return ERROR_SUCCESS;
        }
        if (code == IOCTL_PT_WRITE) {
            if (!in || inSize < 1) return ERROR_INVALID_PARAMETER;
            const unsigned char level = *static_cast<const unsigned char*>(in);
            const bool ok = m_port->Write(level);
            TraceRequest(level ? "WRITE 1" : "WRITE 0", ok);
            return ok ? ERROR_SUCCESS : ERROR_GEN_FAILURE;
        }
        return ERROR_INVALID_PARAMETER;
    }

private:
    // "SAMPLE", or "SAMPLE failed: WHY" and "SAMPLE retried: WHAT" where the
    // port has something to tell.
    void TraceRequest(const char* request, bool ok) {
        const std::string note = m_port->LastNote();
        if (note.empty())
            platform::Trace(request);
        else
            platform::Trace((request + std::string(ok ? " " : " failed: ") + note).c_str());
    }

    std::unique_ptr<PortDevice> m_port;
    ServiceCheck m_running;
    std::string m_told;
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
