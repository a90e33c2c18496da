// "QueryItemRevision": the revisions of an item type whose attributes match the values a logged-in user typed
// into the query dialog, one "TCO" per revision in "QueryResult" with its attributes as "TCA" elements, and
// the display names of every attribute shown in "DisplayNodes". An empty value leaves its attribute out of
// the query; '*' stands for any run of characters anywhere in a value.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "QueryRepository.h"
#include "handlers/Credentials.h"
#include "handlers/Handlers.h"
#include "handlers/RequestText.h"
#include "zelgw/XmlText.h"

namespace zelgw {
namespace {

enum QueryError : int {
  kWrongCredentials = 1501,
  kWrongGroup = 1502,
  kWrongRole = 1503,
  kUnknownType = 1504,
  kListsDiffer = 1505,
  kTooManyConditions = 1506,
  kAttributeNotOffered = 1507,
  kValueTooLong = 1508,
  kTooManyWildcards = 1509,
};

enum QueryMessage : int {
  kResultCut = 1510,
};

void AppendText(pugi::xml_node element, std::string_view text) {
  if (!text.empty()) element.append_child(pugi::node_pcdata).set_value(ToXmlText(text).c_str());
}

// The conditions the user filled in, or nothing after a refusal was added to the reply.
bool ReadConditions(const Request& request, const std::string& type, QueryRepository& queries, Reply& reply,
                    std::vector<QueryCondition>& conditions) {
  std::vector<std::string> names = request.List("AttributeNames");
  std::vector<std::string> values = request.List("AttributeValues");
  // A list of one empty value is written as an empty attribute, which reads as no value at all.
  if (values.empty()) values.resize(names.size());
  if (names.size() > kMaxQueryConditions || values.size() > kMaxQueryConditions) {
    reply.AddError(kTooManyConditions,
                   "The query names more than " + std::to_string(kMaxQueryConditions) + " attributes.");
    return false;
  }
  if (names.size() != values.size()) {
    reply.AddError(kListsDiffer, "The query names " + std::to_string(names.size()) +
                                     " attributes but gives " + std::to_string(values.size()) + " values.");
    return false;
  }
  const std::vector<std::string> offered = queries.AttributeNames(type);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (values[i].empty()) continue;
    if (std::find(offered.begin(), offered.end(), names[i]) == offered.end()) {
      reply.AddError(kAttributeNotOffered,
                     "The attribute " + QuotedForMessage(names[i]) + " cannot be queried" +
                         (type.empty() ? "" : " for the type " + QuotedForMessage(type)) + ".");
      return false;
    }
    if (values[i].size() > kMaxRequestTextBytes) {
      reply.AddError(kValueTooLong, "The value of " + QuotedForMessage(names[i]) + " is longer than " +
                                        std::to_string(kMaxRequestTextBytes) + " bytes.");
      return false;
    }
    if (static_cast<std::size_t>(std::count(values[i].begin(), values[i].end(), '*')) > kMaxQueryWildcards) {
      reply.AddError(kTooManyWildcards, "The value of " + QuotedForMessage(names[i]) + " holds more than " +
                                            std::to_string(kMaxQueryWildcards) + " wildcards '*'.");
      return false;
    }
    conditions.push_back({std::move(names[i]), std::move(values[i])});
  }
  return true;
}

}  // namespace

void HandleQueryItemRevision(const Request& request, Store& store, Reply& reply) {
  if (!CheckCredentials(request, store, {kWrongCredentials, kWrongGroup, kWrongRole}, reply)) return;
  QueryRepository queries(store);
  // No type chosen in the dialog searches every type.
  const std::string type = request.Value("ObjectType");
  if (!type.empty() && (type.size() > kMaxRequestTextBytes || !queries.HasType(type))) {
    reply.AddError(kUnknownType, "The PDM has no item type " + QuotedForMessage(type) + ".");
    return;
  }
  std::vector<QueryCondition> conditions;
  if (!ReadConditions(request, type, queries, reply, conditions)) return;

  QueryOutcome outcome = queries.Find(type, conditions);
  pugi::xml_node result = reply.Response().append_child("QueryResult");
  pugi::xml_node display = reply.Response().append_child("DisplayNodes");
  auto addDisplay = [&display](std::string_view name, std::string_view label) {
    pugi::xml_node node = display.append_child("DN");
    SetXmlAttribute(node, "n", name);
    AppendText(node, label);
  };
  addDisplay("object_string", "Object");
  addDisplay("object_type", "Type");
  std::set<std::string, std::less<>> labelled;
  for (const QueryHit& hit : outcome.hits) {
    pugi::xml_node item = result.append_child("TCO");
    SetXmlAttribute(item, "t", hit.type);
    SetXmlAttribute(item, "n", hit.itemId + "/" + hit.revision + "-" + hit.name);
    SetXmlAttribute(item, "o", hit.obid);
    for (const RevisionAttribute& attribute : hit.attributes) {
      pugi::xml_node element = item.append_child("TCA");
      SetXmlAttribute(element, "n", attribute.name);
      AppendText(element, attribute.value);
      if (labelled.insert(attribute.name).second) addDisplay(attribute.name, attribute.label);
    }
  }
  if (outcome.truncated) {
    reply.AddMessage(kResultCut, "More than " + std::to_string(kMaxQueryResults) +
                                     " revisions match; only the first " + std::to_string(kMaxQueryResults) +
                                     " are listed. Narrow the query to see the others.");
  }
}

}  // namespace zelgw
