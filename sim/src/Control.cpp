#include "QuillhavenSim/Control.hpp"

#include <sstream>
#include <stdexcept>
#include <vector>

namespace QuillhavenSim {

namespace {

std::vector<std::string> Words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// The words from `first` on, joined by single spaces.
std::string Rest(const std::vector<std::string>& words, std::size_t first)
{
    std::string text;
    for (std::size_t i = first; i < words.size(); ++i) text += (text.empty() ? "" : " ") + words[i];
    return text;
}

int Number(const std::string& text)
{
    std::size_t used = 0;
    int value = std::stoi(text, &used);
    if (used != text.size()) throw std::invalid_argument("not a number: " + text);
    return value;
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        std::size_t bar = text.find('|', start);
        lines.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return lines;
}

FaultKind FaultNamed(const std::string& name)
{
    if (name == "busy") return FaultKind::Busy;
    if (name == "slow") return FaultKind::Slow;
    if (name == "wrong") return FaultKind::Wrong;
    if (name == "nonxml") return FaultKind::NonXml;
    if (name == "403") return FaultKind::Forbidden;
    if (name == "500") return FaultKind::Failure;
    throw std::invalid_argument("unknown fault: " + name);
}

std::string Status(Machine& machine)
{
    std::ostringstream out;
    out << "http " << machine.HttpPort() << " https " << machine.HttpsPort() << "\n";
    for (const Subscription& s : machine.Subscriptions())
        out << "subscription " << s.user << " " << s.address << ":" << s.listenPort << "\n";
    out << "requests " << machine.Requests().size() << " datagrams " << machine.Datagrams().size()
        << " preparation-refusals " << machine.PreparationRefusals() << " cancelled-downloads "
        << machine.CancelledDownloads() << "\n";
    return out.str();
}

std::string Run(Machine& machine, const std::vector<std::string>& w)
{
    const std::string& c = w[0];
    auto need = [&](std::size_t n) {
        if (w.size() < n) throw std::invalid_argument("missing arguments; try help");
    };
    if (c == "help") return ControlHelp();
    if (c == "status") return Status(machine);
    if (c == "user") {
        need(3);
        if (w[1] == "add") {
            need(4);
            machine.AddUser(w[2], w[3], w.size() > 4 ? Rest(w, 4) : w[2]);
            return "user " + w[2] + " added\n";
        }
        if (w[1] == "remove") return machine.RemoveUser(w[2]) ? "user " + w[2] + " removed\n" : "no such user\n";
        throw std::invalid_argument("user add|remove");
    }
    if (c == "name") {
        need(2);
        machine.SetMachineName(Rest(w, 1));
        return "machine name set\n";
    }
    if (c == "policy") {
        need(2);
        machine.SetSecurityPolicy(Number(w[1]));
        return "security policy set\n";
    }
    if (c == "guest") {
        need(2);
        if (w[1] != "on" && w[1] != "off") throw std::invalid_argument("guest on|off");
        machine.SetGuestLogin(w[1] == "on");
        return "guest login " + w[1] + "\n";
    }
    if (c == "scan") {
        need(2);
        DocumentFormat format = DocumentFormat::Pdf;
        std::size_t titleAt = 2;
        if (w.size() > 2 && (w[2] == "pdf" || w[2] == "jpeg" || w[2] == "tiff")) {
            format = w[2] == "pdf" ? DocumentFormat::Pdf : w[2] == "jpeg" ? DocumentFormat::Jpeg : DocumentFormat::Tiff;
            titleAt = 3;
        }
        return "document " + machine.PublishScan(w[1], format, Rest(w, titleAt)) + "\n";
    }
    if (c == "fax") {
        need(2);
        return "document " + machine.PublishFax(w[1], Rest(w, 2)) + "\n";
    }
    if (c == "detail") {
        need(3);
        machine.PublishDetailList(w[1], {}, SplitLines(Rest(w, 2)));
        return "detail list published\n";
    }
    if (c == "notice") {
        need(4);
        return "notice " + machine.PublishNotice(w[1], Rest(w, 3), w[2]) + "\n";
    }
    if (c == "renotice") {
        need(5);
        return "notice " + machine.PublishNotice(w[1], Rest(w, 4), w[3], w[2]) + "\n";
    }
    if (c == "fault") {
        need(2);
        FaultKind kind = FaultNamed(w[1]);
        std::size_t countAt = 2;
        int delay = 0;
        if (kind == FaultKind::Slow) {
            need(3);
            delay = Number(w[2]);
            countAt = 3;
        }
        int count = w.size() > countAt ? Number(w[countAt]) : 1;
        machine.InjectFault(kind, count, delay);
        return "next " + std::to_string(count) + " answer(s): " + w[1] + "\n";
    }
    if (c == "prepare") {
        need(2);
        machine.SetPreparationCount(Number(w[1]));
        return "downloads answer 403 " + w[1] + " time(s) while preparing\n";
    }
    throw std::invalid_argument("unknown command: " + c + "; try help");
}

}  // namespace

const char* ControlHelp()
{
    return "commands:\n"
           "  user add <id> <password> [display name]   user remove <id>\n"
           "  name <machine name>   policy 1|2   guest on|off\n"
           "  scan <user> [pdf|jpeg|tiff] [title]   fax <user> [title]\n"
           "  detail <user> <line>[|<line>...]\n"
           "  notice <user> <status 0|1|2> <content>   renotice <user> <id> <status> <content>\n"
           "  fault busy|wrong|nonxml|403|500 [count]   fault slow <ms> [count]\n"
           "  prepare <refusals>   status   help   quit\n";
}

ControlAnswer ExecuteControl(Machine& machine, const std::string& line)
{
    const std::vector<std::string> words = Words(line);
    if (words.empty()) return {};
    if (words[0] == "quit" || words[0] == "exit") return {"bye\n", true};
    try {
        return {Run(machine, words), false};
    } catch (const std::exception& e) {
        return {std::string("error: ") + e.what() + "\n", false};
    }
}

}  // namespace QuillhavenSim
