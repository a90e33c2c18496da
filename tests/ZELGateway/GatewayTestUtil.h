// Shared helpers of the gateway tests: building request bodies, reading replies, private directories.
#pragma once

#include <string>
#include <utility>
#include <vector>

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

// A directory of its own under TMPDIR, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);

}  // namespace gwtest
