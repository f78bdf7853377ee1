// The login's request and reply against the service simulator, over real sockets.
#include "gateway/login.h"

#include <gtest/gtest.h>

#include "gateway/service_gateway.h"
#include "sms-sim/sms_sim.h"

namespace xunda {
namespace {

class LoginTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim.Start();
        gateway.emplace(GatewayOptions{.host = sim.Host(), .timeout = std::chrono::milliseconds(5000)});
    }
    std::optional<ServiceAccount> Login(const std::string& user, const std::string& password = "pw") {
        return RequestLogin(*gateway, LoginQuery(sim.Host(), user, password));
    }

    sim::SmsSimulator sim{{.accounts = {{"o'neil", " it's ", "10001", "g1", "p1"},
                                        {"no g", "pw", "10002", "", "p"},
                                        {"no p", "pw", "10003", "g", ""},
                                        {"odd c", "pw", "1 OR 1=1", "g", "p"}}}};
    std::optional<ServiceGateway> gateway;
};

TEST_F(LoginTest, TheAccountOfTheFirstRowWithQuotedCredentials) {
    const std::optional<ServiceAccount> account = Login("o'neil", " it's ");
    ASSERT_TRUE(account);
    EXPECT_EQ(account->corpID + "|" + account->g + "|" + account->p, "10001|g1|p1");
}

TEST_F(LoginTest, EveryFailureIsNoAccount) {
    for (const char* user : {"no g", "no p", "odd c", "nobody"}) EXPECT_EQ(Login(user), std::nullopt) << user;
    EXPECT_EQ(Login("o'neil", "it's"), std::nullopt);  // the password as typed: no row
    const sim::ReplyScript scripts[] = {{.body = "this is not xml"},
                                        {.serviceActs = false, .status = 404},
                                        {.serviceActs = false, .dropConnection = true}};
    for (const sim::ReplyScript& script : scripts) {
        sim.Script(script);
        EXPECT_EQ(Login("o'neil", " it's "), std::nullopt) << script.body.value_or("");
    }
    EXPECT_TRUE(Login("o'neil", " it's "));  // a script answers once
}

}  // namespace
}  // namespace xunda
