// ZELRequestXml against the same work done directly with pugixml, measured in the same run.
//
// Cases:
//   BM_Request_ZEL / BM_Request_Pugixml: build a typical request (function name, id, 8 attributes, one list
//   of
//     20 items joined with "@EOL@") and serialise it compactly.
//   BM_Reply_ZEL / BM_Reply_Pugixml: parse a typical reply (10 attributes, a list in child form, an error, a
//     message) and read all of it (the attributes, the list with its default flags, errors, messages).
// How to read it: the *_Pugixml rows are the baseline; the counter "x_pugixml" on each *_ZEL row is the
// ratio (ZELRequestXml time / pugixml time) measured side by side right after the timed loop, so it is
// not skewed by frequency changes between rows. The difference is the price of the platform interfaces:
// UTF-16 texts, reference-counted handlers, the well-formedness checks and XPath-based reads.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <pugixml.hpp>
#include <string>

#include "CATLib.h"
#include "ZELRequestXml.h"

namespace {

const char* const kNames[8] = {"User", "Password", "Group", "Role", "Locale", "ItemId", "Revision", "Type"};

std::string ListItem(int i) {
  return "Item-" + std::to_string(1000 + i);
}

void RequestZEL() {
  ZELRequestXml request("QueryItemRevision");
  for (int i = 0; i < 8; ++i)
    request.AddRequestAttribute(kNames[i], CATUnicodeString("value of " + std::to_string(i)));
  CATListValCATUnicodeString items;
  for (int i = 0; i < 20; ++i) items.Append(CATUnicodeString(ListItem(i)));
  request.AddRequestAttributeList("Items", items);
  CATUnicodeString text;
  request.GetXml(text);
  benchmark::DoNotOptimize(text);
}

int g_pugiCounter = 0;

struct StringWriter : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
};

void RequestPugixml() {
  pugi::xml_document doc;
  pugi::xml_node request = doc.append_child("ZEL").append_child("Request");
  request.append_attribute("name") = "QueryItemRevision";
  std::string id = std::to_string(getpid()) + "_" + std::to_string(g_pugiCounter++);
  request.append_attribute("id") = id.c_str();
  for (int i = 0; i < 8; ++i) {
    pugi::xml_node a = request.append_child("Attribute");
    a.append_attribute("name") = kNames[i];
    a.append_attribute("value") = ("value of " + std::to_string(i)).c_str();
  }
  std::string joined;
  for (int i = 0; i < 20; ++i) {
    if (i) joined += "@EOL@";
    joined += ListItem(i);
  }
  pugi::xml_node list = request.append_child("Attribute");
  list.append_attribute("name") = "Items";
  list.append_attribute("value") = joined.c_str();
  StringWriter writer;
  doc.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
  benchmark::DoNotOptimize(writer.text);
}

std::string ReplyText() {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><ZEL><Response id=\"4711_0\">";
  for (int i = 0; i < 10; ++i)
    text += "<Attribute name=\"Attr" + std::to_string(i) + "\" value=\"value number " + std::to_string(i) +
            "\"/>";
  text += "<Attribute name=\"Choice\" value=\"\">";
  for (int i = 0; i < 5; ++i)
    text += std::string("<Item value=\"choice ") + std::to_string(i) + "\"" +
            (i == 2 ? " default=\"true\"" : "") + "/>";
  text += "</Attribute><Error code=\"1234\">Item not found</Error><Message code=\"7\">Query done</Message>";
  text += "</Response></ZEL>";
  return text;
}

const std::string kReplyUtf8 = ReplyText();
const CATUnicodeString kReply(kReplyUtf8);

void ReplyZEL() {
  ZELRequestXml reply;
  reply.ReadXmlString(kReply);
  CATUnicodeString value;
  for (int i = 0; i < 10; ++i)
    reply.GetResponseAttribute(CATUnicodeString("Attr" + std::to_string(i)), value);
  CATListValCATUnicodeString values;
  CATRawCollint flags;
  reply.GetResponseAttributeList("Choice", values, &flags);
  unsigned char hasErrors = 0;
  CATRawCollint codes, messageCodes;
  CATListValCATUnicodeString texts, messageTexts;
  reply.GetErrors(hasErrors, &codes, &texts);
  reply.GetMessages(messageCodes, messageTexts);
  benchmark::DoNotOptimize(values);
  benchmark::DoNotOptimize(texts);
}

void ReplyPugixml() {
  pugi::xml_document doc;
  doc.load_buffer(kReplyUtf8.data(), kReplyUtf8.size());
  pugi::xml_node response = doc.select_node("/*/Response").node();
  std::string value;
  for (int i = 0; i < 10; ++i) {
    std::string name = "Attr" + std::to_string(i);
    value = response.find_child_by_attribute("name", name.c_str()).attribute("value").value();
  }
  std::vector<std::string> values;
  std::vector<int> flags;
  pugi::xml_node choice = response.find_child_by_attribute("name", "Choice");
  for (pugi::xml_node item : choice.children()) {
    const char* v = item.attribute("value").value();
    if (!*v) continue;
    values.push_back(v);
    flags.push_back(std::string(item.attribute("default").value()) == "true");
  }
  std::vector<int> codes;
  std::vector<std::string> texts;
  pugi::xpath_node_set errors = doc.select_nodes("/ZEL/Error");
  if (errors.empty()) errors = doc.select_nodes("/*/Response/Error");
  for (const pugi::xpath_node& e : errors) {
    codes.push_back(e.node().attribute("code").as_int());
    texts.push_back(e.node().child_value());
  }
  for (const pugi::xpath_node& m : doc.select_nodes("/*/Response/Message")) {
    codes.push_back(m.node().attribute("code").as_int());
    texts.push_back(m.node().child_value());
  }
  benchmark::DoNotOptimize(values);
  benchmark::DoNotOptimize(texts);
}

// Seconds per call of f, over enough calls to last about 50 ms.
template <class F>
double PerCall(F f) {
  using Clock = std::chrono::steady_clock;
  int calls = 0;
  auto start = Clock::now();
  auto end = start;
  do {
    for (int i = 0; i < 50; ++i) f();
    calls += 50;
    end = Clock::now();
  } while (end - start < std::chrono::milliseconds(50));
  return std::chrono::duration<double>(end - start).count() / calls;
}

template <class F, class Baseline>
void Compare(benchmark::State& state, F f, Baseline baseline) {
  for (auto _ : state) f();
  state.counters["x_pugixml"] = PerCall(f) / PerCall(baseline);
}

void BM_Request_ZEL(benchmark::State& state) {
  Compare(state, RequestZEL, RequestPugixml);
}
void BM_Request_Pugixml(benchmark::State& state) {
  for (auto _ : state) RequestPugixml();
}
void BM_Reply_ZEL(benchmark::State& state) {
  Compare(state, ReplyZEL, ReplyPugixml);
}
void BM_Reply_Pugixml(benchmark::State& state) {
  for (auto _ : state) ReplyPugixml();
}

}  // namespace

BENCHMARK(BM_Request_Pugixml);
BENCHMARK(BM_Request_ZEL);
BENCHMARK(BM_Reply_Pugixml);
BENCHMARK(BM_Reply_ZEL);
