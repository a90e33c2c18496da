// Codes, statuses and limits of the gateway's exchange. Clients read every code below 1000 as a
// communication failure and show the gateway's own text for codes of 1000 and above, so protocol faults stay
// below 1000 and PDM refusals start at 1000.
#pragma once

#include <cstddef>
#include <string_view>

namespace zelgw {

enum class ProtocolError : int {
  kNone = 0,
  kNotWellFormed = 101,        // the body is not a well-formed XML document
  kInvalidCharacters = 102,    // not UTF-8, or characters XML does not allow
  kDoctypeNotAccepted = 103,   // a document type declaration (and with it any entity definition)
  kWrongRoot = 104,            // the root element is not "ZEL"
  kMissingRequest = 105,       // no "Request" element, or more than one
  kMissingFunctionName = 106,  // "Request" without a non-empty "name"
  kUnknownFunction = 107,      // the gateway has no handler for the function
  kTooLarge = 108,             // the body, or its number of elements, is over the limit
  kMethodNotAllowed = 109,     // the gateway target answers POST only
  kBadHttpRequest = 110,       // the HTTP request itself could not be read
  kInternalError = 111,        // the function failed inside the gateway (its store, for example)
};

// First code of the refusals of PDM functions.
inline constexpr int kFirstFunctionErrorCode = 1000;

inline constexpr std::size_t kDefaultMaxBodyBytes = 16u * 1024u * 1024u;
// Bounds on the parsed tree: far above any real request, low enough that a hostile body cannot make the
// parser allocate many times its own size.
inline constexpr std::size_t kMaxElements = 100000;
inline constexpr std::size_t kMaxXmlAttributes = 400000;

inline constexpr std::string_view kXmlContentType = "application/xml; charset=utf-8";
inline constexpr std::string_view kTargetSuffix = "ZELRequest";

// HTTP status that goes with a protocol fault.
int HttpStatusFor(ProtocolError error);

}  // namespace zelgw
