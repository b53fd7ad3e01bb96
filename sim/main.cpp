// quillhaven-sim: a simulated Quillhaven machine on 127.0.0.1 that a person can run
// and watch. Every answered request and every signal sent prints one line.

#include "QuillhavenSim/Control.hpp"
#include "QuillhavenSim/Machine.hpp"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read_until.hpp>
#include <boost/asio/streambuf.hpp>
#include <boost/asio/write.hpp>
#include <boost/program_options.hpp>

#include <sys/socket.h>

#include <csignal>
#include <condition_variable>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>

namespace po = boost::program_options;
namespace asio = boost::asio;
using QuillhavenSim::ExecuteControl;
using QuillhavenSim::Machine;

namespace {

std::mutex outputMutex;
std::mutex quitMutex;
std::condition_variable quitCondition;
bool quitRequested = false;

void Print(const std::string& text)
{
    std::lock_guard lock(outputMutex);
    std::cout << text;
    if (!text.empty() && text.back() != '\n') std::cout << '\n';
    std::cout.flush();
}

void RequestQuit()
{
    std::lock_guard lock(quitMutex);
    quitRequested = true;
    quitCondition.notify_all();
}

void ServeStandardInput(Machine& machine)
{
    for (std::string line; std::getline(std::cin, line);) {
        auto answer = ExecuteControl(machine, line);
        Print(answer.text);
        if (answer.quit) return RequestQuit();
    }
    // Without standard input the machine keeps running until it is told to stop.
}

void ServeControlClient(Machine& machine, asio::ip::tcp::socket socket)
{
    boost::system::error_code ec;
    asio::streambuf buffer(64 * 1024);
    for (;;) {
        asio::read_until(socket, buffer, '\n', ec);
        if (ec) return;
        std::istream in(&buffer);
        std::string line;
        std::getline(in, line);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        Print("CONTROL " + line);
        auto answer = ExecuteControl(machine, line);
        asio::write(socket, asio::buffer(answer.text), ec);
        if (answer.quit) return RequestQuit();
        if (ec) return;
    }
}

void ServeControlPort(Machine& machine, asio::ip::tcp::acceptor& acceptor)
{
    for (;;) {
        boost::system::error_code ec;
        asio::ip::tcp::socket socket(acceptor.get_executor());
        acceptor.accept(socket, ec);
        if (ec) return;
        std::thread(ServeControlClient, std::ref(machine), std::move(socket)).detach();
    }
}

}  // namespace

int main(int argc, char** argv)
{
    int httpPort = 0, httpsPort = 0, prepare = 0, feedCapacity = 100;
    std::optional<int> controlPort;
    std::vector<std::string> users;
    po::options_description options("quillhaven-sim options");
    options.add_options()("help,h", "show this help")
        ("http-port", po::value(&httpPort)->default_value(0), "HTTP port on 127.0.0.1 (0: pick a free one)")
        ("https-port", po::value(&httpsPort)->default_value(0), "HTTPS port on 127.0.0.1 (0: pick a free one)")
        ("control-port", po::value<int>(), "also take commands on this TCP port of 127.0.0.1 (0: pick one)")
        ("shift-jis", "serve the RSS feeds in Shift_JIS")
        ("feed-capacity", po::value(&feedCapacity)->default_value(100), "items a feed keeps (at least 1)")
        ("user", po::value(&users), "add a user: id:password[:display name] (repeatable)")
        ("prepare", po::value(&prepare)->default_value(0), "403 answers of the download preparation stage");
    po::variables_map vm;
    try {
        po::store(po::parse_command_line(argc, argv, options), vm);
        po::notify(vm);
        if (vm.count("control-port")) controlPort = vm["control-port"].as<int>();
    } catch (const std::exception& e) {
        std::cerr << "quillhaven-sim: " << e.what() << "\n" << options;
        return 2;
    }
    if (vm.count("help")) {
        std::cout << options << "\n" << QuillhavenSim::ControlHelp();
        return 0;
    }
    auto port = [](int p) { return p >= 0 && p <= 65535; };
    if (!port(httpPort) || !port(httpsPort) || (controlPort && !port(*controlPort))) {
        std::cerr << "quillhaven-sim: ports are 0 to 65535\n";
        return 2;
    }

    // Signals are taken by one thread only, so that stopping is orderly.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    try {
        QuillhavenSim::Options machineOptions;
        machineOptions.httpPort = static_cast<std::uint16_t>(httpPort);
        machineOptions.httpsPort = static_cast<std::uint16_t>(httpsPort);
        machineOptions.shiftJisFeed = vm.count("shift-jis") > 0;
        machineOptions.feedCapacity = static_cast<std::size_t>(feedCapacity < 1 ? 1 : feedCapacity);
        machineOptions.watch = Print;
        Machine machine(machineOptions);
        machine.SetPreparationCount(prepare);
        for (const std::string& account : users) {
            auto first = account.find(':');
            if (first == std::string::npos) throw std::invalid_argument("--user wants id:password[:display name]");
            auto second = account.find(':', first + 1);
            std::string id = account.substr(0, first);
            std::string password = account.substr(first + 1, second == std::string::npos ? second : second - first - 1);
            std::string display = second == std::string::npos ? id : account.substr(second + 1);
            machine.AddUser(id, password, display);
        }
        Print("HTTP port " + std::to_string(machine.HttpPort()));
        Print("HTTPS port " + std::to_string(machine.HttpsPort()));

        asio::io_context controlIo;
        asio::ip::tcp::acceptor acceptor(controlIo);
        std::thread controlThread;
        if (controlPort) {
            asio::ip::tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"),
                                             static_cast<unsigned short>(*controlPort));
            acceptor.open(endpoint.protocol());
            acceptor.set_option(asio::socket_base::reuse_address(true));
            acceptor.bind(endpoint);
            acceptor.listen();
            Print("control port " + std::to_string(acceptor.local_endpoint().port()));
            controlThread = std::thread(ServeControlPort, std::ref(machine), std::ref(acceptor));
        }
        Print("ready; type help for commands");

        std::thread(ServeStandardInput, std::ref(machine)).detach();
        std::thread([&stopSignals] {
            int signal = 0;
            sigwait(&stopSignals, &signal);
            RequestQuit();
        }).detach();

        {
            std::unique_lock lock(quitMutex);
            quitCondition.wait(lock, [] { return quitRequested; });
        }
        if (controlThread.joinable()) {
            // Shutting the listening socket down wakes the blocking accept.
            ::shutdown(acceptor.native_handle(), SHUT_RDWR);
            controlThread.join();
        }
        machine.Stop();
        Print("stopped");
    } catch (const std::exception& e) {
        std::cerr << "quillhaven-sim: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
