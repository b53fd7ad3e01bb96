// XML documents over libxml2: building requests, parsing answers, searching them.

#include "document_impl.hpp"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlsave.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace transport {

namespace {

// Per-node bookkeeping lives in the node's private pointer: the low bits hold the
// tag id + 1 once it is known, one bit the protect mark.
constexpr std::uintptr_t kIdMask = 0xFFFF;
constexpr std::uintptr_t kProtectedBit = 0x10000;

std::uintptr_t Bits(const xmlNode* node) { return reinterpret_cast<std::uintptr_t>(node->_private); }
void SetBits(xmlNode* node, std::uintptr_t bits) { node->_private = reinterpret_cast<void*>(bits); }

xmlNodePtr AsNode(const Element* element) { return reinterpret_cast<xmlNodePtr>(const_cast<Element*>(element)); }
Element* AsElement(xmlNodePtr node) { return reinterpret_cast<Element*>(node); }

std::string Upper(const char* text)
{
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return result;
}

Document* Owner(const xmlNode* node) { return node->doc ? static_cast<Document*>(node->doc->_private) : nullptr; }

bool Fail(Document* document, int code)
{
    document->lastError = code;
    return false;
}

// Next element after `node` in document order (pre-order walk over elements).
xmlNodePtr NextInOrder(xmlNodePtr node)
{
    if (xmlNodePtr child = xmlFirstElementChild(node)) return child;
    while (node) {
        if (xmlNodePtr sibling = xmlNextElementSibling(node)) return sibling;
        node = node->parent;
        if (node && node->type != XML_ELEMENT_NODE) return nullptr;
    }
    return nullptr;
}

xmlNodePtr FindFrom(xmlNodePtr node, int tagId)
{
    for (; node; node = NextInOrder(node)) {
        if (TagId(AsElement(node)) == tagId) return node;
    }
    return nullptr;
}

bool ValidId(const Document* document, int tagId)
{
    return tagId >= 0 && static_cast<std::size_t>(tagId) < document->tags.size();
}

xmlNodePtr NewElement(Document* document, int tagId)
{
    if (!document->doc) {
        document->doc = xmlNewDoc(BAD_CAST "1.0");
        if (!document->doc) return nullptr;
        document->doc->_private = document;
    }
    xmlNodePtr node = xmlNewDocNode(document->doc, nullptr, BAD_CAST document->tags[tagId].c_str(), nullptr);
    if (!node) return nullptr;
    SetBits(node, static_cast<std::uintptr_t>(tagId) + 1);
    document->cursors.clear();
    if (document->open) {
        xmlAddChild(document->open, node);
    } else if (!xmlDocGetRootElement(document->doc)) {
        xmlDocSetRootElement(document->doc, node);
    } else {
        xmlFreeNode(node);  // a second root element
        return nullptr;
    }
    return node;
}

Element* AddValueElement(Document* document, int tagId, const char* text)
{
    if (!ValidId(document, tagId) || !text) {
        Fail(document, EINVAL);
        return nullptr;
    }
    xmlNodePtr node = NewElement(document, tagId);
    if (!node) {
        Fail(document, document->doc && xmlDocGetRootElement(document->doc) ? EINVAL : ENOMEM);
        return nullptr;
    }
    // Stored as a text node so that the value is escaped when written.
    xmlNodePtr textNode = xmlNewDocText(document->doc, BAD_CAST text);
    if (!textNode) {
        Fail(document, ENOMEM);
        return nullptr;
    }
    xmlAddChild(node, textNode);
    return AsElement(node);
}

void DumpNode(const xmlNode* node, std::string& out)
{
    if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE) {
        xmlChar* escaped = xmlEncodeSpecialChars(node->doc, node->content);
        out += reinterpret_cast<const char*>(escaped);
        xmlFree(escaped);
        return;
    }
    if (node->type != XML_ELEMENT_NODE) return;
    out += '<';
    out += reinterpret_cast<const char*>(node->name);
    if (auto attributes = AttributeText(AsElement(const_cast<xmlNode*>(node)))) {
        out += ' ';
        out += *attributes;
    }
    out += '>';
    if (Bits(node) & kProtectedBit) {
        out += "********";
    } else {
        for (const xmlNode* child = node->children; child; child = child->next) DumpNode(child, out);
    }
    out += "</";
    out += reinterpret_cast<const char*>(node->name);
    out += '>';
}

// Answers never need entity declarations; refusing them keeps every expansion
// (and with it every "billion laughs" document) out.
void RefuseEntityDeclaration(void* context, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*)
{
    auto* parser = static_cast<xmlParserCtxtPtr>(context);
    parser->errNo = XML_ERR_ENTITY_LOOP;
    xmlStopParser(parser);
}

bool DeclaresEncoding(const char* bytes, std::size_t length)
{
    if (length >= 2 && ((bytes[0] == '\xFE' && bytes[1] == '\xFF') || (bytes[0] == '\xFF' && bytes[1] == '\xFE')))
        return true;
    if (length >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) return true;
    if (length < 5 || std::memcmp(bytes, "<?xml", 5) != 0) return false;
    const void* end = std::memchr(bytes, '>', std::min<std::size_t>(length, 256));
    std::string declaration(bytes, end ? static_cast<const char*>(end) - bytes : std::min<std::size_t>(length, 256));
    return declaration.find("encoding") != std::string::npos;
}

}  // namespace

namespace detail {
void InitXml()
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}
}  // namespace detail

Document::~Document() { Reset(); }

void Document::Reset()
{
    if (doc) xmlFreeDoc(doc);
    doc = nullptr;
    open = nullptr;
    lastFound = nullptr;
    cursors.clear();
    params.clear();
    queryText.clear();
}

int Document::IdOf(const xmlChar* name) const
{
    auto it = idByName.find(Upper(reinterpret_cast<const char*>(name)));
    return it == idByName.end() ? static_cast<int>(tags.size()) : it->second;
}

Document* CreateDocument(const char* const* tagTable)
{
    if (!tagTable) {
        errno = EINVAL;
        return nullptr;
    }
    detail::InitXml();
    auto* document = new (std::nothrow) Document;
    if (!document) {
        errno = ENOMEM;
        return nullptr;
    }
    for (const char* const* name = tagTable; *name; ++name) {
        document->idByName.emplace(Upper(*name), static_cast<int>(document->tags.size()));
        document->tags.emplace_back(*name);
    }
    return document;
}

void DestroyDocument(Document* document) { delete document; }

void ClearDocument(Document* document)
{
    if (!document) return;
    document->Reset();
    document->lastError = 0;
}

int LastError(const Document* document) { return document ? document->lastError : EINVAL; }

bool OpenElement(Document* document, int tagId)
{
    if (!document) return false;
    if (!ValidId(document, tagId)) return Fail(document, EINVAL);
    xmlNodePtr node = NewElement(document, tagId);
    if (!node) return Fail(document, EINVAL);
    document->open = node;
    return true;
}

bool CloseElement(Document* document)
{
    if (!document) return false;
    if (!document->open) return Fail(document, EINVAL);
    xmlNodePtr parent = document->open->parent;
    document->open = parent && parent->type == XML_ELEMENT_NODE ? parent : nullptr;
    return true;
}

Element* AddTextElement(Document* document, int tagId, const char* text)
{
    return document ? AddValueElement(document, tagId, text) : nullptr;
}

Element* AddDecimalElement(Document* document, int tagId, long value)
{
    return document ? AddValueElement(document, tagId, std::to_string(value).c_str()) : nullptr;
}

void SetProtectMark(Element* element, int mark)
{
    if (!element) return;
    xmlNodePtr node = AsNode(element);
    SetBits(node, mark ? (Bits(node) | kProtectedBit) : (Bits(node) & ~kProtectedBit));
}

std::string SerializeRequest(const Document* document)
{
    if (!document || !document->doc) return {};
    xmlChar* text = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(document->doc, &text, &size, "UTF-8");
    std::string result(reinterpret_cast<const char*>(text), text ? static_cast<std::size_t>(size) : 0);
    xmlFree(text);
    return result;
}

std::string Dump(const Document* document)
{
    std::string out;
    if (!document || !document->doc) return out;
    if (xmlNodePtr root = xmlDocGetRootElement(document->doc)) DumpNode(root, out);
    return out;
}

bool ParseXml(Document* document, const char* bytes, std::size_t length, const char* encodingHint)
{
    if (!document) return false;
    document->Reset();
    if (!bytes || length == 0) return Fail(document, EINVAL);
    if (length > MaxBodyBytes || length > static_cast<std::size_t>(INT_MAX)) return Fail(document, EFBIG);
    detail::InitXml();

    xmlParserCtxtPtr parser = xmlNewParserCtxt();
    if (!parser) return Fail(document, ENOMEM);
    parser->sax->entityDecl = RefuseEntityDeclaration;
    const char* encoding = encodingHint && *encodingHint && !DeclaresEncoding(bytes, length) ? encodingHint : nullptr;
    xmlDocPtr doc = xmlCtxtReadMemory(parser, bytes, static_cast<int>(length), nullptr, encoding,
                                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    const bool wellFormed = parser->wellFormed && doc && xmlDocGetRootElement(doc);
    xmlFreeParserCtxt(parser);
    if (!wellFormed) {
        if (doc) xmlFreeDoc(doc);
        return Fail(document, EBADMSG);
    }
    doc->_private = document;
    document->doc = doc;
    document->lastError = 0;
    return true;
}

Element* FindFirst(Document* document, int tagId)
{
    if (!document) return nullptr;
    document->lastFound = document->doc ? FindFrom(xmlDocGetRootElement(document->doc), tagId) : nullptr;
    return AsElement(document->lastFound);
}

Element* FindNext(Document* document, int tagId)
{
    if (!document || !document->lastFound) return nullptr;
    document->lastFound = FindFrom(NextInOrder(document->lastFound), tagId);
    return AsElement(document->lastFound);
}

Element* Parent(const Element* element)
{
    if (!element) return nullptr;
    xmlNodePtr parent = AsNode(element)->parent;
    return parent && parent->type == XML_ELEMENT_NODE ? AsElement(parent) : nullptr;
}

Element* Child(const Element* element, int index)
{
    if (!element || index < 0) return nullptr;
    xmlNodePtr parent = AsNode(element);
    Document* document = Owner(parent);
    if (!document) {
        xmlNodePtr child = xmlFirstElementChild(parent);
        for (; child && index > 0; --index) child = xmlNextElementSibling(child);
        return AsElement(child);
    }
    Document::Cursor& cursor = document->cursors[parent];
    int at = 0;
    xmlNodePtr child = nullptr;
    if (cursor.child && cursor.index <= index) {
        at = cursor.index;
        child = cursor.child;
    } else {
        child = xmlFirstElementChild(parent);
    }
    for (; child && at < index; ++at) child = xmlNextElementSibling(child);
    if (child) {
        cursor.index = at;
        cursor.child = child;
    }
    return AsElement(child);
}

int ChildCount(const Element* element)
{
    if (!element) return 0;
    xmlNodePtr parent = AsNode(element);
    Document* document = Owner(parent);
    if (!document) return static_cast<int>(xmlChildElementCount(parent));
    Document::Cursor& cursor = document->cursors[parent];
    if (cursor.count < 0) cursor.count = static_cast<int>(xmlChildElementCount(parent));
    return cursor.count;
}

int TagId(const Element* element)
{
    if (!element) return -1;
    xmlNodePtr node = AsNode(element);
    if (std::uintptr_t known = Bits(node) & kIdMask) return static_cast<int>(known - 1);
    const Document* document = Owner(node);
    if (!document) return -1;
    const int id = document->IdOf(node->name);
    SetBits(node, (Bits(node) & ~kIdMask) | (static_cast<std::uintptr_t>(id) + 1));
    return id;
}

std::optional<std::string> Text(const Element* element)
{
    if (!element) return std::nullopt;
    std::string text;
    bool hasText = false;
    bool hasElements = false;
    for (xmlNodePtr child = AsNode(element)->children; child; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            hasText = true;
            if (child->content) text += reinterpret_cast<const char*>(child->content);
        } else if (child->type == XML_ELEMENT_NODE) {
            hasElements = true;
        }
    }
    if (!hasText && hasElements) return std::nullopt;
    return text;
}

bool Decimal(const Element* element, long* value)
{
    auto text = Text(element);
    if (!text || !value) return false;
    const char* begin = text->c_str();
    while (*begin == ' ' || *begin == '\t' || *begin == '\r' || *begin == '\n') ++begin;
    if (*begin == '\0') return false;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(begin, &end, 10);
    if (errno == ERANGE || end == begin) return false;
    while (*end == ' ' || *end == '\t' || *end == '\r' || *end == '\n') ++end;
    if (*end != '\0') return false;
    *value = parsed;
    return true;
}

std::optional<std::string> AttributeText(const Element* element)
{
    if (!element) return std::nullopt;
    xmlNodePtr node = AsNode(element);
    if (!node->properties) return std::nullopt;
    std::string text;
    for (xmlAttrPtr attribute = node->properties; attribute; attribute = attribute->next) {
        if (!text.empty()) text += ' ';
        if (attribute->ns && attribute->ns->prefix) {
            text += reinterpret_cast<const char*>(attribute->ns->prefix);
            text += ':';
        }
        text += reinterpret_cast<const char*>(attribute->name);
        text += "=\"";
        xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNodePtr>(attribute));
        for (const char* c = value ? reinterpret_cast<const char*>(value) : ""; *c; ++c) {
            if (*c == '"') text += "&quot;";
            else text += *c;
        }
        xmlFree(value);
        text += '"';
    }
    return text;
}

}  // namespace transport
