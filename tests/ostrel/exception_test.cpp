#include <ostrel/exception.hpp>
#include <ostrel/thread/actor.hpp>

#include <gtest/gtest.h>

#include <exception>

namespace {

[[noreturn]] void raiseOpenFailure() { OSTREL_THROW(ostrel::open_file_failure()); }
const int raiseLine = __LINE__ - 1;

TEST(Exception, RecordsFunctionRelativeFileAndLine)
{
    try {
        raiseOpenFailure();
        FAIL();
    } catch (const ostrel::open_file_failure& e) {
        const auto where = ostrel::location_of(e);
        EXPECT_NE(where.function.find("raiseOpenFailure"), std::string::npos) << where.function;
        EXPECT_EQ(where.file, "tests/ostrel/exception_test.cpp");
        EXPECT_EQ(where.line, raiseLine);
    }
}

TEST(Exception, FamilyIsCaughtThroughItsBases)
{
    auto caughtAs = [](auto raise, auto probe) {
        try {
            raise();
        } catch (const decltype(probe)&) {
            return true;
        } catch (...) {
        }
        return false;
    };
    EXPECT_TRUE(caughtAs([] { OSTREL_THROW(ostrel::fatal_error()); }, ostrel::runtime_error()));
    EXPECT_TRUE(caughtAs([] { OSTREL_THROW(ostrel::domain_error()); }, ostrel::logic_error()));
    EXPECT_TRUE(caughtAs([] { OSTREL_THROW(ostrel::communication_failure()); }, ostrel::exception()));
    EXPECT_TRUE(caughtAs([] { OSTREL_THROW(ostrel::defective_config()); }, ostrel::exception()));
    EXPECT_FALSE(caughtAs([] { OSTREL_THROW(ostrel::runtime_error()); }, ostrel::fatal_error()));
    EXPECT_FALSE(caughtAs([] { OSTREL_THROW(ostrel::system_error(2)); }, ostrel::exception()));
}

class FailingActor : public ostrel::actor<ostrel::boost_thread_actor_impl> {
public:
    ~FailingActor() override { stop(); }
    int line = 0;

protected:
    int run() override
    {
        line = __LINE__ + 1;
        OSTREL_THROW(ostrel::communication_failure() << ostrel::error_message("machine went away"));
    }
};

TEST(Exception, FailureOnWorkerThreadReachesOwnerWithItsLocation)
{
    FailingActor failing;
    failing.start();
    failing.stop();
    try {
        failing.rethrow();
        FAIL() << "nothing was stored";
    } catch (const ostrel::communication_failure& e) {
        EXPECT_EQ(ostrel::location_of(e).line, failing.line);
        EXPECT_EQ(ostrel::location_of(e).file, "tests/ostrel/exception_test.cpp");
        ASSERT_NE(boost::get_error_info<ostrel::error_message>(e), nullptr);
        EXPECT_EQ(*boost::get_error_info<ostrel::error_message>(e), "machine went away");
    }
}

}  // namespace
