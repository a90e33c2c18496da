#ifndef CATAdpPLMQueryFilter_h
#define CATAdpPLMQueryFilter_h
// A query: objects of a type (or its subtypes) whose attributes meet all (AND) or any (OR) of the
// conditions. Values are compared ignoring case unless case-sensitive mode is switched on.
#include "CATAdpPLMQueryAttributeSet.h"
#include "CATIType.h"

enum CATAdpPLMLogicalOperator { CATAdpPLMLogicalOr = 0, CATAdpPLMLogicalAnd = 1 };

class ExportedByCATPLMServices CATAdpPLMQueryFilter {
 public:
  CATAdpPLMQueryFilter(const CATIType_var& iType, const CATAdpPLMQueryAttributeSet& iAttributes,
                       CATAdpPLMLogicalOperator iOperator = CATAdpPLMLogicalAnd);
  void CaseSensitiveMode(CATBoolean iCaseSensitive) { caseSensitive_ = iCaseSensitive; }

  const CATIType_var& GetType() const { return type_; }
  const CATAdpPLMQueryAttributeSet& GetAttributes() const { return attributes_; }
  CATAdpPLMLogicalOperator GetOperator() const { return operator_; }
  CATBoolean IsCaseSensitive() const { return caseSensitive_; }

 private:
  CATIType_var type_;
  CATAdpPLMQueryAttributeSet attributes_;
  CATAdpPLMLogicalOperator operator_;
  CATBoolean caseSensitive_ = FALSE;
};

#endif
