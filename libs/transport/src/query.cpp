// URL query parameters: kept in order, percent-encoded when serialised.

#include "document_impl.hpp"

#include <algorithm>
#include <cerrno>

namespace transport {

namespace {

// Everything but the unreserved characters of a URI is percent-encoded.
void AppendEncoded(std::string& out, const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    for (unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
            c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
}

}  // namespace

bool AddQueryParameter(Document* document, const char* key, const char* value)
{
    if (!document) return false;
    if (!key || !value) {
        document->lastError = EINVAL;
        return false;
    }
    document->params.emplace_back(key, value);
    return true;
}

bool SerializeQuery(Document* document)
{
    if (!document) return false;
    std::string text;
    for (const auto& [key, value] : document->params) {
        if (!text.empty()) text += '&';
        AppendEncoded(text, key);
        text += '=';
        AppendEncoded(text, value);
    }
    document->queryText = std::move(text);
    return true;
}

std::size_t QueryTextLength(const Document* document) { return document ? document->queryText.size() : 0; }

bool CopyQueryText(const Document* document, char* buffer, std::size_t length, std::size_t* copied)
{
    if (!document || (!buffer && length > 0)) return false;
    const std::size_t count = std::min(length, document->queryText.size());
    std::copy_n(document->queryText.data(), count, buffer);
    if (copied) *copied = count;
    return true;
}

}  // namespace transport
