// ZELRequestProbe: one gateway request from the command line, through the product's own transport, with
// the reply document, its errors and its messages printed. Exit code 0: the gateway answered with a
// document free of errors; 1: no usable answer, or the gateway refused; 2: bad usage.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "CATLib.h"
#include "CATListOfCATUnicodeString.h"
#include "CATRawCollint.h"
#include "CATUnicodeString.h"
#include "HtmlRequest.h"
#include "ZELRequestXml.h"

namespace {
const char kUsage[] =
    "usage: ZELRequestProbe [--url URL] <Function> [name=value ...] [--list name=a,b,c ...]\n"
    "       ZELRequestProbe --check [--url URL]\n"
    "       ZELRequestProbe --help\n"
    "\n"
    "Sends one request for the gateway function <Function> with the attributes in the order given and\n"
    "prints the reply document, then its errors and messages. A value is sent as written (\"@EOL@\"\n"
    "separates list items); --list joins comma-separated items into one list attribute. --check sends\n"
    "the connection probe. --url sets ZEL_SERVER_URL for this run; otherwise ZEL_SERVER_URL,\n"
    "ZEL_SERVERURL or the ServerUrl setting is used. ZEL_DEBUG=ON traces the exchange.\n"
    "\n"
    "exit codes: 0 answered without error, 1 no answer or the gateway refused, 2 bad usage\n";

struct Attribute {
  std::string name;
  std::string value;
  bool list;
};

struct Options {
  bool help = false;
  bool check = false;
  std::string url;
  bool hasUrl = false;
  std::string function;
  std::vector<Attribute> attributes;
};

int Usage(const std::string& problem) {
  std::cerr << "ZELRequestProbe: " << problem << "\n" << kUsage;
  return 2;
}

// Splits "name=value" at the first "="; the name may not be empty.
bool SplitAssignment(const std::string& text, Attribute& attribute) {
  const size_t equals = text.find('=');
  if (equals == std::string::npos || equals == 0) return false;
  attribute.name = text.substr(0, equals);
  attribute.value = text.substr(equals + 1);
  return true;
}

// An error text, or empty when the arguments are usable.
std::string Parse(int argc, char** argv, Options& options) {
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
      options.help = true;
    } else if (!optionsEnded && arg == "--check") {
      options.check = true;
    } else if (!optionsEnded && arg == "--url") {
      if (i + 1 >= argc) return "--url needs a value";
      options.url = argv[++i];
      options.hasUrl = true;
    } else if (!optionsEnded && arg == "--list") {
      Attribute attribute{"", "", true};
      if (i + 1 >= argc || !SplitAssignment(argv[++i], attribute)) return "--list needs name=a,b,c";
      options.attributes.push_back(attribute);
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else if (options.function.empty() && !options.check) {
      options.function = arg;
    } else {
      Attribute attribute{"", "", false};
      if (!SplitAssignment(arg, attribute)) return "attribute \"" + arg + "\" is not name=value";
      options.attributes.push_back(attribute);
    }
  }
  if (options.help) return "";
  if (options.check && (!options.function.empty() || !options.attributes.empty()))
    return "--check takes no function and no attributes";
  if (!options.check && options.function.empty()) return "no gateway function given";
  return "";
}

CATListValCATUnicodeString SplitItems(const std::string& text) {
  CATListValCATUnicodeString items;
  if (text.empty()) return items;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    items.Append(
        CATUnicodeString(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return items;
}

int Send(const Options& options) {
  ZELRequestXml request(options.function.c_str());
  for (const Attribute& attribute : options.attributes) {
    const long rc = attribute.list
                        ? request.AddRequestAttributeList(attribute.name.c_str(), SplitItems(attribute.value))
                        : request.AddRequestAttribute(attribute.name.c_str(), attribute.value.c_str());
    if (FAILED(rc)) {
      std::cerr << "ZELRequestProbe: the attribute \"" << attribute.name
                << "\" cannot be added to the request\n";
      return 1;
    }
  }
  ZELRequestXml response;
  if (FAILED(HtmlRequest::DoRequest(request, response))) {
    std::cerr
        << "ZELRequestProbe: no document came back from the gateway (ZEL_DEBUG=ON shows the exchange)\n";
    return 1;
  }
  CATUnicodeString text;
  if (SUCCEEDED(response.GetXml(text))) std::cout << text << "\n";

  unsigned char hasErrors = 0;
  CATRawCollint codes;
  CATListValCATUnicodeString texts;
  const long errorsRead = response.GetErrorsNLS(hasErrors, codes, texts);
  for (int i = 1; i <= codes.Size(); ++i)
    std::cout << "Error " << codes[i] << ": " << (i <= texts.Size() ? texts[i] : CATUnicodeString()) << "\n";
  CATRawCollint messageCodes;
  CATListValCATUnicodeString messageTexts;
  if (SUCCEEDED(response.GetMessagesNLS(messageCodes, messageTexts)))
    for (int i = 1; i <= messageCodes.Size(); ++i)
      std::cout << "Message " << messageCodes[i] << ": "
                << (i <= messageTexts.Size() ? messageTexts[i] : CATUnicodeString()) << "\n";
  std::cout << std::flush;

  if (hasErrors) return 1;
  if (FAILED(errorsRead)) {
    // Without "Response" and without root errors the reply says nothing about the function.
    std::cerr << "ZELRequestProbe: the reply has no Response element\n";
    return 1;
  }
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  Options options;
  const std::string problem = Parse(argc, argv, options);
  if (!problem.empty()) return Usage(problem);
  if (options.help) {
    std::cout << kUsage;
    return 0;
  }
  if (options.hasUrl && CATSetEnv("ZEL_SERVER_URL", options.url.c_str()) != CATLibSuccess)
    return Usage("cannot set ZEL_SERVER_URL");
  if (options.check) {
    const bool reached = SUCCEEDED(HtmlRequest::CheckServerConnection());
    std::cout << (reached ? "The gateway answers the connection probe.\n"
                          : "The gateway does not answer the connection probe.\n");
    return reached ? 0 : 1;
  }
  return Send(options);
}
