// Shared helpers of the gateway tests: building request bodies and reading replies.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "ZELTestSupport.h"
#include "zelgw/Request.h"

namespace gwtest {

using Attributes = std::vector<std::pair<std::string, std::string>>;

// A request document as clients write it; pugixml does the escaping.
std::string RequestBody(const std::string& function, const std::string& id,
                        const Attributes& attributes = {});

struct CodedText {
  int code = 0;
  std::string text;
};

// A reply document read back with a strict eye: parsed is false when it is not well-formed.
struct ReadReply {
  bool parsed = false;
  std::string root;
  std::vector<CodedText> rootErrors;
  bool hasResponse = false;
  std::string responseId;
  Attributes attributes;
  std::vector<std::vector<zelgw::ListItem>> items;  // per attribute, its child items
  std::vector<CodedText> errors;
  std::vector<CodedText> messages;
};

ReadReply ParseReply(const std::string& body);

// The shared temporary directory, with file names as the gateway's interfaces take them.
class TempDir : public zeltest::TempDir {
 public:
  TempDir() : zeltest::TempDir("zelgw") {}
  std::string File(const std::string& name) const { return (Path() / name).string(); }
};

using zeltest::ReadFile;

}  // namespace gwtest
