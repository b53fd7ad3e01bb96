#include "Application/CommandLine.hpp"

#include <boost/program_options.hpp>

namespace po = boost::program_options;

namespace {

template <class T>
void take(const po::variables_map& map, const char* name, boost::optional<T>& target)
{
    if (map.count(name)) target = map[name].as<T>();
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& words)
{
    po::options_description options;
    options.add_options()
        ("install,i", "")
        ("uninstall,u", "")
        ("mname", po::value<std::string>(), "")
        ("host", po::value<std::string>(), "")
        ("http", po::value<int>(), "")
        ("https", po::value<int>(), "")
        ("uname", po::value<std::string>(), "")
        ("uid", po::value<std::string>(), "")
        ("upass", po::value<std::string>(), "")
        ("convert", "");

    po::variables_map map;
    // No positional words: a stray word is an error like an unknown option.
    po::positional_options_description noPositional;
    po::store(po::command_line_parser(words).options(options).positional(noPositional).run(), map);
    po::notify(map);

    CommandLine line;
    line.install = map.count("install") > 0;
    line.uninstall = map.count("uninstall") > 0;
    if (line.install) {
        take(map, "mname", line.machineName);
        take(map, "host", line.host);
        take(map, "http", line.http);
        take(map, "https", line.https);
        take(map, "uname", line.userName);
        take(map, "uid", line.accountId);
        take(map, "upass", line.password);
    }
    return line;
}
