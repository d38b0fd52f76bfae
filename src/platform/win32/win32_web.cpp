#include "platform/win32/win32_web.h"

#include <windows.h>

#include <winhttp.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/win32/win32_text.h"

namespace tessaly::win32 {

namespace {

constexpr int kTimeoutMs = 10000;
// The per-phase timeouts bound each wait; this bounds the whole request, so a
// stalled name lookup or a trickling reply cannot keep the caller waiting.
constexpr auto kOverallLimit = std::chrono::milliseconds(kTimeoutMs + 1000);
constexpr DWORD kErrorTimeout = 12002;  // ERROR_WINHTTP_TIMEOUT

struct Handle {
    HINTERNET h = nullptr;
    explicit Handle(HINTERNET handle) : h(handle) {}
    ~Handle() {
        if (h) WinHttpCloseHandle(h);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    explicit operator bool() const { return h != nullptr; }
};

bool is_loopback(std::wstring host) {
    for (auto& c : host) c = static_cast<wchar_t>(towlower(c));
    return host == L"127.0.0.1" || host == L"localhost" || host == L"[::1]" || host == L"::1";
}

// Wine's winhttp.dll carries no message table, so the common errors are named here.
const char* known_error(DWORD code) {
    switch (code) {
        case 12002: return "The operation timed out";
        case 12005: return "The URL is invalid";
        case 12006: return "The URL does not use a recognized protocol";
        case 12007: return "The server name or address could not be resolved";
        case 12029: return "A connection with the server could not be established";
        case 12030: return "The connection with the server was terminated abnormally";
        case 12152: return "The server returned an invalid or unrecognized response";
        case 12175: return "A security error occurred";
        case 10060: return "The connection timed out";
        case 10061: return "The connection was refused";
        default: return nullptr;
    }
}

FetchResult failure(DWORD code) {
    FetchResult r;
    r.error_number = static_cast<int>(code);
    r.error = error_text(code, GetModuleHandleW(L"winhttp.dll"));
    if (r.error == "Error " + std::to_string(code))
        if (const char* known = known_error(code)) r.error = known;
    return r;
}

// One synchronous GET; runs on the request's own thread.
FetchResult fetch(const std::string& url_utf8) {
    std::wstring url = widen(url_utf8);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts))
        return failure(GetLastError());
    std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
    if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty()) path = L"/";
    bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;

    Handle session(WinHttpOpen(
        L"Tessaly",
        is_loopback(host) ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
        WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return failure(GetLastError());
    WinHttpSetTimeouts(session.h, kTimeoutMs, kTimeoutMs, kTimeoutMs, kTimeoutMs);
    Handle connection(WinHttpConnect(session.h, host.c_str(), parts.nPort, 0));
    if (!connection) return failure(GetLastError());
    Handle request(WinHttpOpenRequest(connection.h, L"GET", path.c_str(), nullptr,
                                      WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                      secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request) return failure(GetLastError());
    DWORD receive_timeout = kTimeoutMs;
    WinHttpSetOption(request.h, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &receive_timeout,
                     sizeof receive_timeout);
    if (!WinHttpSendRequest(request.h, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0,
                            0, 0) ||
        !WinHttpReceiveResponse(request.h, nullptr))
        return failure(GetLastError());

    FetchResult r;
    DWORD status = 0, size = sizeof status;
    if (WinHttpQueryHeaders(request.h, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
        r.http_status = static_cast<int>(status);
    std::vector<char> buf(64 * 1024);
    for (;;) {
        DWORD got = 0;
        if (!WinHttpReadData(request.h, buf.data(), static_cast<DWORD>(buf.size()), &got))
            return failure(GetLastError());
        if (got == 0) break;
        if (got > kReplyLimitBytes - r.body.size()) {
            // A runaway reply is a failed transfer, not a partial one.
            FetchResult big;
            big.error = kReplyTooLarge;
            big.error_number = kReplyTooLargeNumber;
            return big;
        }
        r.body.append(buf.data(), got);
    }
    r.ok = true;
    return r;
}

}  // namespace

// Shared by the caller and the request's thread; the thread touches nothing
// else, so an abandoned request may finish at any time afterwards.
struct FetchState {
    std::mutex m;
    std::condition_variable cv;
    bool finished = false;
    FetchResult result;
    std::chrono::steady_clock::time_point deadline;

    void finish(FetchResult r) {
        std::lock_guard lock(m);
        if (finished) return;  // the overall limit came first
        result = std::move(r);
        finished = true;
        cv.notify_all();
    }
    // Call with m held.
    void check_deadline() {
        if (!finished && std::chrono::steady_clock::now() >= deadline) {
            result = failure(kErrorTimeout);
            finished = true;
        }
    }
};

Web::Web() = default;
Web::~Web() = default;  // running threads keep their own reference

int Web::start(const std::string& url) {
    int id = next_id_++;
    auto state = std::make_shared<FetchState>();
    state->deadline = std::chrono::steady_clock::now() + kOverallLimit;
    try {
        std::thread([state, url] { state->finish(fetch(url)); }).detach();
    } catch (const std::system_error&) {
        state->finish(failure(ERROR_NOT_ENOUGH_MEMORY));
    }
    requests_[id] = std::move(state);
    return id;
}

bool Web::done(int id) {
    auto it = requests_.find(id);
    if (it == requests_.end()) return true;
    FetchState& s = *it->second;
    std::lock_guard lock(s.m);
    s.check_deadline();
    return s.finished;
}

FetchResult Web::take(int id) {
    auto it = requests_.find(id);
    if (it == requests_.end()) {
        FetchResult r;
        r.error = "Request was cancelled";
        return r;
    }
    std::shared_ptr<FetchState> s = std::move(it->second);
    requests_.erase(it);
    std::unique_lock lock(s->m);
    s->cv.wait_until(lock, s->deadline, [&] { return s->finished; });
    s->check_deadline();
    return std::move(s->result);
}

void Web::abandon(int id) { requests_.erase(id); }

}  // namespace tessaly::win32
