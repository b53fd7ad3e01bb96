#pragma once
// Plain libcurl requests to the simulated machine, independent of the notifier's own
// transport, so that the machine is checked on its own terms.

#include <string>

namespace SimTest {

struct Answer {
    long status = 0;
    std::string contentType;
    std::string body;
    std::string wwwAuthenticate;
};

struct Call {
    std::string url = {};
    std::string post = {};   // non-empty: POST this body as text/xml
    std::string user = {};   // non-empty: send HTTP Basic credentials
    std::string password = {};
};

Answer Fetch(const Call& call);

// POST an XML command to http://127.0.0.1:<port>/vozoz and return the answer.
Answer Command(int port, const std::string& body, bool https = false);

// The text of the first element of that name in an XML answer, or "(none)".
std::string FirstText(const std::string& xml, const std::string& name);

}  // namespace SimTest
