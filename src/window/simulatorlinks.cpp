#include "window/simulatorlinks.h"

#include <utility>

#include "sim/module/module_link.h"
#include "sim/web/flightgear_link.h"
#include "sim/web/xplane_link.h"

namespace tarnwell::window {

std::unique_ptr<sim::SimulatorSession> MakeSimulatorSession(
    const sim::SimulatorOptions& options, std::unique_ptr<sim::Platform> modulePlatform,
    sim::FsuipcTiming moduleTiming) {
    sim::SimulatorOpeners openers;
    openers.module = sim::ModuleOpener(std::move(modulePlatform), moduleTiming);
    openers.xplane = sim::WebOpener(sim::OpenXPlane, options.xplane, options.webTiming);
    openers.flightgear = sim::WebOpener(sim::OpenFlightGear, options.flightgear, options.webTiming);
    return std::make_unique<sim::SimulatorSession>(options.choice, std::move(openers));
}

}  // namespace tarnwell::window
