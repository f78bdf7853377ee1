// HTTP GET benchmark against curl on the same local nginx, in the same run:
//  1. 2000 sequential gateway-style GETs of a small reply, each with a new client object and
//     HTTP/1.0 (a new connection each), against one curl process fetching the same 2000 URLs
//     with HTTP/1.0. Goal: at most 1.2x curl's time.
//  2. One 256 MiB body, against curl writing it to /dev/null. Goals: at least 0.8x curl's
//     throughput; peak memory at most body + 8 MiB.
//  3. One 500 MiB chunked body (HTTP/1.1) from a small server of the benchmark's own, in chunks of
//     64 KiB and of 8 MiB, against curl. Goals: at most 1.3x curl's time; peak memory at most
//     body + 16 MiB.
// Each side runs three times, alternating with the other; the best time of each counts, so that
// a busy machine slows both alike.
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_support.h"
#include "net/http_request.h"

namespace fs = std::filesystem;
using xunda::bench::SecondsSince;
using xunda::bench::Steady;

namespace {

constexpr int kSmallGets = 2000;
constexpr int kRounds = 3;
constexpr std::size_t kBigBody = std::size_t{256} << 20;
constexpr std::size_t kChunkedBody = std::size_t{500} << 20;

long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int FreePort() {
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
    close(s);
    return ntohs(a.sin_port);
}

// nginx in the foreground as a single process, serving `root`.
pid_t StartNginx(const fs::path& dir, int port) {
    fs::path conf = dir / "nginx.conf";
    std::ofstream(conf) << "daemon off; master_process off; worker_processes 1;\n"
                        << "pid " << (dir / "nginx.pid").string() << ";\n"
                        << "error_log " << (dir / "error.log").string() << ";\n"
                        << "events { worker_connections 1024; }\n"
                        << "http { access_log off; client_body_temp_path " << (dir / "tmp").string() << ";\n"
                        << "  server { listen 127.0.0.1:" << port << "; root " << (dir / "www").string()
                        << "; } }\n";
    pid_t pid = fork();
    if (pid == 0) {
        execlp("nginx", "nginx", "-c", conf.c_str(), "-p", dir.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 100; ++i) {
        xunda::HttpRequest probe;
        probe.Timeout = 1000;
        if (probe.ExecuteMethod("GET", "http://127.0.0.1:" + std::to_string(port) + "/small.txt")) break;
        usleep(50000);
    }
    return pid;
}

// A server that answers every request on `port` with `total` bytes in chunks of `chunk` bytes.
pid_t StartChunkServer(int port, std::size_t total, std::size_t chunk) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    if (bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(listener, 16) != 0)
        std::abort();
    const pid_t pid = fork();
    if (pid != 0) {
        close(listener);
        return pid;
    }
    std::string data(chunk, '\0');
    for (std::size_t i = 0; i < chunk; ++i) data[i] = static_cast<char>((i * 131) >> 3);
    auto sendAll = [](int c, const char* bytes, std::size_t n) {
        for (ssize_t sent = 0; n > 0; bytes += sent, n -= static_cast<std::size_t>(sent))
            if ((sent = send(c, bytes, n, MSG_NOSIGNAL)) <= 0) return false;
        return true;
    };
    for (;;) {
        const int c = accept(listener, nullptr, nullptr);
        if (c < 0) continue;
        std::string request;
        char buffer[4096];
        for (ssize_t n;
             request.find("\r\n\r\n") == std::string::npos && (n = recv(c, buffer, sizeof buffer, 0)) > 0;)
            request.append(buffer, static_cast<std::size_t>(n));
        const std::string head = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
        bool ok = sendAll(c, head.data(), head.size());
        for (std::size_t sent = 0, n = 0; ok && sent < total; sent += n) {
            n = std::min(chunk, total - sent);
            char size[32];
            const int sizeLength = std::snprintf(size, sizeof size, "%zx\r\n", n);
            ok = sendAll(c, size, static_cast<std::size_t>(sizeLength)) && sendAll(c, data.data(), n) &&
                 sendAll(c, "\r\n", 2);
        }
        if (ok) sendAll(c, "0\r\n\r\n", 5);
        close(c);
    }
}

double TimeCommand(const std::string& command) {
    auto start = Steady::now();
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "command failed: %s\n", command.c_str());
    return SecondsSince(start);
}

}  // namespace

int main() {
    const xunda::bench::TempFolder dir;
    fs::create_directories(dir / "www");
    fs::create_directories(dir / "tmp");
    std::ofstream(dir / "www" / "small.txt") << "100\n0,202612061200001234\n0,202612061200001235\n";
    {
        std::ofstream big(dir / "www" / "big.bin", std::ios::binary);
        std::string block(1 << 20, '\0');
        for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>((i * 131) >> 3);
        for (std::size_t n = 0; n < kBigBody; n += block.size())
            big.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    const int port = FreePort();
    const pid_t nginx = StartNginx(dir.path(), port);
    const std::string base = "http://127.0.0.1:" + std::to_string(port);

    // 1. Small gateway-style GETs.
    {
        std::ofstream config(dir / "curl.cfg");
        for (int i = 0; i < kSmallGets; ++i)
            config << "url = \"" << base << "/small.txt?n=" << i << "\"\noutput = \"/dev/null\"\n";
    }
    double ours = 1e9, curl = 1e9;
    int failures = 0;
    for (int round = 0; round < kRounds; ++round) {
        auto start = Steady::now();
        for (int i = 0; i < kSmallGets; ++i) {
            xunda::HttpRequest http;
            http.Timeout = 30000;
            http.ExecuteMethod("GET", base + "/small.txt?n=" + std::to_string(i));
            if (http.ResultCode() != 200) ++failures;
        }
        ours = std::min(ours, SecondsSince(start));
        curl = std::min(curl, TimeCommand("curl -s -0 --config " + (dir / "curl.cfg").string()));
    }
    std::printf(
        "small GETs: %d x HTTP/1.0, new object each: ours %.3f s, curl %.3f s, ratio %.2f (goal <= 1.2)%s\n",
        kSmallGets, ours, curl, ours / curl, failures ? " FAILURES" : "");

    // 2. One large body.
    const long baseline = PeakRssKiB();
    double oursBig = 1e9, curlBig = 1e9;
    std::size_t received = kBigBody;
    for (int round = 0; round < kRounds; ++round) {
        {
            xunda::HttpRequest http;
            http.Timeout = 30000;
            http.MaxBodySize = std::int64_t{1} << 30;
            auto start = Steady::now();
            http.ExecuteMethod("GET", base + "/big.bin");
            oursBig = std::min(oursBig, SecondsSince(start));
            received = std::min(received, http.Document().Bytes().size());
        }
        curlBig = std::min(curlBig, TimeCommand("curl -s -o /dev/null " + base + "/big.bin"));
    }
    const long peakGrowthKiB = PeakRssKiB() - baseline;
    const double mib = static_cast<double>(kBigBody) / (1 << 20);
    std::printf("256 MiB body: ours %.0f MiB/s, curl %.0f MiB/s, ratio %.2f (goal >= 0.8)%s\n", mib / oursBig,
                mib / curlBig, curlBig / oursBig, received == kBigBody ? "" : " SHORT BODY");
    std::printf("256 MiB body: peak memory growth %.1f MiB (goal <= %.0f MiB)\n", peakGrowthKiB / 1024.0,
                mib + 8);

    // 3. A chunked body, each of our requests in a process of its own for its peak memory.
    for (const std::size_t chunk : {std::size_t{64} << 10, std::size_t{8} << 20}) {
        const int chunkPort = FreePort();
        const pid_t server = StartChunkServer(chunkPort, kChunkedBody, chunk);
        const std::string url = "http://127.0.0.1:" + std::to_string(chunkPort) + "/chunked";
        double oursChunked = 1e9, curlChunked = 1e9;
        long peakKiB = 0;
        bool whole = true;
        for (int round = 0; round < kRounds; ++round) {
            const long before = xunda::bench::ResidentKb();
            // The request's own time in microseconds, 0 when it failed.
            const xunda::bench::ChildRun run = xunda::bench::RunInChild([&]() -> std::uint64_t {
                xunda::HttpRequest http;
                http.Protocol = "1.1";
                http.Timeout = 30000;
                http.MaxBodySize = std::int64_t{1} << 30;
                auto start = Steady::now();
                const bool ok =
                    http.ExecuteMethod("GET", url) && http.Document().Bytes().size() == kChunkedBody;
                return ok ? static_cast<std::uint64_t>(SecondsSince(start) * 1e6) : 0;
            });
            whole = whole && run.result > 0;
            if (run.result > 0) oursChunked = std::min(oursChunked, run.result / 1e6);
            peakKiB = std::max(peakKiB, run.peakKiB - before);
            curlChunked = std::min(curlChunked, TimeCommand("curl -s -o /dev/null " + url));
        }
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
        const double chunkedMib = static_cast<double>(kChunkedBody) / (1 << 20);
        std::printf(
            "%.0f MiB chunked body, chunks of %zu KiB: ours %.3f s, curl %.3f s, ratio %.2f (goal <= "
            "1.3)%s\n",
            chunkedMib, chunk >> 10, oursChunked, curlChunked, oursChunked / curlChunked,
            whole ? "" : " FAILED");
        std::printf(
            "%.0f MiB chunked body, chunks of %zu KiB: peak memory body + %.1f MiB (goal <= 16 MiB)\n",
            chunkedMib, chunk >> 10, peakKiB / 1024.0 - chunkedMib);
    }

    kill(nginx, SIGTERM);
    waitpid(nginx, nullptr, 0);
    return 0;
}
