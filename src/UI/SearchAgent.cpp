#include "Norvane/UI/SearchAgent.hpp"

#include "MonitoredEntry/EntryProperty.hpp"
#include "System/SystemError.hpp"

#include <discovery/Library.hpp>

namespace {

/// What a discovered machine starts from: the machine part of a new entry.
SearchAgent::MFP DefaultMFP()
{
    return MonitoredEntry::GetDefaultEntryProperty().GetMFP();
}

SearchAgent::MFP ToMFP(const Discovery::Record& record)
{
    const Discovery::Machine machine = Discovery::Decode(record);
    SearchAgent::MFP mfp = DefaultMFP();
    if (!machine.firstName.empty())
        mfp.SetName(machine.firstName);
    else if (!machine.secondName.empty())
        mfp.SetName(machine.secondName);
    else
        mfp.SetName(boost::none);
    mfp.SetHost(machine.host);
    mfp.SetHTTP(int(machine.http));
    mfp.SetHTTPS(int(machine.https));
    return mfp;
}

// Releases a machine array on every path.
struct Records {
    Discovery::Record* array = nullptr;
    ~Records() { Discovery::Library::Release(array); }
};

}  // namespace

struct SearchAgent::Pimpl {
    QWidget* parent;
    Discovery::Library& library;
    MFP chosen;

    // The search failed: the caller reports a communication failure. The library
    // failed: a system error with the code the library left. Any other code lets the
    // operation go on.
    static void CheckError(std::int32_t code, const char* operation)
    {
        if (code == Discovery::SearchFailed)
            OSTREL_THROW(ostrel::communication_failure() << ostrel::error_message(operation));
        if (code == Discovery::SystemFailure) {
            // The library leaves the system's account of the failure in errno.
            const int cause = errno;
            OSTREL_THROW(SystemError(cause) << ostrel::error_message(operation));
        }
    }
};

SearchAgent::SearchAgent(QWidget* parent) : SearchAgent(parent, Discovery::Library::Instance()) {}

SearchAgent::SearchAgent(QWidget* parent, Discovery::Library& library)
    : pimpl_(new Pimpl{parent, library, MFP()})
{
}

SearchAgent::~SearchAgent() = default;

bool SearchAgent::Choose()
{
    Discovery::Record record{};
    std::int32_t error = 0;
    const int confirmed = pimpl_->library.Select(pimpl_->parent, &record, Discovery::SelectionWindow, 0, &error);
    if (!confirmed) Pimpl::CheckError(error, "SearchAgent::Choose");
    return confirmed != 0;
}

SearchAgent::MFP SearchAgent::GetChosen()
{
    Discovery::Record record{};
    std::int32_t error = 0;
    if (!pimpl_->library.Select(nullptr, &record, Discovery::LastChoice, 0, &error))
        Pimpl::CheckError(error, "SearchAgent::GetChosen");
    pimpl_->chosen = ToMFP(record);
    return pimpl_->chosen;
}

std::vector<SearchAgent::MFP> SearchAgent::GetMachines()
{
    int count = 0;
    std::int32_t error = 0;
    Records records{pimpl_->library.Machines(nullptr, Discovery::FoundSoFar, &count, &error)};
    if (!records.array) {
        Pimpl::CheckError(error, "SearchAgent::GetMachines");
        return {};
    }
    std::vector<MFP> machines;
    machines.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) machines.push_back(ToMFP(records.array[i]));
    return machines;
}

void SearchAgent::SearchAgain(QWidget* parent)
{
    int count = 0;
    std::int32_t error = 0;
    // Only the machines found afterwards are read; this array is released unread.
    Records records{pimpl_->library.Machines(parent, Discovery::NewSearch, &count, &error)};
    if (!records.array) Pimpl::CheckError(error, "SearchAgent::SearchAgain");
}

std::wstring SearchAgent::DisplayText(const MFP& mfp) { return mfp.GetName() ? *mfp.GetName() : mfp.GetHost(); }
