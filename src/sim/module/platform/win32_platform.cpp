#include "sim/module/platform/win32_platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <vector>

namespace tarnwell::sim {

namespace {

// The shared area's security: a DACL allowing full access to the user of
// this process's token and to SYSTEM. Without it an elevated planner would
// create the area with the elevated default DACL (Administrators and SYSTEM),
// which a simulator of the same user running without elevation cannot open.
class AreaSecurity {
public:
    AreaSecurity() {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
            return;
        }
        DWORD needed = 0;
        ::GetTokenInformation(token, TokenUser, nullptr, 0, &needed);
        // DWORD elements keep the TOKEN_USER (and the SID in it) aligned.
        tokenUser_.resize((needed + sizeof(DWORD) - 1) / sizeof(DWORD));
        const bool haveUser =
            needed != 0 &&
            ::GetTokenInformation(token, TokenUser, tokenUser_.data(),
                                  static_cast<DWORD>(tokenUser_.size() * sizeof(DWORD)), &needed);
        ::CloseHandle(token);
        if (!haveUser) {
            return;
        }
        const PSID user = reinterpret_cast<TOKEN_USER*>(tokenUser_.data())->User.Sid;

        DWORD systemSize = sizeof system_;
        if (!::CreateWellKnownSid(WinLocalSystemSid, nullptr, system_, &systemSize)) {
            return;
        }

        const DWORD aceBase = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD);
        const DWORD aclSize =
            sizeof(ACL) + aceBase + ::GetLengthSid(user) + aceBase + ::GetLengthSid(system_);
        acl_.resize((aclSize + sizeof(DWORD) - 1) / sizeof(DWORD));
        const auto acl = reinterpret_cast<PACL>(acl_.data());
        if (!::InitializeAcl(acl, aclSize, ACL_REVISION) ||
            !::AddAccessAllowedAce(acl, ACL_REVISION, FILE_MAP_ALL_ACCESS, user) ||
            !::AddAccessAllowedAce(acl, ACL_REVISION, FILE_MAP_ALL_ACCESS, system_) ||
            !::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
            !::SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE)) {
            return;
        }
        attributes_.nLength = sizeof attributes_;
        attributes_.lpSecurityDescriptor = &descriptor_;
        attributes_.bInheritHandle = FALSE;
        ready_ = true;
    }

    AreaSecurity(const AreaSecurity&) = delete;
    AreaSecurity& operator=(const AreaSecurity&) = delete;

    // Null (the default security) when the descriptor could not be built.
    SECURITY_ATTRIBUTES* Attributes() { return ready_ ? &attributes_ : nullptr; }

private:
    std::vector<DWORD> tokenUser_;
    DWORD system_[SECURITY_MAX_SID_SIZE / sizeof(DWORD)] = {};
    std::vector<DWORD> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    bool ready_ = false;
};

}  // namespace

WindowHandle Win32Platform::FindWindowByClass(const char* className) {
    return reinterpret_cast<WindowHandle>(::FindWindowExA(nullptr, nullptr, className, nullptr));
}

std::uint32_t Win32Platform::RegisterMessage(const char* name) {
    return ::RegisterWindowMessageA(name);
}

std::uint32_t Win32Platform::CurrentProcessId() {
    return ::GetCurrentProcessId();
}

std::uint16_t Win32Platform::AddGlobalAtom(const char* name) {
    return ::GlobalAddAtomA(name);
}

void Win32Platform::DeleteGlobalAtom(std::uint16_t atom) {
    ::GlobalDeleteAtom(atom);
}

MappingHandle Win32Platform::CreateMapping(const char* name, std::uint32_t size) {
    AreaSecurity security;
    ::SetLastError(0);
    const HANDLE mapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, security.Attributes(),
                                                PAGE_READWRITE, 0, size, name);
    lastError_ = ::GetLastError();
    systemError_ = lastError_;
    return reinterpret_cast<MappingHandle>(mapping);
}

void* Win32Platform::MapView(MappingHandle mapping) {
    return ::MapViewOfFile(reinterpret_cast<HANDLE>(mapping), FILE_MAP_WRITE, 0, 0, 0);
}

void Win32Platform::UnmapView(void* view) {
    ::UnmapViewOfFile(view);
}

void Win32Platform::CloseMapping(MappingHandle mapping) {
    ::CloseHandle(reinterpret_cast<HANDLE>(mapping));
}

bool Win32Platform::SendMessageWithTimeout(WindowHandle window, std::uint32_t message,
                                           std::int32_t wParam, std::int32_t lParam,
                                           std::uint32_t timeoutMs, std::int64_t* result) {
    DWORD_PTR answer = 0;
    // SendMessageTimeoutA does not set the last error on every failure: a
    // value left over from an earlier call must not be taken for its own.
    ::SetLastError(0);
    // wParam is the atom as the client stores it, sign-extended to WPARAM.
    const LRESULT delivered = ::SendMessageTimeoutA(
        reinterpret_cast<HWND>(window), message, static_cast<WPARAM>(static_cast<LONG_PTR>(wParam)),
        static_cast<LPARAM>(lParam), SMTO_BLOCK, timeoutMs, &answer);
    if (delivered == 0) {
        systemError_ = ::GetLastError();
        lastError_ = systemError_ == ErrorTimeout ? 0 : systemError_;
        return false;
    }
    *result = static_cast<std::int64_t>(static_cast<LONG_PTR>(answer));
    return true;
}

void Win32Platform::Pause(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

}  // namespace tarnwell::sim
