// The library's three operations over a fake backend: the machines found and new
// searches, the release of arrays, the selection window and the last choice, and the
// error codes of each failure.

#include "DiscoveryTesting.hpp"

#include <discovery/Library.hpp>

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <stdexcept>

using namespace Discovery;

namespace {

class DiscoveryLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }

    void SetUp() override
    {
        backend->machines = {MakeMachine(L"10.0.0.1", L"Alpha", L"alpha.local", 80, 443),
                             MakeMachine(L"10.0.0.2", L"", L"beta.local", 8080, 8443)};
    }

    std::vector<Machine> Machines(int flag, std::int32_t* error = nullptr)
    {
        int count = -1;
        std::int32_t code = -1;
        Record* records = library.Machines(nullptr, flag, &count, &code);
        if (error) *error = code;
        std::vector<Machine> machines;
        if (!records) {
            EXPECT_EQ(0, count);
            return machines;
        }
        EXPECT_EQ(NoError, code);
        for (int i = 0; i < count; ++i) machines.push_back(Decode(records[i]));
        Library::Release(records);
        return machines;
    }

    std::shared_ptr<FakeBackend> backend = std::make_shared<FakeBackend>();
    Library library{backend};
};

TEST_F(DiscoveryLibrary, TheFirstListSearchesOnceLaterListsReuseItNewSearchesReplaceIt)
{
    EXPECT_EQ(backend->machines, Machines(FoundSoFar));
    EXPECT_EQ(backend->machines, Machines(FoundSoFar));
    EXPECT_EQ(1, backend->searches);

    backend->machines.pop_back();
    EXPECT_EQ(backend->machines, Machines(NewSearch));
    EXPECT_EQ(backend->machines, Machines(FoundSoFar));
    EXPECT_EQ(2, backend->searches);

    backend->machines.clear();
    int count = -1;
    Record* none = library.Machines(nullptr, NewSearch, &count, nullptr);
    ASSERT_NE(nullptr, none) << "an empty answer is a success with an array to release";
    EXPECT_EQ(0, count);
    Library::Release(none);
    Library::Release(nullptr);
}

TEST_F(DiscoveryLibrary, AFailedSearchGivesNoArrayAndKeepsTheMachinesFound)
{
    Machines(FoundSoFar);
    backend->failure = std::make_exception_ptr(SearchFailure("browser failed"));
    std::int32_t error = 0;
    EXPECT_TRUE(Machines(NewSearch, &error).empty());
    EXPECT_EQ(SearchFailed, error);
    EXPECT_EQ(backend->machines, Machines(FoundSoFar));

    struct Case {
        std::exception_ptr thrown;
        int errnoValue;
    };
    for (const Case& c : {Case{std::make_exception_ptr(std::bad_alloc()), ENOMEM},
                          Case{std::make_exception_ptr(std::logic_error("bug")), EIO}}) {
        backend->failure = c.thrown;
        EXPECT_TRUE(Machines(NewSearch, &error).empty());
        EXPECT_EQ(SystemFailure, error);
        EXPECT_EQ(c.errnoValue, errno);
    }
}

TEST_F(DiscoveryLibrary, BadArgumentsAreASystemFailureWithEinval)
{
    int count = 5;
    std::int32_t error = 0;
    EXPECT_EQ(nullptr, library.Machines(nullptr, 3, &count, &error));
    EXPECT_EQ(0, count);
    EXPECT_EQ(SystemFailure, error);
    EXPECT_EQ(EINVAL, errno);
    EXPECT_EQ(nullptr, library.Machines(nullptr, FoundSoFar, nullptr, &error));
    EXPECT_EQ(SystemFailure, error);

    Record record{};
    for (auto call : std::vector<std::function<int()>>{
             [&] { return library.Select(nullptr, nullptr, LastChoice, 0, &error); },
             [&] { return library.Select(nullptr, &record, 7, 0, &error); },
             [&] { return library.Select(nullptr, &record, LastChoice, 1, &error); }}) {
        error = 0;
        EXPECT_EQ(0, call());
        EXPECT_EQ(SystemFailure, error);
    }
    EXPECT_EQ(0, backend->searches);
}

TEST_F(DiscoveryLibrary, ConfirmingTheWindowFillsTheRecordAndBecomesTheLastChoice)
{
    Record record{};
    std::int32_t error = -1;
    EXPECT_EQ(0, library.Select(nullptr, &record, LastChoice, 0, &error));
    EXPECT_EQ(NothingChosen, error);

    bool okWasEnabled = true;
    WhenShown([&](SelectionDialog& dialog) {
        QTreeWidget* list = MachineList(dialog);
        ASSERT_EQ(2, list->topLevelItemCount());
        EXPECT_EQ(QStringLiteral("beta.local"), list->topLevelItem(1)->text(0)) << "the second name stands in";
        okWasEnabled = Button(dialog, "okButton")->isEnabled();
        list->setCurrentItem(list->topLevelItem(1));
        Button(dialog, "okButton")->click();
    });
    EXPECT_NE(0, library.Select(nullptr, &record, SelectionWindow, 0, &error));
    EXPECT_EQ(NoError, error);
    EXPECT_FALSE(okWasEnabled) << "OK before anything was selected";
    EXPECT_EQ(backend->machines[1], Decode(record));

    Record last{};
    EXPECT_NE(0, library.Select(nullptr, &last, LastChoice, 0, &error));
    EXPECT_EQ(backend->machines[1], Decode(last));
}

TEST_F(DiscoveryLibrary, CancellingKeepsTheLastChoiceAndTheRecord)
{
    Record record{};
    std::int32_t error = 0;
    AnswerWindow(0, "okButton");
    ASSERT_NE(0, library.Select(nullptr, &record, SelectionWindow, 0, &error));

    Record untouched{};
    AnswerWindow(1, "cancelButton");
    EXPECT_EQ(0, library.Select(nullptr, &untouched, SelectionWindow, 0, &error));
    EXPECT_EQ(Cancelled, error);
    EXPECT_EQ(Machine{}, Decode(untouched));
    EXPECT_NE(0, library.Select(nullptr, &record, LastChoice, 0, &error));
    EXPECT_EQ(backend->machines[0], Decode(record));
}

TEST_F(DiscoveryLibrary, TheWindowSearchesAgainAndAFailedSearchEndsIt)
{
    Machines(FoundSoFar);
    const Machine late = MakeMachine(L"10.0.0.3", L"Gamma");
    Record record{};
    std::int32_t error = 0;
    WhenShown([&](SelectionDialog& dialog) {
        backend->machines.push_back(late);
        Button(dialog, "searchButton")->click();
        QTreeWidget* list = MachineList(dialog);
        ASSERT_EQ(3, list->topLevelItemCount());
        list->itemDoubleClicked(list->topLevelItem(2), 0);  // selects nothing: OK stays refused
        EXPECT_TRUE(dialog.isVisible());
        list->setCurrentItem(list->topLevelItem(2));
        list->itemDoubleClicked(list->topLevelItem(2), 0);
    });
    EXPECT_NE(0, library.Select(nullptr, &record, SelectionWindow, 0, &error));
    EXPECT_EQ(late, Decode(record));
    EXPECT_EQ(3u, Machines(FoundSoFar).size()) << "the window's search is the library's";

    WhenShown([&](SelectionDialog& dialog) {
        backend->failure = std::make_exception_ptr(SearchFailure("gone"));
        Button(dialog, "searchButton")->click();
    });
    EXPECT_EQ(0, library.Select(nullptr, &record, SelectionWindow, 0, &error));
    EXPECT_EQ(SearchFailed, error);

    // With nothing searched yet, the window's first search failing is reported too.
    library.SetBackend(backend);
    EXPECT_EQ(0, library.Select(nullptr, &record, SelectionWindow, 0, &error));
    EXPECT_EQ(SearchFailed, error);
}

TEST_F(DiscoveryLibrary, ANewBackendForgetsTheMachinesAndTheChoice)
{
    Record record{};
    std::int32_t error = 0;
    AnswerWindow(0, "okButton");
    ASSERT_NE(0, library.Select(nullptr, &record, SelectionWindow, 0, &error));

    auto other = std::make_shared<FakeBackend>();
    other->machines = {MakeMachine(L"10.9.9.9", L"Other")};
    library.SetBackend(other);
    EXPECT_EQ(0, library.Select(nullptr, &record, LastChoice, 0, &error));
    EXPECT_EQ(NothingChosen, error);
    EXPECT_EQ(other->machines, Machines(FoundSoFar));

    // A search still running when the backend changes answers its caller but is not
    // kept as the machines found.
    auto third = std::make_shared<FakeBackend>();
    third->machines = {MakeMachine(L"10.3.3.3", L"Third")};
    other->during = [&] { library.SetBackend(third); };
    EXPECT_EQ(other->machines, Machines(NewSearch));
    EXPECT_EQ(third->machines, Machines(FoundSoFar));
}

}  // namespace
