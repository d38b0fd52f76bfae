#include "platform/win32/win32_text.h"

#include <windows.h>

namespace tessaly::win32 {

namespace {

std::wstring to_wide(UINT cp, const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

std::string from_wide(UINT cp, const std::wstring& w) {
    if (w.empty()) return {};
    // No look-alike substitutes ("a" for "\u0101"): a character the code page
    // lacks becomes '?', as in the portable converter. UTF-8 takes no flags.
    DWORD flags = cp == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int n = WideCharToMultiByte(cp, flags, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                nullptr, nullptr);
    if (n <= 0) return {};
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(cp, flags, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                        nullptr);
    return s;
}

}  // namespace

std::wstring widen(const std::string& utf8) { return to_wide(CP_UTF8, utf8); }
std::string narrow(const std::wstring& wide) { return from_wide(CP_UTF8, wide); }
std::string utf8_to_acp(const std::string& utf8) { return from_wide(CP_ACP, widen(utf8)); }
std::string acp_to_utf8(const std::string& bytes) { return narrow(to_wide(CP_ACP, bytes)); }

std::string error_text(unsigned long code, void* module) {
    DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    if (module) flags |= FORMAT_MESSAGE_FROM_HMODULE;
    wchar_t* buf = nullptr;
    DWORD n = FormatMessageW(flags, module, code, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
    std::wstring w;
    if (n && buf) w.assign(buf, n);
    if (buf) LocalFree(buf);
    while (!w.empty() &&
           (w.back() == L'\r' || w.back() == L'\n' || w.back() == L' ' || w.back() == L'.'))
        w.pop_back();
    if (w.empty()) return "Error " + std::to_string(code);
    return narrow(w);
}

}  // namespace tessaly::win32
