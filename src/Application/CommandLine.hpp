#pragma once
// The command line: which run mode, and the values that describe the entry an
// installer creates.

#include <boost/optional.hpp>

#include <string>
#include <vector>

struct CommandLine {
    bool install = false;
    bool uninstall = false;
    // Read only with "install"; otherwise accepted and ignored.
    boost::optional<std::string> machineName;
    boost::optional<std::string> host;
    boost::optional<int> http;
    boost::optional<int> https;
    boost::optional<std::string> userName;
    boost::optional<std::string> accountId;
    boost::optional<std::string> password;
};

/// Parses the words after the program name. An unknown option, a value option without
/// a value, a non-integer port or a stray word throws the options library's error.
CommandLine ParseCommandLine(const std::vector<std::string>& words);
