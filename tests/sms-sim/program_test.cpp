// The xunda-sms-sim program as ./run.sh starts it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "raw_client.h"

namespace xunda::test {
namespace {

TEST(SimProgram, ServesALoginAndASendAndNeverPrintsThePassword) {
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        execl(SMS_SIM_PROGRAM, SMS_SIM_PROGRAM, "--port", "0", "--account", "demo:s3cret:10001:g1:p1", nullptr);
        _exit(127);
    }
    close(out[1]);
    FILE* output = fdopen(out[0], "r");
    char line[256] = {};
    ASSERT_TRUE(fgets(line, sizeof line, output));
    std::string first = line;
    size_t colon = first.find("127.0.0.1:");
    ASSERT_NE(colon, std::string::npos) << first;
    auto port = static_cast<std::uint16_t>(std::stoi(first.substr(colon + 10)));

    std::string login = BodyOf(RawGet(port, "/data/?sql=getData+'G','demo','s3cret'"));
    EXPECT_NE(login.find("<row c=\"3130303031\" g=\"6731\" p=\"7031\"/>"), std::string::npos) << login;
    std::string send = BodyOf(RawGet(
        port, "/sms/putMt/?msgFormat=2&corpID=10001&loginName=demo&password=s3cret&Mobs=13800000001&msg=hi&mtLevel=1"));
    EXPECT_EQ(send, "100\r\n0,1000\r\n");

    kill(pid, SIGTERM);
    std::string rest;
    while (fgets(line, sizeof line, output)) rest += line;
    fclose(output);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_NE(rest.find("GET /sms/putMt/ -> 200 100"), std::string::npos) << rest;
    EXPECT_EQ((first + rest).find("s3cret"), std::string::npos);
}

// The exit status of the program run with these arguments.
int ExitStatus(std::vector<const char*> args) {
    args.insert(args.begin(), SMS_SIM_PROGRAM);
    args.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        freopen("/dev/null", "w", stderr);
        execv(SMS_SIM_PROGRAM, const_cast<char* const*>(args.data()));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SimProgram, RefusesBadCommandLines) {
    const std::vector<std::vector<const char*>> cases = {
        {"--port", "0"},
        {"--port", "", "--account", "demo:demo:10001:g1:p1"},
        {"--port", "70000", "--account", "demo:demo:10001:g1:p1"},
        {"--port", "0", "--account", "demo:demo:10001:g1"},
        {"--port", "0", "--account", ":demo:10001:g1:p1"},
        {"--port", "0", "--account", "demo:demo::g1:p1"},
        {"--port", "0", "--account"},
        {"--verbose", "1", "--account", "demo:demo:10001:g1:p1"},
    };
    for (const auto& args : cases) EXPECT_EQ(ExitStatus(args), 2) << args.size() << " " << args.back();
}

}  // namespace
}  // namespace xunda::test
