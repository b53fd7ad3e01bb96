#include "SimProcess.hpp"

#include "MonitoredEntry/DataFile.hpp"
#include "MonitoredEntry/EntryManager.hpp"

#include <boost/algorithm/string/replace.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ip/udp.hpp>
#include <boost/asio/read_until.hpp>
#include <boost/asio/streambuf.hpp>
#include <boost/asio/write.hpp>
#include <gtest/gtest.h>

#include <mutex>
#include <regex>
#include <sstream>

using namespace std::chrono_literals;

SimProcess::SimProcess(const std::vector<std::string>& users, const boost::filesystem::path& outputDirectory,
                       int httpPort)
{
    std::vector<std::string> arguments{"--control-port", "0", "--http-port", std::to_string(httpPort)};
    for (const auto& user : users) arguments.insert(arguments.end(), {"--user", user});
    process_ = std::make_unique<Process>(QUILLHAVEN_SIM_BIN, arguments, std::map<std::string, std::string>{},
                                         outputDirectory);
    const bool ready = WaitUntil([&] { return process_->Stdout().find("ready") != std::string::npos; }, 20s);
    if (!ready) throw std::runtime_error("the simulated machine did not start: " + process_->Stderr());
    std::smatch match;
    const std::string log = process_->Stdout();
    if (std::regex_search(log, match, std::regex("HTTP port (\\d+)"))) httpPort_ = std::stoi(match[1]);
    if (std::regex_search(log, match, std::regex("control port (\\d+)"))) controlPort_ = std::stoi(match[1]);
}

SimProcess::~SimProcess()
{
    process_->Signal(15);
    process_->Wait(10s);
}

std::string SimProcess::Command(const std::string& command)
{
    namespace asio = boost::asio;
    asio::io_context io;
    asio::ip::tcp::socket socket(io);
    socket.connect({asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(controlPort_)});
    asio::write(socket, asio::buffer(command + "\n"));
    asio::streambuf answer;
    asio::read_until(socket, answer, '\n');
    std::istream in(&answer);
    std::string line;
    std::getline(in, line);
    return line;
}

int SimProcess::Count(const std::string& text) const
{
    std::istringstream log(Log());
    int n = 0;
    for (std::string line; std::getline(log, line);)
        if (line.find(text) != std::string::npos) ++n;
    return n;
}

std::unique_ptr<Process> NotifierEnvironment::Start(const std::vector<std::string>& arguments)
{
    return std::make_unique<Process>(Norvane4Executable(), arguments,
                                     std::map<std::string, std::string>{{"QT_QPA_PLATFORM", "offscreen"}},
                                     env.root().path());
}

int NotifierEnvironment::Run(const std::vector<std::string>& arguments)
{
    const auto code = Start(arguments)->Wait(120s);
    return code ? *code : -1;
}

void NotifierEnvironment::Install(const SimProcess& machine, const std::string& account, const std::string& password,
                                  int listenPort)
{
    ASSERT_EQ(Run({"-i", "--host=127.0.0.1", "--http=" + std::to_string(machine.HttpPort()), "--uname=" + account,
                   "--uid=" + account, "--upass=" + password}),
              0);
    auto content = ReadFile(settings());
    boost::replace_all(content, "PORT = 61010", "PORT = " + std::to_string(listenPort));
    boost::replace_all(content, "REGULAR_SERIALIZE_INTERVAL_MS = 300000", "REGULAR_SERIALIZE_INTERVAL_MS = 500");
    WriteFile(settings(), content);
}

int NotifierEnvironment::LoggedEvents() const
{
    try {
        auto manager = std::make_shared<MonitoredEntry::EntryManager>();
        MonitoredEntry::DataFile::Load(manager, dataFile());
        std::lock_guard lock(*manager);
        if (manager->GetDB().Count() == 0) return 0;
        return static_cast<int>(manager->GetDB().GetEntryList().front()->ReadEventLog().GetEventList().size());
    } catch (...) {
        return -1;
    }
}

unsigned short FreeUdpPort()
{
    boost::asio::io_context io;
    boost::asio::ip::udp::socket socket(io, {boost::asio::ip::make_address("127.0.0.1"), 0});
    return socket.local_endpoint().port();
}

unsigned short FreeTcpPort()
{
    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor(io, {boost::asio::ip::make_address("127.0.0.1"), 0});
    return acceptor.local_endpoint().port();
}
