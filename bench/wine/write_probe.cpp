// What the durable placefile replace costs under Wine: the platform's
// replace_file (write, flush to disk, rename with write-through) of a
// 10^4-line placefile against the same write, rename and code-page
// conversion without the flush, both in the same run and the same folder.
//   write_probe FOLDER [REPEATS]
// Prints one line per kind: "<kind> median_ms M p95_ms P max_ms X cpu_ms C".
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace {

double now_ms() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

double cpu_ms() {
    FILETIME a, b, k, u;
    GetProcessTimes(GetCurrentProcess(), &a, &b, &k, &u);
    auto t = [](FILETIME x) {
        return (static_cast<unsigned long long>(x.dwHighDateTime) << 32) | x.dwLowDateTime;
    };
    return static_cast<double>(t(k) + t(u)) / 1e4;
}

// The replace as it was before the flush: write beside, rename over.
bool bare_replace(const std::wstring& target, const std::string& bytes) {
    std::wstring tmp = target + L".tmp";
    HANDLE f = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              SetEndOfFile(f);
    CloseHandle(f);
    return ok && MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void report(const char* kind, std::vector<double> ms, double cpu) {
    std::sort(ms.begin(), ms.end());
    size_t n = ms.size();
    std::printf("%s median_ms %.2f p95_ms %.2f max_ms %.2f cpu_ms %.2f\n", kind, ms[n / 2],
                ms[std::min(n - 1, n * 95 / 100)], ms[n - 1], cpu / static_cast<double>(n));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::string folder = argv[1];
    int repeats = argc > 2 ? std::atoi(argv[2]) : 100;
    tessaly::Win32Platform p;
    std::string text;
    for (int i = 0; i < 10000; ++i) text += "Text: 35.1234, -97.5678, 1, ab\r\n";
    const std::string target = folder + "\\korvel.txt";
    std::wstring wtarget(target.begin(), target.end());

    for (int round = 0; round < 2; ++round) {
        std::vector<double> flushed, bare;
        double cpu_f = 0, cpu_b = 0;
        for (int i = 0; i < repeats; ++i) {
            // Alternated, so that the disk's and the machine's state are shared.
            double c0 = cpu_ms(), t0 = now_ms();
            bool ok = !p.replace_file(target, p.to_codepage(text));
            double t1 = now_ms(), c1 = cpu_ms();
            ok = bare_replace(wtarget, p.to_codepage(text)) && ok;
            double t2 = now_ms(), c2 = cpu_ms();
            if (!ok) {
                std::printf("write failed\n");
                return 1;
            }
            flushed.push_back(t1 - t0);
            bare.push_back(t2 - t1);
            cpu_f += c1 - c0;
            cpu_b += c2 - c1;
        }
        if (round == 0) continue;  // the first round warms the file cache
        report("flushed", flushed, cpu_f);
        report("bare", bare, cpu_b);
    }
    return 0;
}
