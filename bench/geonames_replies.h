#pragma once
// The recorded GeoNames replies the benchmarks answer ETA views with.
#include <fstream>
#include <initializer_list>
#include <map>
#include <sstream>
#include <string>

#include "platform/sim/sim_platform.h"

namespace tessaly::bench {

// The body of shared/testdata/geonames/NAME, read once.
inline const std::string& geonames_reply(const std::string& name) {
    static std::map<std::string, std::string> read;
    auto [it, fresh] = read.try_emplace(name);
    if (fresh) {
        std::ifstream f(std::string(TESSALY_TESTDATA) + "/geonames/" + name, std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        it->second = s.str();
    }
    return it->second;
}

// The eight replies of one ETA view: `first` for the first searches, an
// empty list for the rest.
inline void queue_view_replies(SimPlatform& p, std::initializer_list<const char*> first) {
    auto name = first.begin();
    for (int i = 0; i < 8; ++i) {
        SimPlatform::WebAnswer a;
        a.body = geonames_reply(name != first.end() ? *name++ : "ks_flinthills_r5_0places.xml");
        p.web_answers.push_back(a);
    }
}

}  // namespace tessaly::bench
