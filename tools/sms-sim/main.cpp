// xunda-sms-sim --port N --account user:password:corpID:g:p [--account ...]
// Serves the SMS service on 127.0.0.1 until SIGINT or SIGTERM. Accepted numbers get a delivery
// report. Prints one line per request (the path and the answer, never a query: it holds passwords).
#include <csignal>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>

#include "core/text_util.h"
#include "sms-sim/sms_sim.h"

namespace {

int Usage() {
    std::cerr << "usage: xunda-sms-sim [--port N] --account user:password:corpID:g:p [--account ...]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    xunda::sim::SimOptions options;
    options.port = 8360;
    options.autoReports = true;
    options.log = [](const std::string& line) { std::cout << line << std::endl; };
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i + 1 >= argc) return Usage();
        std::string value = argv[++i];
        if (arg == "--port") {
            const std::optional<std::int64_t> port = xunda::ParseInt(value);
            if (!port || *port < 0 || *port > 65535) return Usage();
            options.port = static_cast<std::uint16_t>(*port);
        } else if (arg == "--account") {
            std::optional<xunda::sim::Account> account = xunda::sim::ParseAccount(value);
            if (!account) return Usage();
            options.accounts.push_back(*account);
        } else {
            return Usage();
        }
    }
    if (options.accounts.empty()) return Usage();

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // before any thread starts: they inherit it

    xunda::sim::SmsSimulator sim(options);
    try {
        sim.Start();
    } catch (const std::exception& e) {
        std::cerr << "xunda-sms-sim: " << e.what() << "\n";
        return 1;
    }
    std::cout << "xunda-sms-sim listening on " << sim.Host() << " with " << options.accounts.size()
              << " account(s)" << std::endl;
    int signal = 0;
    sigwait(&signals, &signal);
    sim.Stop();
    std::cout << "xunda-sms-sim stopped: " << sim.Requests().size() << " request(s), " << sim.Sent().size()
              << " message(s) accepted" << std::endl;
    return 0;
}
