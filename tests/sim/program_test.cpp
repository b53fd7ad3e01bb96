// quillhaven-sim as a person runs it: ports printed at start, commands on standard
// input and on the control port, one line per answered request and per signal.

#include "RawHttp.hpp"

#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read_until.hpp>
#include <boost/asio/streambuf.hpp>
#include <boost/asio/write.hpp>

#include <gtest/gtest.h>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <vector>

extern char** environ;

namespace SimTest {
namespace {

namespace asio = boost::asio;

// The program with pipes to its standard input and output.
class Program {
public:
    explicit Program(std::vector<std::string> args)
    {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), QUILLHAVEN_SIM_BIN);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, QUILLHAVEN_SIM_BIN, &actions, nullptr, argv.data(), environ) != 0)
            throw std::runtime_error("spawn");
        posix_spawn_file_actions_destroy(&actions);
        close(in[0]);
        close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }

    ~Program()
    {
        if (input_ >= 0) close(input_);
        close(output_);
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }

    void Send(const std::string& line) { (void)!write(input_, (line + "\n").data(), line.size() + 1); }

    // Lines up to and including the first that contains `text`; empty if the output ends or stalls first.
    std::vector<std::string> ReadUntil(const std::string& text)
    {
        std::vector<std::string> lines;
        for (;;) {
            auto nl = pending_.find('\n');
            if (nl != std::string::npos) {
                lines.push_back(pending_.substr(0, nl));
                pending_.erase(0, nl + 1);
                if (lines.back().find(text) != std::string::npos) return lines;
                continue;
            }
            pollfd p{output_, POLLIN, 0};
            char buffer[4096];
            ssize_t n = 0;
            if (poll(&p, 1, 10000) != 1 || (n = read(output_, buffer, sizeof buffer)) <= 0) return {};
            pending_.append(buffer, static_cast<std::size_t>(n));
        }
    }

    int Wait()
    {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int input_ = -1, output_ = -1;
    std::string pending_;
};

int PortFrom(const std::vector<std::string>& lines, const std::string& prefix)
{
    for (const auto& line : lines)
        if (line.rfind(prefix, 0) == 0) return std::stoi(line.substr(prefix.size()));
    return -1;
}

std::string Control(int port, const std::string& line)
{
    asio::io_context io;
    asio::ip::tcp::socket socket(io);
    socket.connect({asio::ip::make_address("127.0.0.1"), static_cast<unsigned short>(port)});
    asio::write(socket, asio::buffer(line + "\n"));
    asio::streambuf buffer;
    asio::read_until(socket, buffer, '\n');
    std::string answer;
    std::getline(std::istream(&buffer) >> std::noskipws, answer);
    return answer;
}

TEST(Program, PrintsItsPortsTakesCommandsAndReportsEveryRequest)
{
    Program sim({"--control-port", "0", "--user", "alice:secret:Alice A", "--prepare", "1"});
    auto start = sim.ReadUntil("ready");
    ASSERT_FALSE(start.empty());
    const int http = PortFrom(start, "HTTP port ");
    const int https = PortFrom(start, "HTTPS port ");
    const int control = PortFrom(start, "control port ");
    ASSERT_GT(http, 0);
    ASSERT_GT(https, 0);
    ASSERT_GT(control, 0);

    Answer list = Command(http, "<REQUEST><COMMAND>GETUSERLIST</COMMAND></REQUEST>");
    EXPECT_EQ(FirstText(list.body, "DISPLAYNAME"), "Alice A");
    EXPECT_FALSE(sim.ReadUntil("POST /vozoz GETUSERLIST -> 200 SUCCESS").empty());

    EXPECT_EQ(Control(control, "scan alice"), "document 0001");
    EXPECT_FALSE(sim.ReadUntil("EVENT scan 0001 for alice").empty());
    EXPECT_EQ(Control(control, "bogus").rfind("error: unknown command", 0), 0u);

    // The preparation count from the command line holds.
    const std::string download =
        "http://127.0.0.1:" + std::to_string(http) + "/vozoz/norvane?NVF=1&DC=0001&UN=alice&QHR=0&IDR=2&UID=9";
    EXPECT_EQ(Fetch({download}).status, 403);
    EXPECT_EQ(Fetch({download}).status, 200);

    sim.Send("fault 500");
    EXPECT_FALSE(sim.ReadUntil("next 1 answer(s): 500").empty());
    EXPECT_EQ(Command(https, "<REQUEST><COMMAND>GETUSERLIST</COMMAND></REQUEST>", true).status, 500);

    sim.Send("quit");
    EXPECT_FALSE(sim.ReadUntil("stopped").empty());
    EXPECT_EQ(sim.Wait(), 0);
}

TEST(Program, ABadCommandLineIsRefused)
{
    for (auto args : std::vector<std::vector<std::string>>{{"--http-port", "70000"}, {"--user", "nopassword"},
                                                          {"--no-such-option"}}) {
        Program sim(args);
        EXPECT_EQ(sim.Wait(), args[0] == "--user" ? 1 : 2) << args[0];
    }
}

}  // namespace
}  // namespace SimTest
