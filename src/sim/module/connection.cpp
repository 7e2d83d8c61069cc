#include "sim/module/connection.h"

#include <string>
#include <utility>

namespace tarnwell::sim {

std::string ConnectionFailureText(std::int32_t resultCode) {
    std::string text = ConnectionFailureStart;
    text += IpcErrorText(resultCode);
    text += "\r\n\r\n";
    text += ConnectionFailureEnd;
    return text;
}

SimConnection::SimConnection(Platform& platform, FsuipcTiming timing) : client_(platform, timing) {}

SimConnection::SimConnection(std::unique_ptr<Platform> platform, FsuipcTiming timing)
    : ownedPlatform_(std::move(platform)), client_(*ownedPlatform_, timing) {}

bool SimConnection::ConnectToSimulator(std::int32_t& resultCode) {
    client_.IpcReset();
    if (client_.IpcOpen(SimAny, resultCode)) {
        simConnected_ = true;
        return true;
    }
    simConnected_ = false;
    return false;
}

bool SimConnection::ReadFromSimulator(std::int32_t offset, std::int32_t size, void* destination,
                                      std::int32_t& resultCode) {
    if (!client_.IpcRead(offset, size, destination, resultCode)) {
        return false;
    }
    return client_.IpcProcess(resultCode);
}

bool SimConnection::WriteToSimulator(std::int32_t offset, std::int32_t size, const void* source,
                                     std::int32_t& resultCode) {
    if (!client_.IpcWrite(offset, size, source, resultCode)) {
        return false;
    }
    return client_.IpcProcess(resultCode);
}

}  // namespace tarnwell::sim
