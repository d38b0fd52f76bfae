#pragma once
// Web requests through WinHTTP, each on a thread of its own. Separate from the
// rest of the platform because <winhttp.h> and <wininet.h> clash.
#include <map>
#include <memory>
#include <string>

#include "platform/platform.h"

namespace tessaly::win32 {

struct FetchState;

class Web {
public:
    Web();
    ~Web();
    int start(const std::string& url);
    bool done(int id);
    FetchResult take(int id);
    void abandon(int id);

private:
    std::map<int, std::shared_ptr<FetchState>> requests_;
    int next_id_ = 1;
};

}  // namespace tessaly::win32
