// SearchAgent over the library: records become machine parts, arrays are read only
// where they should be, and the library's error codes become the right exceptions.

#include "DiscoveryTesting.hpp"

#include "Application/Config.hpp"
#include "Norvane/UI/SearchAgent.hpp"
#include "System/SystemError.hpp"

#include <discovery/Library.hpp>

#include "TempDir.hpp"

#include <gtest/gtest.h>

using Discovery::Machine;

namespace {

class SearchAgentTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    IsolatedEnvironment env;
    std::shared_ptr<FakeBackend> backend = std::make_shared<FakeBackend>();
    Discovery::Library library{backend};

    SearchAgent::MFP Expected(boost::optional<std::wstring> name, std::wstring host, int http, int https)
    {
        SearchAgent::MFP mfp;
        mfp.SetName(name);
        mfp.SetHost(host);
        mfp.SetHTTP(http);
        mfp.SetHTTPS(https);
        mfp.SetSSL(Config::Instance().entryDefaults().ssl);
        return mfp;
    }
};

TEST_F(SearchAgentTest, RecordsBecomeMachinePartsInArrayOrder)
{
    backend->machines = {
        {L"10.0.0.1", L"Alpha", L"alpha.local", 80, 443},
        {L"10.0.0.2", L"", L"beta.local", 8080, 8443},
        {L"10.0.0.3", L"", L"", 0, 0},
    };
    SearchAgent agent(nullptr, library);
    const auto machines = agent.GetMachines();
    const std::vector<SearchAgent::MFP> expected = {
        Expected(std::wstring(L"Alpha"), L"10.0.0.1", 80, 443),
        Expected(std::wstring(L"beta.local"), L"10.0.0.2", 8080, 8443),
        Expected(boost::none, L"10.0.0.3", 0, 0),  // port 0 is present, not absent
    };
    EXPECT_EQ(expected, machines);
    EXPECT_EQ(L"Alpha", SearchAgent::DisplayText(machines[0]));
    EXPECT_EQ(L"10.0.0.3", SearchAgent::DisplayText(machines[2]));
}

TEST_F(SearchAgentTest, SearchAgainReadsNothingAndTheNextListShowsTheNewSearch)
{
    backend->machines = {{L"10.0.0.1", L"Old", L"", 80, 443}};
    SearchAgent agent(nullptr, library);
    ASSERT_EQ(1u, agent.GetMachines().size());

    backend->machines = {{L"10.0.0.7", L"New", L"", 80, 443}, {L"10.0.0.8", L"Newer", L"", 80, 443}};
    agent.SearchAgain(nullptr);
    EXPECT_EQ(2, backend->searches);
    const auto machines = agent.GetMachines();
    ASSERT_EQ(2u, machines.size());
    EXPECT_EQ(L"10.0.0.7", machines[0].GetHost());
    EXPECT_EQ(2, backend->searches) << "the list comes from the search just run";
}

TEST_F(SearchAgentTest, ChooseAndGetChosen)
{
    backend->machines = {{L"10.0.0.1", L"Alpha", L"", 80, 443}, {L"10.0.0.2", L"Beta", L"", 81, 444}};
    SearchAgent agent(nullptr, library);

    AnswerWindow(1, "cancelButton");
    EXPECT_FALSE(agent.Choose());
    // Nothing chosen yet: the zeroed record, with the library's "nothing chosen" code
    // passed over.
    EXPECT_EQ(Expected(boost::none, L"", 0, 0), agent.GetChosen());

    AnswerWindow(1, "okButton");
    EXPECT_TRUE(agent.Choose());
    EXPECT_EQ(Expected(std::wstring(L"Beta"), L"10.0.0.2", 81, 444), agent.GetChosen());
    EXPECT_EQ(L"Beta", SearchAgent::DisplayText(SearchAgent(nullptr, library).GetChosen()))
        << "the last choice belongs to the library, not to one agent";
}

TEST_F(SearchAgentTest, ErrorCodesBecomeExceptions)
{
    SearchAgent agent(nullptr, library);
    backend->failure = std::make_exception_ptr(Discovery::SearchFailure("browse failed"));
    EXPECT_THROW(agent.GetMachines(), ostrel::communication_failure);
    EXPECT_THROW(agent.SearchAgain(nullptr), ostrel::communication_failure);
    EXPECT_THROW(agent.Choose(), ostrel::communication_failure);

    backend->failure = std::make_exception_ptr(std::bad_alloc());
    try {
        agent.GetMachines();
        FAIL() << "no system error";
    } catch (const SystemError& e) {
        EXPECT_EQ(ENOMEM, e.code().value());
        EXPECT_EQ("src/UI/SearchAgent.cpp", ostrel::location_of(e).file);
    }
}

}  // namespace
