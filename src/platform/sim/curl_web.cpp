// Real HTTP for the simulator and the native build: libcurl's multi interface,
// driven from done(), so the transfers progress while the caller's message
// loop polls them and no thread is needed.
#include <curl/curl.h>

#include <map>
#include <memory>
#include <string>

#include "platform/sim/real_web.h"

namespace tessaly {

namespace {

class CurlWeb : public SimPlatform::RealWeb {
public:
    CurlWeb() {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        multi_ = curl_multi_init();
    }
    ~CurlWeb() override {
        for (auto& [id, t] : transfers_) drop(*t);
        curl_multi_cleanup(multi_);
        curl_global_cleanup();
    }

    int start(const std::string& url) override {
        int id = next_id_++;
        auto t = std::make_unique<Transfer>();
        t->easy = curl_easy_init();
        if (!t->easy) {
            t->finished = true;
            t->result.error = "The transfer could not be set up";
            t->result.error_number = CURLE_FAILED_INIT;
        } else {
            curl_easy_setopt(t->easy, CURLOPT_URL, url.c_str());
            curl_easy_setopt(t->easy, CURLOPT_WRITEFUNCTION, &CurlWeb::on_data);
            curl_easy_setopt(t->easy, CURLOPT_WRITEDATA, t.get());
            curl_easy_setopt(t->easy, CURLOPT_TIMEOUT_MS, 10000L);
            curl_easy_setopt(t->easy, CURLOPT_FOLLOWLOCATION, 1L);
            // This libcurl follows redirects without end by default: a loop
            // would hold the request until the timeout. WinHTTP stops at 10.
            curl_easy_setopt(t->easy, CURLOPT_MAXREDIRS, 10L);
            // Only web addresses, also after a redirect (no file:// and the like).
            curl_easy_setopt(t->easy, CURLOPT_PROTOCOLS_STR, "http,https");
            curl_easy_setopt(t->easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
            curl_easy_setopt(t->easy, CURLOPT_NOSIGNAL, 1L);
            curl_easy_setopt(t->easy, CURLOPT_ERRORBUFFER, t->errbuf);
            curl_easy_setopt(t->easy, CURLOPT_PRIVATE, t.get());
            curl_multi_add_handle(multi_, t->easy);
        }
        transfers_[id] = std::move(t);
        poll();
        return id;
    }

    bool done(int id) override {
        auto it = transfers_.find(id);
        if (it == transfers_.end()) return true;
        if (!it->second->finished) poll();
        return it->second->finished;
    }

    FetchResult take(int id) override {
        auto it = transfers_.find(id);
        if (it == transfers_.end()) {
            FetchResult r;
            r.error = "Request was cancelled";
            return r;
        }
        while (!it->second->finished) {
            curl_multi_poll(multi_, nullptr, 0, 50, nullptr);
            poll();
        }
        FetchResult r = std::move(it->second->result);
        drop(*it->second);
        transfers_.erase(it);
        return r;
    }

    void abandon(int id) override {
        auto it = transfers_.find(id);
        if (it == transfers_.end()) return;
        drop(*it->second);
        transfers_.erase(it);
    }

private:
    struct Transfer {
        CURL* easy = nullptr;
        bool finished = false;
        bool too_large = false;  // the body passed kReplyLimitBytes
        FetchResult result;
        char errbuf[CURL_ERROR_SIZE] = {};
    };

    static size_t on_data(char* p, size_t size, size_t n, void* user) {
        auto* t = static_cast<Transfer*>(user);
        const size_t got = size * n;
        if (got > kReplyLimitBytes - t->result.body.size()) {
            t->too_large = true;
            return 0;  // stops the transfer (CURLE_WRITE_ERROR)
        }
        t->result.body.append(p, got);
        return got;
    }

    void drop(Transfer& t) {
        if (!t.easy) return;
        curl_multi_remove_handle(multi_, t.easy);
        curl_easy_cleanup(t.easy);
        t.easy = nullptr;
    }

    void poll() {
        int running = 0;
        curl_multi_perform(multi_, &running);
        int left = 0;
        while (CURLMsg* m = curl_multi_info_read(multi_, &left)) {
            if (m->msg != CURLMSG_DONE) continue;
            Transfer* t = nullptr;
            curl_easy_getinfo(m->easy_handle, CURLINFO_PRIVATE, reinterpret_cast<char**>(&t));
            if (!t) continue;
            t->finished = true;
            if (m->data.result == CURLE_OK) {
                long code = 0;
                curl_easy_getinfo(m->easy_handle, CURLINFO_RESPONSE_CODE, &code);
                t->result.ok = true;
                t->result.http_status = static_cast<int>(code);
            } else if (t->too_large) {
                t->result.ok = false;
                t->result.error = kReplyTooLarge;
                t->result.error_number = kReplyTooLargeNumber;
                t->result.body.clear();
            } else {
                t->result.ok = false;
                t->result.error = t->errbuf[0] ? std::string(t->errbuf)
                                               : std::string(curl_easy_strerror(m->data.result));
                t->result.error_number = static_cast<int>(m->data.result);
                t->result.body.clear();
            }
        }
    }

    CURLM* multi_ = nullptr;
    int next_id_ = 1;
    std::map<int, std::unique_ptr<Transfer>> transfers_;
};

}  // namespace

std::unique_ptr<SimPlatform::RealWeb> make_real_web() { return std::make_unique<CurlWeb>(); }

}  // namespace tessaly
