#pragma once
// The transport library: XML documents (requests, answers, fragments), URL query
// parameters and HTTP(S) connections to a machine. Handles are opaque; every call
// on one handle comes from one thread at a time. Text is UTF-8.
//
// Failures are reported by result (false or null) and, for documents, by an error
// code read with LastError (errno values). No call throws.

#include <cstddef>
#include <optional>
#include <string>

namespace transport {

struct Document;
struct Element;
struct Connection;

/// The largest body or document the library accepts (64 MiB).
inline constexpr std::size_t MaxBodyBytes = std::size_t{64} << 20;

// ---- Documents ----------------------------------------------------------------

/// Makes a document over the tag table (element names, ended by a null pointer).
/// Element names map to their position in the table ignoring ASCII case; a name not
/// in the table gets the id one past the table's end. Null (errno set) on failure.
Document* CreateDocument(const char* const* tagTable);
void DestroyDocument(Document* document);
/// Empties the document: elements, query parameters and search state.
void ClearDocument(Document* document);
/// The error code of the last failed call on the document (0 when none failed).
int LastError(const Document* document);

/// Building a request: open an element (nested in the innermost open one), close
/// the innermost open element, add an element holding a text or decimal value.
bool OpenElement(Document* document, int tagId);
bool CloseElement(Document* document);
Element* AddTextElement(Document* document, int tagId, const char* text);
Element* AddDecimalElement(Document* document, int tagId, long value);
/// Mark 1 keeps the element's value out of every dump and error text; 0 clears it.
void SetProtectMark(Element* element, int mark);
/// The request as XML text (UTF-8, with declaration), protected values included:
/// this is what goes on the wire, nothing else may show it.
std::string SerializeRequest(const Document* document);
/// The document for diagnosis, with every protected value replaced by "********".
std::string Dump(const Document* document);

/// URL query parameters, kept in the order added.
bool AddQueryParameter(Document* document, const char* key, const char* value);
/// Builds the percent-encoded query text ("k=v&k2=v2", no leading "?").
bool SerializeQuery(Document* document);
/// Length of the text built by SerializeQuery (0 before).
std::size_t QueryTextLength(const Document* document);
/// Copies at most `length` bytes of that text; `copied` receives the count.
bool CopyQueryText(const Document* document, char* buffer, std::size_t length, std::size_t* copied);

/// Parses XML bytes into the document (replacing what it held). The bytes are
/// decoded from the encoding they declare; `encodingHint` (may be null) is used only
/// when they declare none. No network access, no DTD loading; a document that
/// declares entities is refused, so no entity is ever expanded.
bool ParseXml(Document* document, const char* bytes, std::size_t length,
              const char* encodingHint = nullptr);

/// First element of the tag id anywhere in the document (document order), or null.
Element* FindFirst(Document* document, int tagId);
/// The next element of the tag id after the one found last, or null.
Element* FindNext(Document* document, int tagId);

/// Navigation over element children only (text between elements is not a child).
Element* Parent(const Element* element);
Element* Child(const Element* element, int index);
int ChildCount(const Element* element);
/// The element's tag id (see CreateDocument).
int TagId(const Element* element);
/// The element's own text (its text and CDATA children joined). Empty for an empty
/// element; nothing for a null element or one holding only elements.
std::optional<std::string> Text(const Element* element);
/// The element's text as a decimal number (surrounding blanks allowed).
bool Decimal(const Element* element, long* value);
/// The attributes as written in the element's start tag: name="value" pairs
/// separated by single spaces. Nothing for a null element or one without attributes.
std::optional<std::string> AttributeText(const Element* element);

// ---- Connections --------------------------------------------------------------

/// Content type codes of an answer.
enum ContentTypeCode : int { TypeOther = 0, TypeXml = 2, TypeTiff = 5, TypePdf = 6, TypeJpeg = 7 };

/// Why the last call on a connection failed.
enum class ConnectionError : int {
    None = 0,
    InvalidArgument,  // bad port, path or handle
    ConnectFailed,    // the machine could not be reached
    Timeout,          // sending or receiving stalled past its timeout
    TooLarge,         // the answer exceeds MaxBodyBytes
    Transfer,         // any other failure of the exchange (TLS, protocol, reset)
    File,             // the body could not be written to the file
};

/// A connection to one host (name, IPv4 or IPv6 address). Null (errno set) on failure.
Connection* CreateConnection(const char* host);
void DestroyConnection(Connection* connection);
/// Talk HTTPS (on) or HTTP (off). The machine's certificate is not verified.
void UseSsl(Connection* connection, int on);
/// Connect timeout, retries after a failed connect, send and receive idle timeouts
/// (ms; 0 means no limit).
void SetTimeouts(Connection* connection, int connectMs, int retry, int sendMs, int recvMs);
/// Opens the connection to the port; the exchange itself happens in SendRequest.
bool Connect(Connection* connection, int port);
/// HTTP Basic credentials for the next request.
void SetCredentials(Connection* connection, const char* user, const char* password);
/// Sends a request to `path` and receives the whole answer. queryFlag 1: GET with the
/// document's query parameters (if any) as URL query; 0: POST of the document as XML.
bool SendRequest(Connection* connection, int queryFlag, const char* path, const Document* document);
int Status(const Connection* connection);
int ContentType(const Connection* connection);
std::size_t ContentLength(const Connection* connection);
bool ReadBody(Connection* connection, char* buffer, std::size_t length, std::size_t* count);
bool ReadBodyAsXml(Connection* connection, Document* document);
bool SaveBody(Connection* connection, const char* path);
/// Forgets the answer and the credentials of the request.
void EndRequest(Connection* connection);
void Disconnect(Connection* connection);
ConnectionError LastConnectionError(const Connection* connection);
/// A description of the last failure (never holds credentials or bodies).
std::string LastConnectionErrorText(const Connection* connection);

}  // namespace transport
