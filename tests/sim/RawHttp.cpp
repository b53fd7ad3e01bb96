#include "RawHttp.hpp"

#include <curl/curl.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>
#include <stdexcept>

namespace SimTest {

namespace {

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* target)
{
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

std::size_t Header(char* data, std::size_t size, std::size_t count, void* target)
{
    std::string line(data, size * count);
    const std::string name = "www-authenticate:";
    if (line.size() > name.size()) {
        std::string head = line.substr(0, name.size());
        for (char& c : head) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (head == name) *static_cast<std::string*>(target) = line.substr(name.size());
    }
    return size * count;
}

const xmlNode* Find(const xmlNode* node, const std::string& name)
{
    for (; node; node = node->next) {
        if (node->type == XML_ELEMENT_NODE && name == reinterpret_cast<const char*>(node->name)) return node;
        if (const xmlNode* inner = Find(node->children, name)) return inner;
    }
    return nullptr;
}

}  // namespace

Answer Fetch(const Call& call)
{
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), &curl_easy_cleanup);
    Answer answer;
    curl_slist* headers = nullptr;
    curl_easy_setopt(curl.get(), CURLOPT_URL, call.url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &answer.body);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERFUNCTION, Header);
    curl_easy_setopt(curl.get(), CURLOPT_HEADERDATA, &answer.wwwAuthenticate);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, 10000L);
    curl_easy_setopt(curl.get(), CURLOPT_NOPROXY, "*");
    // The machine's certificate is self-signed.
    curl_easy_setopt(curl.get(), CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl.get(), CURLOPT_SSL_VERIFYHOST, 0L);
    if (!call.post.empty()) {
        headers = curl_slist_append(headers, "Content-Type: text/xml");
        curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, call.post.c_str());
    }
    if (!call.user.empty()) {
        curl_easy_setopt(curl.get(), CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
        curl_easy_setopt(curl.get(), CURLOPT_USERNAME, call.user.c_str());
        curl_easy_setopt(curl.get(), CURLOPT_PASSWORD, call.password.c_str());
    }
    CURLcode rc = curl_easy_perform(curl.get());
    curl_slist_free_all(headers);
    if (rc != CURLE_OK) throw std::runtime_error(std::string("curl: ") + curl_easy_strerror(rc));
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &answer.status);
    char* type = nullptr;
    curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_TYPE, &type);
    if (type) answer.contentType = type;
    return answer;
}

Answer Command(int port, const std::string& body, bool https)
{
    return Fetch({std::string(https ? "https" : "http") + "://127.0.0.1:" + std::to_string(port) + "/vozoz", body});
}

std::string FirstText(const std::string& xml, const std::string& name)
{
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "answer.xml", nullptr,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING),
        &xmlFreeDoc);
    if (!doc) return "(not xml)";
    const xmlNode* node = Find(xmlDocGetRootElement(doc.get()), name);
    if (!node) return "(none)";
    xmlChar* text = xmlNodeGetContent(node);
    std::string result = reinterpret_cast<const char*>(text);
    xmlFree(text);
    return result;
}

}  // namespace SimTest
