#include "SeededGateway.h"

#include <regex>

namespace zeltest {

SeededGateway::SeededGateway(std::string_view prefix)
    : dir_(prefix),
      process_({RuntimeProgram("ZELGateway").string(), "--port", "0", "--store",
                (dir_.Path() / "pdm.db").string(), "--seed", "--log",
                (dir_.Path() / "gateway.log").string()}) {
  static const std::regex listening("ZELGateway listening on http://127\\.0\\.0\\.1:([0-9]+)/ZELRequest");
  for (std::optional<std::string> line; (line = process_.ReadLine(std::chrono::seconds(60)));) {
    std::smatch match;
    if (std::regex_search(*line, match, listening)) {
      port_ = std::stoi(match[1].str());
      break;
    }
  }
}

std::string SeededGateway::Url() const {
  return port_ ? "http://127.0.0.1:" + std::to_string(port_) + "/" : std::string();
}

}  // namespace zeltest
