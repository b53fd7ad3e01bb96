#pragma once
// One HTTP request as the machine's services see it, and the answer they give.

#include <string>
#include <vector>
#include <utility>

namespace QuillhavenSim {

struct Request {
    std::string method;         // "GET", "POST", ...
    std::string target;         // path and query as sent
    std::string authorization;  // the Authorization header, empty if none
    std::string body;
    std::string peer;           // the client's address, textual
    bool peerIsLoopback = false;
};

struct Reply {
    int status = 200;
    std::string contentType;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    int delayMs = 0;            // hold the answer back this long
    std::string command;        // for the request log: the XML command answered
    std::string result;         // for the request log: the RESULT text answered
    std::string user;           // for the request log: the user of the credentials
};

inline const char* XmlContentType() { return "text/xml; charset=UTF-8"; }

Reply TextReply(int status, const std::string& text);

}  // namespace QuillhavenSim
