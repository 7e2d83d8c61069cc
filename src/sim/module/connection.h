#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "sim/module/fsuipc_client.h"
#include "sim/module/platform/platform.h"

// The simulator connection routines: open the link on demand,
// carry out one read or one write as a complete exchange, and tell the
// caller why an open failed. This layer shows nothing: the caller shows the
// failure text for the code ConnectToSimulator hands back.
namespace tarnwell::sim {

inline constexpr const char* ConnectionFailureStart = "FSUIPC connection failure: ";
inline constexpr const char* ConnectionFailureEnd = "Ensure that Flight Simulator is running.";

// Why an open failed, in words: "FSUIPC connection failure: " +
// IpcErrorText(code) + CR LF CR LF + "Ensure that Flight Simulator is
// running."
std::string ConnectionFailureText(std::int32_t resultCode);

// The interface module's link: the FSUIPC client on a platform back-end,
// and the flag SimConnected that the described routines keep. The module's
// opener (module_link.h) holds one for a session; the session's open link,
// not this flag, is what says the planner is connected.
class SimConnection {
public:
    // Uses a platform the caller keeps alive for the connection's lifetime.
    explicit SimConnection(Platform& platform, FsuipcTiming timing = {});
    // Owns the platform (for example the one MakeSystemPlatform returns).
    explicit SimConnection(std::unique_ptr<Platform> platform, FsuipcTiming timing = {});

    SimConnection(const SimConnection&) = delete;
    SimConnection& operator=(const SimConnection&) = delete;

    // IpcReset, then IpcOpen asking for any simulator version. True: the link
    // is open and SimConnected is True. False: SimConnected is False and
    // resultCode holds the open's code.
    bool ConnectToSimulator(std::int32_t& resultCode);

    // One read (or write) in an exchange of its own: IpcRead (IpcWrite) and,
    // if that queued it, IpcProcess. The code is the one of the last call made.
    bool ReadFromSimulator(std::int32_t offset, std::int32_t size, void* destination,
                           std::int32_t& resultCode);
    bool WriteToSimulator(std::int32_t offset, std::int32_t size, const void* source,
                          std::int32_t& resultCode);

    // True once ConnectToSimulator succeeded; only a failed ConnectToSimulator
    // or the window's load (SetSimConnected(false)) sets it False again.
    bool SimConnected() const { return simConnected_; }
    void SetSimConnected(bool connected) { simConnected_ = connected; }

    // The flag that cancels a wait for the simulator (FsuipcClient::SetCancelFlag).
    void SetCancelFlag(const CancelFlag* flag) { client_.SetCancelFlag(flag); }

    // Releases the link (the window's unload handler).
    void IpcClose() { client_.IpcClose(); }

    FsuipcClient& Client() { return client_; }
    const FsuipcClient& Client() const { return client_; }

private:
    std::unique_ptr<Platform> ownedPlatform_;  // declared first: outlives client_
    FsuipcClient client_;
    bool simConnected_ = false;
};

}  // namespace tarnwell::sim
