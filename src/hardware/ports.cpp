#include "hardware/ports.h"

#include <utility>

#include "hardware/parport.h"
#include "hardware/replay_port.h"
#include "hardware/sim_port.h"
#include "records/user_files.h"

namespace hw {

std::unique_ptr<PortDevice> MakePort(const std::string& portName, std::uint64_t seed, ClockFn now,
                                     std::string& error) {
    error.clear();
    if (portName == "none") return nullptr;
    if (portName == "sim") return std::make_unique<SimPort>(seed, std::move(now));
    if (portName.starts_with("sim,")) {
        SimFaults faults;
        if (!ParseSimFaults(std::string_view(portName).substr(4), faults, error)) return nullptr;
        return std::make_unique<SimPort>(seed, std::move(now), faults);
    }
    if (portName.starts_with("replay:")) {
        const std::string path = portName.substr(7);
        if (path.empty()) {
            error = "--port replay: needs a file name (replay:FILE)";
            return nullptr;
        }
        std::vector<ReplayReading> readings;
        if (!LoadReplay(path, readings, error)) return nullptr;
        return std::make_unique<ReplayPort>(std::move(readings), seed, std::move(now));
    }
    if (portName == "parport" || portName.starts_with("parport:") || portName.starts_with("parport,")) {
        ParportOptions options;
        if (!ParseParport(portName, options, error)) return nullptr;
        return std::make_unique<ParportDevice>(std::move(options), LinuxParportSys());
    }
    error = "--port: unknown port \"" + records::Excerpt(portName) +
            "\" (expected sim[,FAULT...], replay:FILE, parport[:DEVICE][,OPTION...] or none)";
    return nullptr;
}

const char* PortHelp() {
    return "  --port NAME         what stands behind the port device (default sim):\n"
           "                        sim          the simulated furnace and its temperature instrument\n"
           "                        sim,FAULT... the same with faults, any of:\n"
           "                                       flip=P      each data bit inverted with chance P\n"
           "                                       drop=P      no frame caught, chance P a request\n"
           "                                       stuck=high  the display clock stuck high (or low)\n"
           "                                       truncate=N  frames break off after N bits (0-176)\n"
           "                                       fail        every request to the device fails\n"
           "                                     e.g. sim,flip=0.001,drop=0.05\n"
           "                        replay:FILE  recorded readings, the next line at each request:\n"
           "                                     \"MAIN AUX\" in tenths of a degree (0 to 99999),\n"
           "                                     then optionally the display seconds (0 to 5999);\n"
           "                                     a run log file works as it is; the last line stays\n"
           "                        parport[:DEVICE][,OPTION...]\n"
           "                                     the instrument and element on a parallel port (ppdev):\n"
           "                                     display clock on pin 12, data on pin 13, element on\n"
           "                                     pin 2; DEVICE is /dev/parport0 unless given; options:\n"
           "                                       shared     go on when another driver (lp) shares it\n"
           "                                       heartbeat  toggle pin 3 at every write, for a watchdog\n"
           "                        none         no device: opening the port driver fails\n"
           "                      Noise, jitter and faults follow --seed: a seed repeats a run.";
}

}  // namespace hw
